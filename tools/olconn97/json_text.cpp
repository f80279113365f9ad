#include "json_text.h"

#include <cstdio>

#include "utf8_text.h"

namespace host {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// The escapes JSON has a short form for.
struct ShortEscape {
  char32_t code;
  std::string_view text;
};
constexpr ShortEscape kShortEscapes[] = {
    {U'"', "\\\""}, {U'\\', "\\\\"}, {U'\n', "\\n"}, {U'\r', "\\r"}, {U'\t', "\\t"},
};

}  // namespace

std::string JsonEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t at = 0; at < text.size();) {
    Utf8Sequence next = DecodeUtf8(text, at);
    const ShortEscape* short_escape = nullptr;
    for (const ShortEscape& escape : kShortEscapes) {
      if (next.valid && escape.code == next.code) short_escape = &escape;
    }
    if (!next.valid) {
      out += kReplacement;
    } else if (short_escape != nullptr) {
      out += short_escape->text;
    } else if (next.code < 0x20 || (next.code >= 0x7F && next.code <= 0x9F)) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(next.code));
      out += escaped;
    } else {
      out += text.substr(at, next.length);
    }
    at += next.length;
  }
  return out;
}

}  // namespace host
