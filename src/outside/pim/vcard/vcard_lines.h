// The lowest layer of the vCard reader: a file's bytes cut into content lines
// and cards, every line keeping its exact original bytes so that a card can be
// written back byte for byte.
//
// A physical line ends at CR LF, LF, CR alone or CR CR LF (as some phones
// write). A logical content line continues over folds (a physical line that
// begins with a blank or a tab; the line end and that one character are
// removed) and, on a quoted-printable line, over soft line breaks (the value
// ends in "=": the "=" and the line end are removed, the next physical line
// is taken as it is, blank or not).
#ifndef OLCONN97_OUTSIDE_PIM_VCARD_VCARD_LINES_H_
#define OLCONN97_OUTSIDE_PIM_VCARD_VCARD_LINES_H_

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"

namespace olconn97::pim {

// Above this size a file is refused: a contact card is a few kilobytes, a
// card with a large photo a few megabytes.
inline constexpr size_t kMaxVCardFileBytes = 64u << 20;
// Above this many lines in the part of a file that is read, the file is
// refused; it keeps the line table (about 60 bytes a line) bounded.
inline constexpr size_t kMaxVCardLines = 500'000;

// One content line. The views point into storage that the owner of the line
// keeps alive (VCardFile's storage, or a line text held by a document).
struct ContentLine {
  std::string_view raw;      // exact bytes: folds, soft breaks and line end included
  std::string_view text;     // the logical line: unfolded, without line end
  uint32_t name_begin = 0;   // group = text[0, name_begin - 1) when name_begin > 0
  uint32_t name_end = 0;     // params = text[name_end, value_begin - 1)
  uint32_t value_begin = 0;  // 0 when the line has no ':' (no value)
  uint32_t depth = 0;        // 0 for a card's own lines, > 0 inside an embedded card
  uint32_t id = 0;           // identifies the line within its document

  std::string_view group() const {
    return name_begin > 0 ? text.substr(0, name_begin - 1) : std::string_view();
  }
  std::string_view name() const { return text.substr(name_begin, name_end - name_begin); }
  // The parameter text, starting with ';' when there are parameters.
  std::string_view params() const {
    return has_value() ? text.substr(name_end, value_begin - 1 - name_end) : text.substr(name_end);
  }
  std::string_view value() const {
    return has_value() ? text.substr(value_begin) : std::string_view();
  }
  bool has_value() const { return value_begin > 0; }
  // Property names compare without regard to case; `upper` is upper case.
  bool NameIs(std::string_view upper) const;
};

// Fills name_begin, name_end and value_begin of a line from its text.
void ParseLineHeader(ContentLine& line);

// The line end of a line's raw bytes ("" when the file ended without one).
std::string_view LineEndOf(std::string_view raw);

// BEGIN:VCARD and END:VCARD, any case, any group, blanks around the value.
bool IsBeginVCard(const ContentLine& line);
bool IsEndVCard(const ContentLine& line);

// A card: the lines [begin, end) of the file. `begin` is its BEGIN line; the
// last line is its END line when has_end.
struct CardSpan {
  size_t begin = 0;
  size_t end = 0;
  bool has_end = false;
};

// The bytes a file's lines point into. Never changed after parsing, so views
// stay valid for as long as anyone holds it.
struct VCardStorage {
  std::string bytes;
  std::string unfolded;  // logical text of folded lines; capacity fixed before use
};

class VCardFile {
 public:
  static constexpr size_t kAllCards = std::numeric_limits<size_t>::max();

  // Splits `bytes` into lines and cards. Stops after `max_cards` complete
  // cards: the rest of the file is then not split, only kept as tail().
  // Fails only on the size limits above.
  static Result<VCardFile> Parse(std::string_view bytes, size_t max_cards = kAllCards);
  // The same, keeping `bytes` itself rather than a copy.
  static Result<VCardFile> ParseOwned(std::string bytes, size_t max_cards = kAllCards);

  // Every line up to the end of the last card read, cards and anything
  // before or between them; tail() holds the rest.
  const std::vector<ContentLine>& lines() const { return lines_; }
  std::vector<ContentLine> TakeLines() && { return std::move(lines_); }
  const std::vector<CardSpan>& cards() const { return cards_; }
  std::string_view tail() const { return tail_; }
  const std::shared_ptr<const VCardStorage>& storage() const { return storage_; }

 private:
  std::shared_ptr<const VCardStorage> storage_;
  std::vector<ContentLine> lines_;
  std::vector<CardSpan> cards_;
  std::string_view tail_;
};

}  // namespace olconn97::pim

#endif  // OLCONN97_OUTSIDE_PIM_VCARD_VCARD_LINES_H_
