// The phone host's JSON reader: a text read strictly and leniently; what it
// reads, written out again, reads back as the same value.
#include <charconv>
#include <string>

#include "fuzz/fuzz_targets.h"
#include "tools/olconn97/json_text.h"
#include "tools/olconn97/json_value.h"

namespace olconn97::fuzz {
namespace {

constexpr std::string_view kTarget = "json";

void Write(const host::JsonValue& value, std::string& out) {
  switch (value.type()) {
    case host::JsonValue::Type::kNull:
      out += "null";
      return;
    case host::JsonValue::Type::kBool:
      out += value.Bool() ? "true" : "false";
      return;
    case host::JsonValue::Type::kNumber: {
      char digits[64];
      const auto result = std::to_chars(digits, digits + sizeof digits, value.Number());
      out.append(digits, result.ptr);
      return;
    }
    case host::JsonValue::Type::kString:
      out += host::JsonQuote(value.String());
      return;
    case host::JsonValue::Type::kArray: {
      out += '[';
      const char* separator = "";
      for (const host::JsonValue& item : value.Items()) {
        out += separator;
        Write(item, out);
        separator = ",";
      }
      out += ']';
      return;
    }
    case host::JsonValue::Type::kObject: {
      out += '{';
      const char* separator = "";
      for (const auto& [key, member] : value.Members()) {
        out += separator;
        out += host::JsonQuote(key) + ":";
        Write(member, out);
        separator = ",";
      }
      out += '}';
      return;
    }
  }
}

void CheckRoundTrip(std::string_view text, const host::JsonParseOptions& options) {
  host::JsonParse parsed = host::ParseJson(text, options);
  if (!parsed.ok) {
    OLCONN97_FUZZ_CHECK(kTarget, parsed.error.offset <= text.size());
    (void)parsed.error.Line();
    return;
  }
  std::string written;
  Write(parsed.value, written);
  host::JsonParse reread = host::ParseJson(written);
  OLCONN97_FUZZ_CHECK(kTarget, reread.ok && reread.value == parsed.value);
}

}  // namespace

int JsonInput(const uint8_t* data, size_t size) {
  const std::string_view text = AsText(data, size);
  CheckRoundTrip(text, {});
  host::JsonParseOptions lenient;
  lenient.replace_invalid_utf8_in_strings = true;
  CheckRoundTrip(text, lenient);
  // Any bytes, quoted, are one JSON string.
  host::JsonParse quoted = host::ParseJson(host::JsonQuote(text));
  OLCONN97_FUZZ_CHECK(kTarget, quoted.ok && quoted.value.IsString());
  (void)host::JsonEscape(text);
  return 0;
}

}  // namespace olconn97::fuzz
