#include "outside/registry/reg_text.h"

#include <cstdint>

#include "base/utf8.h"

namespace olconn97::registry {
namespace {

void AppendUtf16Le(char16_t unit, std::string& out) {
  out += static_cast<char>(unit & 0xFF);
  out += static_cast<char>(unit >> 8);
}

// UTF-16 bytes in either byte order (an odd last byte is ignored) as UTF-8;
// unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::string_view bytes, bool big_endian) {
  std::string out;
  out.reserve(bytes.size() / 2);
  size_t count = bytes.size() / 2;
  auto unit = [&](size_t i) -> char16_t {
    auto low = static_cast<unsigned char>(bytes[2 * i + (big_endian ? 1 : 0)]);
    auto high = static_cast<unsigned char>(bytes[2 * i + (big_endian ? 0 : 1)]);
    return static_cast<char16_t>(low | (high << 8));
  };
  for (size_t i = 0; i < count; ++i) {
    char16_t first = unit(i);
    if (first >= 0xD800 && first <= 0xDBFF && i + 1 < count && unit(i + 1) >= 0xDC00 &&
        unit(i + 1) <= 0xDFFF) {
      AppendUtf8(0x10000 + ((first - 0xD800) << 10) + (unit(i + 1) - 0xDC00), out);
      ++i;
    } else if (first >= 0xD800 && first <= 0xDFFF) {
      AppendUtf8(kReplacementCharacter, out);
    } else {
      AppendUtf8(first, out);
    }
  }
  return out;
}

// The characters of Windows-1252 at 0x80..0x9F (0 where the code page has none).
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

std::string Utf16LeToUtf8(std::string_view bytes) {
  return Utf16ToUtf8(bytes, /*big_endian=*/false);
}

std::string Utf8ToUtf16Le(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (size_t at = 0; at < text.size();) {
    Utf8Char next = DecodeUtf8(text, at);
    char32_t code = next.code;  // U+FFFD for an ill-formed sequence
    at += next.length;
    if (code >= 0x10000) {
      AppendUtf16Le(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)), out);
      AppendUtf16Le(static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)), out);
    } else {
      AppendUtf16Le(static_cast<char16_t>(code), out);
    }
  }
  return out;
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
  if (bytes.starts_with("\xFF\xFE")) return Utf16ToUtf8(bytes.substr(2), /*big_endian=*/false);
  if (bytes.starts_with("\xFE\xFF")) return Utf16ToUtf8(bytes.substr(2), /*big_endian=*/true);
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  if (IsValidUtf8(bytes)) return std::string(bytes);
  return Cp1252ToUtf8(bytes);
}

}  // namespace olconn97::registry
