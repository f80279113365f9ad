// UTF-8 decoding and encoding, strict as the Unicode standard defines it:
// no overlong forms, no surrogates, nothing above U+10FFFF.
#ifndef OLCONN97_BASE_UTF8_H_
#define OLCONN97_BASE_UTF8_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace olconn97 {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

struct Utf8Char {
  char32_t code = kReplacementCharacter;  // U+FFFD when not valid
  size_t length = 1;                      // bytes taken, at least 1
  bool valid = false;
};

// The character that begins at `at` (< text.size()). An ill-formed sequence
// takes the longest beginning of it that could still have been well formed
// (at least one byte), so that one U+FFFD stands for it, as Unicode
// recommends.
Utf8Char DecodeUtf8(std::string_view text, size_t at);

// Appends the UTF-8 form of `code` (at most U+10FFFF, no surrogate).
void AppendUtf8(char32_t code, std::string& out);

bool IsValidUtf8(std::string_view text);

// The text with every ill-formed sequence replaced by U+FFFD.
std::string ToValidUtf8(std::string_view text);

}  // namespace olconn97

#endif  // OLCONN97_BASE_UTF8_H_
