#include "base/utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace olconn97 {
namespace {

const std::string kFffd = "\xEF\xBF\xBD";

TEST(Utf8Test, WellFormedTextPassesUnchanged) {
  std::string text = "a\xC3\xA9\xE6\x9D\xB1\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF";  // aé東😀 U+10FFFF
  EXPECT_TRUE(IsValidUtf8(text));
  EXPECT_EQ(ToValidUtf8(text), text);
  Utf8Char emoji = DecodeUtf8(text, 6);
  EXPECT_TRUE(emoji.valid);
  EXPECT_EQ(emoji.code, U'\U0001F600');
  EXPECT_EQ(emoji.length, 4u);
}

TEST(Utf8Test, EachIllFormedSequenceBecomesOneReplacement) {
  struct Case {
    const char* name;
    std::string in;
    std::string out;
  };
  const Case cases[] = {
      {"stray bytes", "\xFF\xFE", kFffd + kFffd},
      {"lone continuation", "a\x80z", "a" + kFffd + "z"},
      {"overlong slash", "\xC0\xAF", kFffd + kFffd},
      {"overlong three bytes", "\xE0\x80\xAF", kFffd + kFffd + kFffd},
      {"surrogate", "\xED\xA0\x80", kFffd + kFffd + kFffd},
      {"above U+10FFFF", "\xF4\x90\x80\x80", kFffd + kFffd + kFffd + kFffd},
      {"truncated at the end", "ok\xE6\x9D", "ok" + kFffd},
      {"truncated before ASCII", "\xF0\x9F\x98z", kFffd + "z"},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(IsValidUtf8(c.in)) << c.name;
    EXPECT_EQ(ToValidUtf8(c.in), c.out) << c.name;
    EXPECT_TRUE(IsValidUtf8(ToValidUtf8(c.in))) << c.name;
  }
}

TEST(Utf8Test, AppendsEveryLength) {
  std::string out;
  for (char32_t code : {U'A', U'\u00E9', U'\u6771', U'\U0001F600'}) AppendUtf8(code, out);
  EXPECT_EQ(out, "A\xC3\xA9\xE6\x9D\xB1\xF0\x9F\x98\x80");
}

}  // namespace
}  // namespace olconn97
