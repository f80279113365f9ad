// Small text helpers with the driver's own rules: trimming removes blanks
// (the space character) only, and case folding is ASCII, like the key and
// value names of the settings store.
#ifndef OLCONN97_BASE_STRINGS_H_
#define OLCONN97_BASE_STRINGS_H_

#include <string>
#include <string_view>
#include <vector>

namespace olconn97 {

// Removes leading and trailing blanks (U+0020), nothing else.
std::string_view TrimBlanks(std::string_view text);

char ToLowerAscii(char c);
std::string ToLowerAscii(std::string_view text);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

// '0' to '9' only, whatever the locale.
constexpr bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }
// The value of a hexadecimal digit of either case, or -1.
constexpr int HexDigitValue(char c) {
  if (IsAsciiDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Splits at every occurrence of the separator; an empty text gives one empty piece.
std::vector<std::string_view> Split(std::string_view text, char separator);

// Replaces every occurrence of `from` (not empty), scanning left to right.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);

// The number a text begins with, read the way the driver reads numbers from
// settings: leading blanks skipped, an optional sign, digits, an optional
// decimal part; 0 when the text does not begin with a number.
double LeadingNumber(std::string_view text);

// Rounds to the nearest integer, halves to the even neighbour.
long long RoundHalfEven(double value);

}  // namespace olconn97

#endif  // OLCONN97_BASE_STRINGS_H_
