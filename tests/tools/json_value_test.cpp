// The host's strict JSON reader: what the SIP user agent writes reads back
// whole, and anything else is refused with where and why, never crashing
// and never nesting without bound.
#include "tools/olconn97/json_value.h"

#include <gtest/gtest.h>

#include <string>

namespace olconn97 {
namespace {

using host::JsonParse;
using host::JsonParseOptions;
using host::JsonValue;
using host::ParseJson;

const std::string kFffd = "\xEF\xBF\xBD";

// A CALL_RTCP event as the agent writes it: '/' escaped, nested statistics.
const std::string kRtcpEvent =
    "{\"event\":true,\"type\":\"CALL_RTCP\",\"class\":\"call\","
    "\"peeruri\":\"sip:ann@example.org;transport=tcp\\/x\",\"id\":\"a1\",\"param\":\"audio\","
    "\"rtcp_stats\":{\"tx\":{\"sent\":120,\"lost\":-1,\"jit\":2.5e-3},\"rtt\":0},"
    "\"list\":[null, false, \"\"]}";

TEST(JsonValueTest, TheAgentsFramesReadBackWithTheirLookups) {
  JsonParse parsed = ParseJson(kRtcpEvent);
  ASSERT_TRUE(parsed.ok) << parsed.error.Line();
  const JsonValue& event = parsed.value;
  EXPECT_TRUE(event.Find("event")->Bool());
  EXPECT_EQ(event.Find("peeruri")->String(), "sip:ann@example.org;transport=tcp/x");
  const JsonValue* tx = event.Find("rtcp_stats")->Find("tx");
  ASSERT_NE(tx, nullptr);
  EXPECT_EQ(tx->Find("sent")->Number(), 120);
  EXPECT_EQ(tx->Find("lost")->Number(), -1);
  EXPECT_DOUBLE_EQ(tx->Find("jit")->Number(), 0.0025);
  EXPECT_EQ(event.Members().front().first, "event") << "members keep the text's order";
  EXPECT_EQ(event.Find("list")->Items(),
            (JsonValue::Array{JsonValue(), JsonValue(false), JsonValue(std::string())}));
  // Lookups of what is not there answer neutrally.
  EXPECT_EQ(event.Find("absent"), nullptr);
  EXPECT_EQ(event.Find("id")->Find("x"), nullptr);
  EXPECT_EQ(event.Find("rtcp_stats")->String(), "");
  EXPECT_EQ(event.Find("id")->Number(), 0);
  EXPECT_TRUE(event.Find("id")->Items().empty());
}

TEST(JsonValueTest, EscapesBecomeUtf8) {
  const std::pair<std::string, std::string> kCases[] = {
      {R"("\"\\\/\b\f\n\r\t")", "\"\\/\b\f\n\r\t"},
      {R"("Zo\u00e9 \u00E9")", "Zo\xC3\xA9 \xC3\xA9"},
      {R"("\u20ac\ud83d\ude00")", "\xE2\x82\xAC\xF0\x9F\x98\x80"},
      {R"("a\u0000b")", std::string("a\0b", 3)},
      {"\"\xF0\x9F\x98\x80 raw\"", "\xF0\x9F\x98\x80 raw"},
  };
  for (const auto& [text, expected] : kCases) {
    JsonParse parsed = ParseJson(text);
    ASSERT_TRUE(parsed.ok) << text << ": " << parsed.error.Line();
    EXPECT_EQ(parsed.value.String(), expected) << text;
  }
}

TEST(JsonValueTest, MalformedTextIsRefusedWithWhereAndWhy) {
  struct Case {
    std::string text;
    size_t offset;
    const char* what;
  };
  const Case kCases[] = {
      {"", 0, "no value"},
      {"  \n", 3, "no value"},
      {"{\"a\":1,}", 7, "unexpected '}', expected a member name"},
      {"[1,]", 3, "unexpected ']'"},
      {"[1 2]", 3, "expected ',' or ']'"},
      {"{\"a\" 1}", 5, "expected ':'"},
      {"{'a':1}", 1, "unexpected '''"},
      {"{} x", 3, "text after the value"},
      {"\xEF\xBB\xBF{}", 0, "unexpected byte 0xEF"},
      {"{\"a\":1,\"b\":{\"a\":2},\"a\":3}", 0, "the member \"a\" twice"},
      {"tru", 0, "unexpected 't'"},
      {"\"abc", 0, "a string without its closing quote"},
      {"\"a\tb\"", 2, "a control character in a string"},
      {R"("\x")", 1, "an unknown escape"},
      {R"("\u12G4")", 5, "non-hexadecimal"},
      {R"("\u12")", 5, "non-hexadecimal"},
      {R"("\ud800")", 1, "a high surrogate without its low half"},
      {R"("\ud800\u0041")", 1, "a high surrogate without its low half"},
      {R"("\udc00")", 1, "a lone low surrogate"},
      {"01", 1, "text after the value"},
      {"1.", 2, "expected a digit"},
      {"-", 1, "unexpected end of text"},
      {".5", 0, "unexpected '.'"},
      {"+1", 0, "unexpected '+'"},
      {"1e", 2, "expected a digit"},
      {"NaN", 0, "unexpected 'N'"},
      {"[1e999]", 1, "a number out of range"},
  };
  for (const Case& c : kCases) {
    JsonParse parsed = ParseJson(c.text);
    EXPECT_FALSE(parsed.ok) << c.text;
    EXPECT_TRUE(parsed.value.IsNull()) << c.text;
    EXPECT_EQ(parsed.error.offset, c.offset) << c.text << ": " << parsed.error.Line();
    EXPECT_NE(parsed.error.what.find(c.what), std::string::npos)
        << c.text << ": " << parsed.error.Line();
  }
  EXPECT_EQ(ParseJson("[1,]").error.Line(), "unexpected ']' at byte 3");
}

TEST(JsonValueTest, IllFormedUtf8IsRefusedOrInStringsReplacedOnRequest) {
  const std::pair<std::string, size_t> kIllFormed[] = {
      {"\"Zo\xE9\"", 3}, {"\"\xC0\xAF\"", 1},         {"\"ok\xED\xA0\x80\"", 3},
      {"\"\x80\"", 1},   {"\"\xF4\x90\x80\x80\"", 1}, {"\"cut\xE6\x9D\"", 4},
  };
  JsonParseOptions replacing;
  replacing.replace_invalid_utf8_in_strings = true;
  for (const auto& [text, offset] : kIllFormed) {
    JsonParse strict = ParseJson(text);
    EXPECT_FALSE(strict.ok) << text;
    EXPECT_EQ(strict.error.Line(), "ill-formed UTF-8 at byte " + std::to_string(offset));
    JsonParse replaced = ParseJson(text, replacing);
    ASSERT_TRUE(replaced.ok) << replaced.error.Line();
    EXPECT_NE(replaced.value.String().find(kFffd), std::string::npos) << text;
  }
  EXPECT_EQ(ParseJson("\"Zo\xE9\"", replacing).value.String(), "Zo" + kFffd);
  EXPECT_FALSE(ParseJson("[\xE9]", replacing).ok) << "outside strings it stays an error";
}

TEST(JsonValueTest, NestingIsBounded) {
  const std::string deepest = std::string(64, '[') + std::string(64, ']');
  EXPECT_TRUE(ParseJson(deepest).ok);
  JsonParse deeper = ParseJson("[" + deepest + "]");
  EXPECT_EQ(deeper.error.Line(), "nesting deeper than 64 at byte 64");
  EXPECT_FALSE(ParseJson(std::string(1000000, '[')).ok);
  std::string objects;
  for (int i = 0; i < 100000; ++i) objects += "{\"a\":";
  EXPECT_EQ(ParseJson(objects).error.Line(), "nesting deeper than 64 at byte 320");
  JsonParseOptions shallow;
  shallow.max_depth = 1;
  EXPECT_TRUE(ParseJson("{\"a\":1}", shallow).ok);
  EXPECT_FALSE(ParseJson("{\"a\":[]}", shallow).ok);
}

TEST(JsonValueTest, WrittenStringsReadBackAsTheyWere) {
  const std::string hostile = "+33 \"1\";$(rm -rf ~)`x`\\ \n\x01 \xC3\xA9";
  JsonParse parsed = ParseJson(host::JsonQuote(hostile));
  ASSERT_TRUE(parsed.ok) << parsed.error.Line();
  EXPECT_EQ(parsed.value.String(), hostile);
  EXPECT_EQ(host::JsonStringObject({{"command", "dial"}, {"params", "a\"b"}}),
            R"({"command":"dial","params":"a\"b"})");
}

// Every byte of a real frame replaced by bytes that matter to the grammar,
// and every cut of it: each text is read or refused, and a refusal points
// inside the text in one line.
TEST(JsonValueTest, NoDamageToAFrameCrashesTheReader) {
  const char kBytes[] = {'\0', '"', '\\', '{', '}', '[',    ']',    ',',    ':',   '1',
                         '-',  'e', 'u',  'n', ' ', '\x80', '\xC3', '\xED', '\xFF'};
  for (size_t at = 0; at < kRtcpEvent.size(); ++at) {
    for (char byte : kBytes) {
      std::string damaged = kRtcpEvent;
      damaged[at] = byte;
      for (const std::string& text : {damaged, kRtcpEvent.substr(0, at)}) {
        JsonParse parsed = ParseJson(text);
        if (parsed.ok) continue;
        EXPECT_LE(parsed.error.offset, text.size());
        EXPECT_EQ(parsed.error.Line().find('\n'), std::string::npos);
      }
    }
  }
}

}  // namespace
}  // namespace olconn97
