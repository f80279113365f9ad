#include "outside/jet/like.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <string>
#include <vector>

#include "outside/jet/text_fold.h"

namespace olconn97::jet {
namespace {

struct LikeCase {
  const char* pattern;
  std::string text;
  bool matches;
};

// The engine's documented examples first, then the driver's own uses.
const LikeCase kLikeCases[] = {
    {"a*a", "aa", true},
    {"a*a", "aBBBa", true},
    {"a*a", "aBC", false},
    {"a*a", "abc", false},
    {"*ab*", "abc", true},
    {"*ab*", "AABB", true},
    {"*ab*", "Xab", true},
    {"*ab*", "aZb", false},
    {"*ab*", "bac", false},
    {"a[*]a", "a*a", true},
    {"a[*]a", "aaa", false},
    {"a?a", "aaa", true},
    {"a?a", "a3a", true},
    {"a?a", "aBa", true},
    {"a?a", "aBBBa", false},
    {"a#a", "a0a", true},
    {"a#a", "a1a", true},
    {"a#a", "a2a", true},
    {"a#a", "aaa", false},
    {"a#a", "a10a", false},
    {"[a-z]", "f", true},
    {"[a-z]", "p", true},
    {"[a-z]", "j", true},
    {"[a-z]", "2", false},
    {"[a-z]", "&", false},
    {"[a-z]", "ab", false},
    {"[!a-z]", "9", true},
    {"[!a-z]", "&", true},
    {"[!a-z]", "%", true},
    {"[!a-z]", "b", false},
    {"[!a-z]", "a", false},
    {"[!0-9]", "A", true},
    {"[!0-9]", "a", true},
    {"[!0-9]", "&", true},
    {"[!0-9]", "~", true},
    {"[!0-9]", "0", false},
    {"[!0-9]", "1", false},
    {"[!0-9]", "9", false},
    {"a[!b-m]#", "An9", true},
    {"a[!b-m]#", "az0", true},
    {"a[!b-m]#", "a99", true},
    {"a[!b-m]#", "abc", false},
    {"a[!b-m]#", "aj0", false},
    {"[abc]x", "Bx", true},
    {"[abc]x", "dx", false},
    // Case never matters, on either side.
    {"ABC", "abc", true},
    {"abc", "ABC", true},
    {"*SMITH*", "John Smith Jr.", true},
    {"[A-Z]", "q", true},
    // Empty pattern, empty text.
    {"", "", true},
    {"", "a", false},
    {"*", "", true},
    {"?", "", false},
    {"a", "", false},
    {"[]", "", true},
    {"a[]b", "ab", true},
    // Brackets escape the wildcards; "-" at either end and "]" outside are themselves.
    {"[#]", "#", true},
    {"[#]", "1", false},
    {"[?]", "?", true},
    {"[?]", "a", false},
    {"[[]", "[", true},
    {"[*]", "x", false},
    {"]", "]", true},
    {"[a-]", "-", true},
    {"[-a]", "-", true},
    {"!", "!", true},
    // Multi-byte letters are one character each, folded for case.
    {"Mü*", "MÜLLER", true},
    {"M?ller", "Müller", true},
    {"M??ller", "Müller", false},
    {"*é", "CAFÉ", true},
    {"[à-ÿ]", "É", true},
    {"Жук*", "ЖУКОВ", true},
    {"ß", "SS", false},
    // The cache's phone searches: digits, "digits*", "*digits", escaped "#".
    {"0123456", "0123456", true},
    {"0123*", "012345", true},
    {"0123*", "1012345", false},
    {"*456", "0123456", true},
    {"*456", "4567", false},
    {"12[#]4", "1234", false},
    {"12[#]4", "12#4", true},
    // Embedded NUL bytes are ordinary characters.
    {"a?b", std::string("a\0b", 3), true},
    {"a*", std::string("a\0\0", 3), true},
};

TEST(JetLikeTest, MatchesTheEnginesCases) {
  for (const LikeCase& test : kLikeCases) {
    Result<LikePattern> pattern = LikePattern::Compile(test.pattern);
    ASSERT_TRUE(pattern.ok()) << test.pattern;
    EXPECT_EQ(pattern.value().Matches(test.text), test.matches)
        << "\"" << test.text << "\" Like \"" << test.pattern << "\"";
  }
}

TEST(JetLikeTest, MalformedPatternsAreRefused) {
  for (const char* pattern : {"[abc", "a[", "[", "[!", "[z-a]", "x[9-0]"}) {
    Result<LikePattern> compiled = LikePattern::Compile(pattern);
    ASSERT_FALSE(compiled.ok()) << pattern;
    EXPECT_EQ(compiled.status().code(), Code::kInvalidArgument);
    EXPECT_EQ(compiled.status().description(), "Invalid pattern string.");
  }
}

TEST(JetLikeTest, LongTextsDoNotBlowUp) {
  std::string text(100 * 1024, 'a');
  Result<LikePattern> many_stars = LikePattern::Compile("*a*a*a*a*a*b");
  ASSERT_TRUE(many_stars.ok());
  EXPECT_FALSE(many_stars.value().Matches(text));
  EXPECT_TRUE(many_stars.value().Matches(text + "b"));
  Result<LikePattern> middle = LikePattern::Compile("*a?a#*");
  ASSERT_TRUE(middle.ok());
  EXPECT_FALSE(middle.value().Matches(text));
  EXPECT_TRUE(middle.value().Matches(text + "a5"));
  Result<LikePattern> literal = LikePattern::Compile(text);
  ASSERT_TRUE(literal.ok());
  EXPECT_TRUE(literal.value().Matches(text));
  EXPECT_FALSE(literal.value().Matches(text + "a"));
}

// An independent matcher for ASCII texts: plain backtracking over the
// pattern, Jet's rules written out once more.
bool ReferenceMatch(const std::string& p, size_t pi, const std::string& t, size_t ti) {
  auto fold = [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); };
  if (pi == p.size()) return ti == t.size();
  if (p[pi] == '*') {
    for (size_t k = ti; k <= t.size(); ++k) {
      if (ReferenceMatch(p, pi + 1, t, k)) return true;
    }
    return false;
  }
  if (p[pi] == '[') {
    size_t end = p.find(']', pi + 1);
    std::string list = p.substr(pi + 1, end - pi - 1);
    if (list.empty()) return ReferenceMatch(p, end + 1, t, ti);  // "[]" matches nothing at all
    if (ti == t.size()) return false;
    bool negated = list[0] == '!';
    if (negated) list.erase(0, 1);
    bool found = false;
    for (size_t i = 0; i < list.size(); ++i) {
      char low = list[i], high = low;
      if (i + 2 < list.size() && list[i + 1] == '-') {
        high = list[i + 2];
        i += 2;
      }
      char c = t[ti];
      found = found || (c >= low && c <= high) || (fold(c) >= fold(low) && fold(c) <= fold(high));
    }
    return found != negated && ReferenceMatch(p, end + 1, t, ti + 1);
  }
  if (ti == t.size()) return false;
  bool one = p[pi] == '?' || (p[pi] == '#' && std::isdigit(static_cast<unsigned char>(t[ti]))) ||
             (p[pi] != '#' && fold(p[pi]) == fold(t[ti]));
  return one && ReferenceMatch(p, pi + 1, t, ti + 1);
}

TEST(JetLikeTest, AgreesWithABacktrackingMatcherOnRandomPatterns) {
  const std::vector<std::string> text_parts = {"1", "2", "12", "a", "B", "-", " ", "#", "?", "*"};
  const std::vector<std::string> pattern_parts = {"1",     "2",    "12", "a",   "b",     "-",
                                                  "*",     "?",    "#",  "[#]", "[?]",   "[*]",
                                                  "[a-b]", "[!1]", "[]", "[!]", "[1-2]", "A"};
  std::mt19937 random(97);
  auto pick = [&](const std::vector<std::string>& parts, int max) {
    std::string text;
    int n = std::uniform_int_distribution<int>(0, max)(random);
    for (int i = 0; i < n; ++i) {
      text += parts[std::uniform_int_distribution<size_t>(0, parts.size() - 1)(random)];
    }
    return text;
  };
  int matched = 0;
  for (int i = 0; i < 20000; ++i) {
    std::string pattern = pick(pattern_parts, 5);
    std::string text = pick(text_parts, 7);
    Result<LikePattern> compiled = LikePattern::Compile(pattern);
    ASSERT_TRUE(compiled.ok()) << pattern;
    bool expected = ReferenceMatch(pattern, 0, text, 0);
    ASSERT_EQ(compiled.value().Matches(text), expected) << pattern << " on " << text;
    matched += expected ? 1 : 0;
  }
  EXPECT_GT(matched, 1000);  // both answers were met often
}

TEST(JetLikeTest, LiteralPrefixServesAnIndexRange) {
  struct Case {
    const char* pattern;
    const char* prefix;
    const char* suffix;
    bool literal;
  };
  const Case cases[] = {
      {"0123*", "0123", "", false}, {"0123", "0123", "0123", true},
      {"*456", "", "456", false},   {"12[#]4*", "12#4", "", false},
      {"Sm?th", "Sm", "th", false}, {"[[]x]", "[x]", "[x]", true},
      {"[ab]c", "", "c", false},    {"", "", "", true},
      {"Mü*", "Mü", "", false},     {"*[?]ü", "", "?ü", false},
      {"1*2#", "1", "", false},
  };
  for (const Case& test : cases) {
    Result<LikePattern> pattern = LikePattern::Compile(test.pattern);
    ASSERT_TRUE(pattern.ok()) << test.pattern;
    EXPECT_EQ(pattern.value().LiteralPrefix(), test.prefix) << test.pattern;
    EXPECT_EQ(pattern.value().LiteralSuffix(), test.suffix) << test.pattern;
    EXPECT_EQ(pattern.value().IsLiteral(), test.literal) << test.pattern;
  }
  EXPECT_EQ(PrefixUpperBound("0123"), "0124");
  EXPECT_EQ(PrefixUpperBound("09"), "0:");
  EXPECT_EQ(PrefixUpperBound("a\xFF"), "b");
  EXPECT_EQ(PrefixUpperBound(""), std::nullopt);
  EXPECT_EQ(PrefixUpperBound("\xFF\xFF"), std::nullopt);
}

TEST(JetTextTest, FoldsLatinGreekAndCyrillicCase) {
  EXPECT_EQ(FoldCase("MÜLLER Ærø ŁÓDŹ ΣΟΦΙΑ ЖУК"), "müller ærø łódź σοφια жук");
  EXPECT_EQ(FoldCase(std::string("A\xC3\x28Z", 4)), std::string("a\xC3\x28z", 4));  // bad byte kept
}

TEST(JetTextTest, SortsAccentsBesideTheirBaseLetterWithoutRegardToCase) {
  std::vector<std::string> names = {"zeta", "Müller", "Mullins", "Muller", "apple", "Émile",
                                    "Eve",  "Straße", "Strasse", "Ølsen",  "Olsen"};
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return CompareText(a, b) < 0; });
  EXPECT_EQ(names, (std::vector<std::string>{"apple", "Émile", "Eve", "Muller", "Müller", "Mullins",
                                             "Olsen", "Ølsen", "Strasse", "Straße", "zeta"}));
  EXPECT_EQ(CompareText("Smith", "SMITH"), 0);
  EXPECT_LT(CompareText("Muller", "Müller"), 0);
  EXPECT_LT(CompareText("Müller", "Mullerz"), 0);  // the letters decide before the accent
  EXPECT_LT(CompareText("Zoe", "zoë"), 0);
  EXPECT_LT(CompareText("", "a"), 0);
}

}  // namespace
}  // namespace olconn97::jet
