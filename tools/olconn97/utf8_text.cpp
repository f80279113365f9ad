#include "utf8_text.h"

namespace host {

namespace {

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

}  // namespace

Utf8Sequence DecodeUtf8(std::string_view text, size_t at) {
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

void AppendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

}  // namespace host
