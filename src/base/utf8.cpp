#include "base/utf8.h"

namespace olconn97 {
namespace {

// How a lead byte goes on: the number of continuation bytes and the range
// its first continuation byte must fall in. The narrowed ranges after E0,
// ED, F0 and F4 are what rules out overlong forms, surrogates and code
// points above U+10FFFF (the Unicode standard's table of well-formed
// sequences).
struct LeadRule {
  unsigned char first_lead;
  unsigned char last_lead;
  size_t continuations;
  unsigned char second_min;
  unsigned char second_max;
};

constexpr LeadRule kLeadRules[] = {
    {0xC2, 0xDF, 1, 0x80, 0xBF}, {0xE0, 0xE0, 2, 0xA0, 0xBF}, {0xE1, 0xEC, 2, 0x80, 0xBF},
    {0xED, 0xED, 2, 0x80, 0x9F}, {0xEE, 0xEF, 2, 0x80, 0xBF}, {0xF0, 0xF0, 3, 0x90, 0xBF},
    {0xF1, 0xF3, 3, 0x80, 0xBF}, {0xF4, 0xF4, 3, 0x80, 0x8F},
};

const LeadRule* RuleFor(unsigned char lead) {
  for (const LeadRule& rule : kLeadRules) {
    if (lead >= rule.first_lead && lead <= rule.last_lead) return &rule;
  }
  return nullptr;
}

}  // namespace

Utf8Char DecodeUtf8(std::string_view text, size_t at) {
  auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  unsigned char lead = byte(at);
  if (lead < 0x80) return {lead, 1, true};
  const LeadRule* rule = RuleFor(lead);
  if (rule == nullptr) return {};
  char32_t code = lead & (0x3F >> rule->continuations);
  for (size_t i = 1; i <= rule->continuations; ++i) {
    bool in_range = at + i < text.size() &&
                    (i == 1 ? byte(at + i) >= rule->second_min && byte(at + i) <= rule->second_max
                            : (byte(at + i) & 0xC0) == 0x80);
    if (!in_range) return {kReplacementCharacter, i, false};
    code = (code << 6) | (byte(at + i) & 0x3F);
  }
  return {code, rule->continuations + 1, true};
}

void AppendUtf8(char32_t code, std::string& out) {
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

bool IsValidUtf8(std::string_view text) {
  for (size_t at = 0; at < text.size();) {
    Utf8Char next = DecodeUtf8(text, at);
    if (!next.valid) return false;
    at += next.length;
  }
  return true;
}

std::string ToValidUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t at = 0; at < text.size();) {
    Utf8Char next = DecodeUtf8(text, at);
    if (next.valid) {
      out.append(text.substr(at, next.length));
    } else {
      AppendUtf8(kReplacementCharacter, out);
    }
    at += next.length;
  }
  return out;
}

}  // namespace olconn97
