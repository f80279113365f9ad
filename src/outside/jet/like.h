// Jet's Like: the pattern language of the driver's searches.
//
// Letters compare without regard to case. "*" matches any run of characters,
// "?" one character, "#" one decimal digit, and a bracketed list one
// character: "[abc]" one of a, b, c; "[a-z]" one in the range; "[!a-z]" one
// outside it. Inside brackets "*", "?", "#" and "[" stand for themselves,
// which is how a caller escapes them ("[#]", "[[]"); "-" first or last in a
// list is itself; "]" outside a list is itself; "[]" matches nothing at all
// (the empty text). An unclosed "[" or a descending range is an invalid
// pattern.
#ifndef OLCONN97_OUTSIDE_JET_LIKE_H_
#define OLCONN97_OUTSIDE_JET_LIKE_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"

namespace olconn97::jet {

class LikePattern {
 public:
  // Fails with kInvalidArgument, "Invalid pattern string.", on a malformed
  // pattern.
  static Result<LikePattern> Compile(std::string_view pattern);

  // Time grows with text size times pattern size at worst; no recursion.
  bool Matches(std::string_view text) const;

  // The characters every match begins with, as written in the pattern
  // (bracketed single characters such as "[#]" included), and whether the
  // pattern is that text and nothing more (matched without regard to case).
  // A caller narrows a search to an index range with it and keeps the Like
  // test for the exact answer.
  std::string LiteralPrefix() const;
  bool IsLiteral() const;
  // The characters every match ends with, the same way ("*4567" -> "4567").
  std::string LiteralSuffix() const;

 private:
  struct Range {
    char32_t low;
    char32_t high;
  };
  struct Element {
    enum class Kind { kLiteral, kAnyCharacter, kDigit, kList, kAnyRun };
    Kind kind = Kind::kLiteral;
    char32_t character = 0;     // kLiteral: as written
    char32_t folded = 0;        // kLiteral: its case folded
    bool negated = false;       // kList: "[!...]"
    std::vector<Range> ranges;  // kList: single characters are ranges of one

    bool Accepts(char32_t c) const;
    // The one character a literal or a one-character list ("[#]") stands for.
    std::optional<char32_t> FixedCharacter() const;
  };

  explicit LikePattern(std::vector<Element> elements);
  static Result<Element> ParseList(std::string_view pattern, size_t& pos);

  std::vector<Element> elements_;
  // Characters every match holds side by side (see the constructor).
  std::string required_;
};

// The smallest text, compared byte by byte, that is greater than every text
// beginning with `prefix`: the upper end of a range `>= prefix And < bound`.
// None for an empty prefix or one made only of 0xFF bytes.
std::optional<std::string> PrefixUpperBound(std::string_view prefix);

}  // namespace olconn97::jet

#endif  // OLCONN97_OUTSIDE_JET_LIKE_H_
