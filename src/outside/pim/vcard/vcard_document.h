// The first card of a vCard file as an editable list of content lines.
// Lines keep their original bytes until they are replaced; bytes before the
// card (and any cards after it) are kept as they are.
#ifndef OLCONN97_OUTSIDE_PIM_VCARD_VCARD_DOCUMENT_H_
#define OLCONN97_OUTSIDE_PIM_VCARD_VCARD_DOCUMENT_H_

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "outside/pim/vcard/vcard_lines.h"
#include "outside/pim/vcard/vcard_values.h"
#include "outside/pim/vcard/vcard_writer.h"

namespace olconn97::pim {

class VCardDocument {
 public:
  // Fails when the file holds no BEGIN:VCARD, or breaks a size limit.
  static Result<VCardDocument> Parse(std::string_view file_bytes);
  // The same, keeping `file_bytes` itself rather than a copy.
  static Result<VCardDocument> ParseOwned(std::string file_bytes);

  // The whole file: unchanged lines byte for byte, edited lines in place.
  std::string Serialize() const;

  VCardVersion version() const { return version_; }
  // How many cards the file holds after this one (a phone's export of a
  // whole address book): kept, never read.
  size_t CardsAfter() const;
  // The line end of the card's BEGIN line; CR LF when it has none.
  std::string_view line_end() const { return line_end_; }

  const std::vector<ContentLine>& lines() const { return lines_; }
  // The card's lines are [card_begin(), card_end()): BEGIN included, END
  // (when there is one) excluded. Lines with depth > 0 are an embedded card.
  size_t card_begin() const { return card_begin_; }
  size_t card_end() const { return has_end_ ? lines_.size() - 1 : lines_.size(); }
  // The index of the line with this id, or lines().size().
  size_t IndexOf(uint32_t id) const;

  // Edits. A replaced line keeps its id; an inserted one gets a new id and
  // goes before END:VCARD (in a card without END, after its last own line).
  void Replace(size_t index, WrittenLine line);
  size_t InsertBeforeEnd(WrittenLine line);
  void Remove(size_t index);

 private:
  static Result<VCardDocument> FromFile(VCardFile file);
  ContentLine Store(WrittenLine line, uint32_t id);

  std::shared_ptr<const VCardStorage> storage_;
  // Lines we wrote, raw bytes followed by logical text; shared by copies.
  std::vector<std::shared_ptr<const std::string>> written_;
  std::vector<ContentLine> lines_;
  std::string_view tail_;
  size_t card_begin_ = 0;
  bool has_end_ = false;
  VCardVersion version_ = VCardVersion::k30;
  std::string line_end_;
  uint32_t next_id_ = 0;
};

}  // namespace olconn97::pim

#endif  // OLCONN97_OUTSIDE_PIM_VCARD_VCARD_DOCUMENT_H_
