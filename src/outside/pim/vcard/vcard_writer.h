// Writing content lines: the lines we add or change in a card. Lines we do
// not change are never passed through here; they keep their own bytes.
#ifndef OLCONN97_OUTSIDE_PIM_VCARD_VCARD_WRITER_H_
#define OLCONN97_OUTSIDE_PIM_VCARD_VCARD_WRITER_H_

#include <initializer_list>
#include <string>
#include <string_view>

#include "outside/pim/vcard/vcard_values.h"

namespace olconn97::pim {

// The longest physical line we write, line end not counted.
inline constexpr size_t kFoldOctets = 75;

struct WrittenLine {
  std::string raw;   // folded, with line end
  std::string text;  // the logical line a reader sees
};

// Folds a logical line: at most kFoldOctets octets a physical line, never
// inside a UTF-8 sequence; continuation lines begin with one blank.
std::string FoldLine(std::string_view text, std::string_view line_end);

// Breaks a quoted-printable line with soft breaks ("=" at the end of a
// physical line) instead of folds, never inside an "=XX" triplet. A blank
// that would begin a physical line is written "=20", as some readers take
// it for a fold; the returned text has that form too. The head up to
// value_begin is kept whole.
WrittenLine SoftBreakLine(std::string_view text, size_t value_begin, std::string_view line_end);

// The parameter text without the parameters named in `upper_names` and,
// when drop_encoding (the value is written anew), without those that
// described the old value's encoding (ENCODING, CHARSET, the 2.1 bare
// encodings). Kept parameters keep their exact text.
std::string ParamsWithout(std::string_view params,
                          std::initializer_list<std::string_view> upper_names,
                          bool drop_encoding = true);

// A line from its head ("group.NAME;params", no ':') and a value already
// escaped for the version. In a 2.1 card a non-ASCII value gets
// CHARSET=UTF-8, and a value with line breaks or other controls is written
// quoted-printable.
WrittenLine ComposeLine(std::string_view head, std::string_view escaped_value, VCardVersion version,
                        std::string_view line_end);

// A line whose logical text is already complete (a parameter changed, the
// value's encoded form kept).
WrittenLine ComposeRawLine(std::string text, std::string_view line_end);

}  // namespace olconn97::pim

#endif  // OLCONN97_OUTSIDE_PIM_VCARD_VCARD_WRITER_H_
