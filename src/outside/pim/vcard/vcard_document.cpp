#include "outside/pim/vcard/vcard_document.h"

#include "outside/pim/vcard/vcard_params.h"

namespace olconn97::pim {
namespace {

bool EndsInSoftBreak(const ContentLine& line) {
  return line.has_value() && !line.text.empty() && line.text.back() == '=' &&
         IsQuotedPrintable(line.params());
}

}  // namespace

Result<VCardDocument> VCardDocument::Parse(std::string_view file_bytes) {
  OLC_ASSIGN_OR_RETURN(VCardFile file, VCardFile::Parse(file_bytes, 1));
  return FromFile(std::move(file));
}

Result<VCardDocument> VCardDocument::ParseOwned(std::string file_bytes) {
  OLC_ASSIGN_OR_RETURN(VCardFile file, VCardFile::ParseOwned(std::move(file_bytes), 1));
  return FromFile(std::move(file));
}

Result<VCardDocument> VCardDocument::FromFile(VCardFile file) {
  if (file.cards().empty()) {
    return Status::Corrupt("The file holds no vCard: there is no BEGIN:VCARD line");
  }
  const CardSpan& card = file.cards().front();
  VCardDocument document;
  document.storage_ = file.storage();
  document.tail_ = file.tail();
  document.lines_ = std::move(file).TakeLines();
  document.card_begin_ = card.begin;
  document.has_end_ = card.has_end;
  document.next_id_ = static_cast<uint32_t>(document.lines_.size());
  std::string_view end = LineEndOf(document.lines_[card.begin].raw);
  document.line_end_ = end.empty() ? "\r\n" : std::string(end);
  for (size_t i = card.begin + 1; i < document.card_end(); ++i) {
    const ContentLine& line = document.lines_[i];
    if (line.depth == 0 && line.NameIs("VERSION")) {
      document.version_ = VersionFromText(line.value());
      break;
    }
  }
  return document;
}

std::string VCardDocument::Serialize() const {
  size_t size = tail_.size();
  for (const ContentLine& line : lines_) size += line.raw.size() + line_end_.size();
  std::string out;
  out.reserve(size);
  for (size_t i = 0; i < lines_.size(); ++i) {
    // Only the file's last line can lack a line end; a line we put after
    // it needs one in between.
    if (i > 0 && LineEndOf(lines_[i - 1].raw).empty()) out.append(line_end_);
    out.append(lines_[i].raw);
  }
  out.append(tail_);
  return out;
}

size_t VCardDocument::CardsAfter() const {
  if (tail_.empty()) return 0;
  Result<VCardFile> rest = VCardFile::Parse(tail_);
  return rest.ok() ? rest.value().cards().size() : 0;
}

size_t VCardDocument::IndexOf(uint32_t id) const {
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i].id == id) return i;
  }
  return lines_.size();
}

ContentLine VCardDocument::Store(WrittenLine line, uint32_t id) {
  auto storage = std::make_shared<std::string>();
  storage->reserve(line.raw.size() + line.text.size());
  storage->append(line.raw);
  storage->append(line.text);
  std::string_view all = *storage;
  ContentLine stored;
  stored.raw = all.substr(0, line.raw.size());
  stored.text = all.substr(line.raw.size());
  stored.id = id;
  ParseLineHeader(stored);
  written_.push_back(std::move(storage));
  return stored;
}

void VCardDocument::Replace(size_t index, WrittenLine line) {
  uint32_t id = lines_[index].id;
  lines_[index] = Store(std::move(line), id);
}

size_t VCardDocument::InsertBeforeEnd(WrittenLine line) {
  // Without END, after the card's own last line: a nested card that is
  // never closed would otherwise swallow the new line.
  size_t at = card_end();
  while (!has_end_ && at > card_begin_ + 1 && lines_[at - 1].depth > 0) --at;
  // Nor after a quoted-printable line cut short by END:VCARD: its soft
  // break would go on into the new line.
  while (at > card_begin_ + 1 && EndsInSoftBreak(lines_[at - 1])) --at;
  lines_.insert(lines_.begin() + static_cast<ptrdiff_t>(at), Store(std::move(line), next_id_++));
  return at;
}

void VCardDocument::Remove(size_t index) {
  lines_.erase(lines_.begin() + static_cast<ptrdiff_t>(index));
}

}  // namespace olconn97::pim
