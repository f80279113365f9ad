#include "outside/registry/reg_text.h"

#include <cstdint>

namespace olconn97::registry {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

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

void AppendUtf16Le(char16_t unit, std::string& out) {
  out += static_cast<char>(unit & 0xFF);
  out += static_cast<char>(unit >> 8);
}

// Decodes one UTF-8 sequence at `at`; returns its length, 0 when invalid.
size_t DecodeUtf8(std::string_view text, size_t at, char32_t& code) {
  auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  unsigned char lead = byte(at);
  size_t length = lead < 0x80           ? 1
                  : (lead >> 5) == 0x6  ? 2
                  : (lead >> 4) == 0xE  ? 3
                  : (lead >> 3) == 0x1E ? 4
                                        : 0;
  if (length == 0 || at + length > text.size()) return 0;
  if (length == 1) {
    code = lead;
    return 1;
  }
  code = lead & (0x7F >> length);
  for (size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(at + i) & 0x3F);
  }
  static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

// The characters of Windows-1252 at 0x80..0x9F (0 where the code page has none).
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

std::string Utf16LeToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() / 2);
  size_t count = bytes.size() / 2;
  auto unit = [&](size_t i) -> char16_t {
    return static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                 (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
  };
  for (size_t i = 0; i < count; ++i) {
    char16_t first = unit(i);
    if (first >= 0xD800 && first <= 0xDBFF && i + 1 < count && unit(i + 1) >= 0xDC00 &&
        unit(i + 1) <= 0xDFFF) {
      AppendUtf8(0x10000 + ((first - 0xD800) << 10) + (unit(i + 1) - 0xDC00), out);
      ++i;
    } else if (first >= 0xD800 && first <= 0xDFFF) {
      AppendUtf8(kReplacement, out);
    } else {
      AppendUtf8(first, out);
    }
  }
  return out;
}

std::string Utf8ToUtf16Le(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (size_t at = 0; at < text.size();) {
    char32_t code = kReplacement;
    size_t length = DecodeUtf8(text, at, code);
    if (length == 0) {
      code = kReplacement;
      length = 1;
    }
    at += length;
    if (code >= 0x10000) {
      AppendUtf16Le(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)), out);
      AppendUtf16Le(static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)), out);
    } else {
      AppendUtf16Le(static_cast<char16_t>(code), out);
    }
  }
  return out;
}

bool IsValidUtf8(std::string_view text) {
  for (size_t at = 0; at < text.size();) {
    char32_t code = 0;
    size_t length = DecodeUtf8(text, at, code);
    if (length == 0) return false;
    at += length;
  }
  return true;
}

std::string Cp1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) {
    auto byte = static_cast<unsigned char>(c);
    char32_t code = byte;
    if (byte >= 0x80 && byte <= 0x9F)
      code = kCp1252High[byte - 0x80] ? kCp1252High[byte - 0x80] : byte;
    AppendUtf8(code, out);
  }
  return out;
}

std::string DecodeRegFileBytes(std::string_view bytes) {
  if (bytes.starts_with("\xFF\xFE")) return Utf16LeToUtf8(bytes.substr(2));
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  if (IsValidUtf8(bytes)) return std::string(bytes);
  return Cp1252ToUtf8(bytes);
}

}  // namespace olconn97::registry
