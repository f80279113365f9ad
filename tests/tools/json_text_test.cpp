// JSON text from any bytes, as the reference host and the library write it:
// both must give valid UTF-8 with the same escapes.
#include "tools/olconn97/json_text.h"

#include <gtest/gtest.h>

#include <string>

#include "base/json_writer.h"
#include "base/utf8.h"

namespace olconn97 {
namespace {

const std::string kFffd = "\xEF\xBF\xBD";

struct Case {
  const char* name;
  std::string in;
  std::string escaped;
};

const Case kCases[] = {
    {"plain and accented", "Zo\xC3\xA9 \xF0\x9F\x98\x80", "Zo\xC3\xA9 \xF0\x9F\x98\x80"},
    {"quotes and breaks", "a\"b\\c\nd\re\tf", "a\\\"b\\\\c\\nd\\re\\tf"},
    {"controls", std::string("\x01\x1F\x7F", 3) + "\xC2\x85" + std::string(1, '\0'),
     "\\u0001\\u001f\\u007f\\u0085\\u0000"},
    {"invalid bytes", "\xFF\xFE", kFffd + kFffd},
    {"lone continuation", "x\x80y", "x" + kFffd + "y"},
    {"overlong", "\xC0\xAF\xE0\x80\x80", kFffd + kFffd + kFffd + kFffd + kFffd},
    {"surrogate", "\xED\xB0\x80", kFffd + kFffd + kFffd},
    {"above U+10FFFF", "\xF4\x90\x80\x80", kFffd + kFffd + kFffd + kFffd},
    {"truncated inside", "\xE6\x9D\"", kFffd + "\\\""},
    {"truncated at the end", "ok\xF0\x9F\x98", "ok" + kFffd},
};

TEST(JsonTextTest, TheHostEscapesAnyBytesIntoValidUtf8) {
  for (const Case& c : kCases) {
    std::string escaped = host::JsonEscape(c.in);
    EXPECT_EQ(escaped, c.escaped) << c.name;
    EXPECT_TRUE(IsValidUtf8(escaped)) << c.name;
  }
}

TEST(JsonTextTest, TheLibrarysWriterEscapesAlike) {
  for (const Case& c : kCases) {
    JsonWriter writer;
    writer.BeginObject().Key(c.in).String(c.in).EndObject();
    EXPECT_EQ(writer.text(), "{\"" + c.escaped + "\":\"" + c.escaped + "\"}") << c.name;
  }
}

}  // namespace
}  // namespace olconn97
