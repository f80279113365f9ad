#include "name_search.h"

#include <algorithm>
#include <iterator>

#include "utf8_text.h"

namespace host {

namespace {

// The Latin-1 and Latin Extended-A letters (U+00C0 to U+017F) in lower case
// without their accents, sixteen to a row; "-" for the two signs among them,
// × and ÷.
constexpr std::string_view kLatinBase[] = {
    "a a a a a a ae c e e e e i i i i",   // U+00C0
    "d n o o o o o - o u u u u y th ss",  // U+00D0
    "a a a a a a ae c e e e e i i i i",   // U+00E0
    "d n o o o o o - o u u u u y th y",   // U+00F0
    "a a a a a a c c c c c c c c d d",    // U+0100
    "d d e e e e e e e e e e g g g g",    // U+0110
    "g g g g h h h h i i i i i i i i",    // U+0120
    "i i ij ij j j k k k l l l l l l l",  // U+0130
    "l l l n n n n n n n n n o o o o",    // U+0140
    "o o oe oe r r r r r r s s s s s s",  // U+0150
    "s s t t t t t t u u u u u u u u",    // U+0160
    "u u u u w w y y y z z z z z z s",    // U+0170
};
constexpr char32_t kLatinBaseFirst = 0xC0;
constexpr char32_t kLatinBaseEnd = kLatinBaseFirst + 16 * std::size(kLatinBase);

// The entry for `c`, between kLatinBaseFirst and kLatinBaseEnd.
std::string_view LatinBase(char32_t c) {
  std::string_view row = kLatinBase[(c - kLatinBaseFirst) / 16];
  for (size_t column = (c - kLatinBaseFirst) % 16; column > 0; --column) {
    row.remove_prefix(row.find(' ') + 1);
  }
  return row.substr(0, row.find(' '));
}

// Single letters outside those blocks that lose an accent or a final form:
// Romanian comma-below letters, Greek letters with tonos or dialytika and
// final sigma, Cyrillic io (after the capitals became small letters).
struct BaseLetter {
  char32_t letter, base;
};
constexpr BaseLetter kBaseLetters[] = {
    {0x0218, 's'},    {0x0219, 's'},    {0x021A, 't'},    {0x021B, 't'},    {0x0386, 0x03B1},
    {0x0388, 0x03B5}, {0x0389, 0x03B7}, {0x038A, 0x03B9}, {0x038C, 0x03BF}, {0x038E, 0x03C5},
    {0x038F, 0x03C9}, {0x0390, 0x03B9}, {0x03AA, 0x03B9}, {0x03AB, 0x03C5}, {0x03AC, 0x03B1},
    {0x03AD, 0x03B5}, {0x03AE, 0x03B7}, {0x03AF, 0x03B9}, {0x03B0, 0x03C5}, {0x03C2, 0x03C3},
    {0x03CA, 0x03B9}, {0x03CB, 0x03C5}, {0x03CC, 0x03BF}, {0x03CD, 0x03C5}, {0x03CE, 0x03C9},
    {0x0451, 0x0435},
};

// Blocks of capitals that are their small letters at a fixed distance.
struct CaseBlock {
  char32_t first, last, to_lower;
};
constexpr CaseBlock kCaseBlocks[] = {
    {0x0391, 0x03A9, 0x20},  // Greek
    {0x0400, 0x040F, 0x50},  // Cyrillic with marks (Ѐ to Џ)
    {0x0410, 0x042F, 0x20},  // Cyrillic
};

// What a character is to a word.
enum class Role {
  kLetter,      // part of the word, as `folded`
  kMark,        // a combining accent: dropped, the word goes on
  kApostrophe,  // inside a word, joins two of its parts
  kSeparator,   // ends a word
};

bool IsApostrophe(char32_t c) { return c == U'\'' || c == 0x2019 || c == 0x02BC; }

bool IsSeparator(char32_t c) {
  if (c < 0x80) return !(c >= '0' && c <= '9') && !(c >= 'a' && c <= 'z');
  return c < 0xC0 ||                      // C1 controls, no-break space, Latin-1 signs
         (c >= 0x2000 && c <= 0x206F) ||  // general punctuation and spaces
         (c >= 0x3000 && c <= 0x3003);    // ideographic space and marks
}

Role Fold(char32_t c, std::string* folded) {
  if (c >= 'A' && c <= 'Z') c += 'a' - 'A';
  if (IsApostrophe(c)) return Role::kApostrophe;
  if (c >= 0x0300 && c <= 0x036F) return Role::kMark;
  if (IsSeparator(c)) return Role::kSeparator;
  if (c >= kLatinBaseFirst && c < kLatinBaseEnd) {
    std::string_view base = LatinBase(c);
    if (base == "-") return Role::kSeparator;
    *folded += base;
    return Role::kLetter;
  }
  for (const CaseBlock& block : kCaseBlocks) {
    if (c >= block.first && c <= block.last) c += block.to_lower;
  }
  for (const BaseLetter& letter : kBaseLetters) {
    if (c == letter.letter) c = letter.base;
  }
  AppendUtf8(*folded, c);
  return Role::kLetter;
}

// A run of letters, its parts split at apostrophes: the parts are words,
// and so is the whole run when it has more than one part.
void AddWords(const std::vector<std::string>& parts, std::vector<std::string>* words) {
  std::string whole;
  for (const std::string& part : parts) {
    if (!part.empty()) words->push_back(part);
    whole += part;
  }
  if (whole != words->back()) words->push_back(whole);
}

}  // namespace

bool IsNamePattern(std::string_view typed) {
  return typed.find_first_of("*,") != std::string_view::npos;
}

std::vector<std::string> SearchWords(std::string_view text) {
  std::vector<std::string> words;
  std::vector<std::string> parts(1);
  auto end_run = [&] {
    if (std::any_of(parts.begin(), parts.end(), [](auto& part) { return !part.empty(); })) {
      AddWords(parts, &words);
    }
    parts.assign(1, std::string());
  };
  for (size_t at = 0; at < text.size();) {
    Utf8Sequence next = DecodeUtf8(text, at);
    at += next.length;
    switch (next.valid ? Fold(next.code, &parts.back()) : Role::kSeparator) {
      case Role::kLetter:
      case Role::kMark:
        break;
      case Role::kApostrophe:
        parts.emplace_back();
        break;
      case Role::kSeparator:
        end_run();
        break;
    }
  }
  end_run();
  return words;
}

bool NameHasWords(std::string_view name, const std::vector<std::string>& typed) {
  std::vector<std::string> words = SearchWords(name);
  return std::all_of(typed.begin(), typed.end(), [&](const std::string& wanted) {
    return std::any_of(words.begin(), words.end(),
                       [&](const std::string& word) { return word.starts_with(wanted); });
  });
}

}  // namespace host
