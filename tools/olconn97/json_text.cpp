#include "json_text.h"

#include <cstdio>

namespace host {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// How a lead byte goes on: its continuation bytes, and the range of the
// first of them, narrowed after E0, ED, F0 and F4 to rule out overlong
// forms, surrogates and code points above U+10FFFF.
struct LeadRule {
  unsigned char first_lead, last_lead;
  size_t continuations;
  unsigned char second_min, second_max;
};

constexpr LeadRule kLeadRules[] = {
    {0xC2, 0xDF, 1, 0x80, 0xBF}, {0xE0, 0xE0, 2, 0xA0, 0xBF}, {0xE1, 0xEC, 2, 0x80, 0xBF},
    {0xED, 0xED, 2, 0x80, 0x9F}, {0xEE, 0xEF, 2, 0x80, 0xBF}, {0xF0, 0xF0, 3, 0x90, 0xBF},
    {0xF1, 0xF3, 3, 0x80, 0xBF}, {0xF4, 0xF4, 3, 0x80, 0x8F},
};

struct Sequence {
  char32_t code;
  size_t length;  // at least 1
  bool valid;
};

// The character at `at`; an ill-formed sequence takes the longest beginning
// of it that could still have been well formed, so one U+FFFD stands for it.
Sequence Decode(std::string_view text, size_t at) {
  auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  unsigned char lead = byte(at);
  if (lead < 0x80) return {lead, 1, true};
  for (const LeadRule& rule : kLeadRules) {
    if (lead < rule.first_lead || lead > rule.last_lead) continue;
    char32_t code = lead & (0x3F >> rule.continuations);
    for (size_t i = 1; i <= rule.continuations; ++i) {
      bool fits = at + i < text.size() &&
                  (i == 1 ? byte(at + i) >= rule.second_min && byte(at + i) <= rule.second_max
                          : (byte(at + i) & 0xC0) == 0x80);
      if (!fits) return {0, i, false};
      code = (code << 6) | (byte(at + i) & 0x3F);
    }
    return {code, rule.continuations + 1, true};
  }
  return {0, 1, false};
}

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
    Sequence next = Decode(text, at);
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
