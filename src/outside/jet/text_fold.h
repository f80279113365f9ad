// Text rules of the database layer: UTF-8 decoding that never fails, the
// case folding behind Like, and the text order behind Order By.
#ifndef OLCONN97_OUTSIDE_JET_TEXT_FOLD_H_
#define OLCONN97_OUTSIDE_JET_TEXT_FOLD_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace olconn97::jet {

// Decodes the code point at `pos` and moves `pos` past it. A byte that does
// not start a valid UTF-8 sequence comes out alone, as a value above
// U+10FFFF, so it equals only the same byte and never a real character.
char32_t NextCodePoint(std::string_view text, size_t& pos);

// Appends `c` as UTF-8 (a lone invalid byte from NextCodePoint as that byte).
void AppendCodePoint(std::string& out, char32_t c);

// Simple case folding (to lower case) of Latin, Greek and Cyrillic letters;
// every other character is its own fold.
char32_t FoldCase(char32_t c);
std::string FoldCase(std::string_view text);

// The text order of Order By: without regard to case, each accented Latin
// letter beside its base letter ("Müller" next to "Muller", not after "z"),
// ligatures as their letters ("ß" as "ss"). Accents only break ties between
// texts that are otherwise equal; texts that differ only in case compare
// equal. Negative, zero or positive like strcmp.
int CompareText(std::string_view a, std::string_view b);

}  // namespace olconn97::jet

#endif  // OLCONN97_OUTSIDE_JET_TEXT_FOLD_H_
