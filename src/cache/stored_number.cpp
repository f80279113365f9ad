#include "cache/stored_number.h"

#include "base/strings.h"
#include "cache/cache_schema.h"

namespace olconn97 {

namespace {

constexpr std::string_view kFullwidthPlus = "\xEF\xBC\x8B";  // U+FF0B

// The marks an extension follows. Words are compared without regard to
// ASCII case; "x" may follow letters too ("Box 12"), as phones read it.
constexpr std::string_view kExtensionWords[] = {"extension", "extn", "ext", "anexo", "int",
                                                "\xD0\xB4\xD0\xBE\xD0\xB1" /* доб */};
constexpr std::string_view kExtensionSigns = "xX#~,;";
// More digits than these after the mark are no extension.
constexpr size_t kLongestWordExtension = 20;
constexpr size_t kLongestSignExtension = 9;

bool IsAsciiLetter(char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }

bool EndsWithIgnoreCase(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && EqualsIgnoreCase(text.substr(text.size() - end.size()), end);
}

// Whether the first character that can begin a number is a plus.
bool BeginsWithPlus(std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (IsAsciiDigit(text[i])) return false;
    if (text[i] == '+' || text.substr(i, kFullwidthPlus.size()) == kFullwidthPlus) return true;
  }
  return false;
}

// The length of the text before its extension's mark, or npos when it has
// no extension; `digits` gets the extension's digits.
size_t ExtensionMark(std::string_view text, std::string_view* digits) {
  size_t end = text.size();
  while (end > 0 && (text[end - 1] == ' ' || text[end - 1] == '\t' || text[end - 1] == '#' ||
                     text[end - 1] == ')')) {
    --end;
  }
  size_t start = end;
  while (start > 0 && IsAsciiDigit(text[start - 1])) --start;
  if (start == end) return std::string_view::npos;
  *digits = text.substr(start, end - start);
  size_t mark_end = start;
  while (mark_end > 0 && std::string_view(" \t.:=(").find(text[mark_end - 1]) != std::string_view::npos) {
    --mark_end;
  }
  std::string_view before = text.substr(0, mark_end);
  for (std::string_view word : kExtensionWords) {
    if (!EndsWithIgnoreCase(before, word) || digits->size() > kLongestWordExtension) continue;
    size_t at = before.size() - word.size();
    if (at > 0 && IsAsciiLetter(before[at - 1])) continue;  // inside a word
    return at;
  }
  if (!before.empty() && kExtensionSigns.find(before.back()) != std::string_view::npos &&
      digits->size() <= kLongestSignExtension) {
    return before.size() - 1;
  }
  return std::string_view::npos;
}

}  // namespace

std::string StoredNumber::MainDigits() const {
  if (!main || !extension) return digits;
  std::string_view reversed = *main;
  if (!reversed.empty() && reversed.back() == '+') reversed.remove_suffix(1);
  return {reversed.rbegin(), reversed.rend()};
}

std::string StoredNumber::DialledForm() const {
  return international() ? "+" + MainDigits() : MainDigits();
}

StoredNumber StoreNumber(std::string_view written) {
  StoredNumber stored{PhoneDigits(written), std::nullopt, std::nullopt};
  std::string_view extension;
  size_t mark = ExtensionMark(written, &extension);
  std::string main_digits;
  if (mark != std::string_view::npos) {
    main_digits = PhoneDigits(written.substr(0, mark));
    // A mark with no number before it ("x12") marks nothing.
    if (main_digits.empty()) mark = std::string_view::npos;
  }
  bool plus = BeginsWithPlus(written);
  if (mark == std::string_view::npos && !plus) return stored;
  stored.main = plus ? "+" : "";
  if (mark != std::string_view::npos) {
    stored.extension = std::string(extension);
    stored.main->insert(0, ReversedDigits(main_digits));
  }
  return stored;
}

}  // namespace olconn97
