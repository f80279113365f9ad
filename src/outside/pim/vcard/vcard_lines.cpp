#include "outside/pim/vcard/vcard_lines.h"

#include <algorithm>

#include "base/strings.h"
#include "outside/pim/vcard/vcard_params.h"
#include "outside/pim/vcard/vcard_strings.h"

namespace olconn97::pim {
namespace {

size_t FindLineEnd(std::string_view s, size_t pos) {
  while (pos < s.size() && s[pos] != '\n' && s[pos] != '\r') ++pos;
  return pos;
}

// CR CR LF counts as one line end: files written through a text-mode layer
// on top of CR LF have it, and splitting there would cut every fold.
size_t LineEndLength(std::string_view s, size_t at) {
  if (at >= s.size()) return 0;
  if (s[at] == '\n') return 1;
  if (at + 1 < s.size() && s[at + 1] == '\n') return 2;
  if (at + 2 < s.size() && s[at + 1] == '\r' && s[at + 2] == '\n') return 3;
  return 1;
}

// Finds the ':' that ends a line's name and parameters, a piece at a time,
// so that a long folded line is scanned once.
class HeaderScanner {
 public:
  // True once the ':' has been seen in text (which only ever grows).
  bool Scan(std::string_view text) {
    for (; !done_ && pos_ < text.size(); ++pos_) {
      char c = text[pos_];
      if (c == '"' && in_params_) {
        quoted_ = !quoted_;
      } else if (c == ';' && !in_params_) {
        in_params_ = true;
        params_begin_ = pos_;
      } else if (c == ':' && !quoted_) {
        done_ = true;
        quoted_printable_ =
            in_params_ && IsQuotedPrintable(text.substr(params_begin_, pos_ - params_begin_));
      }
    }
    return done_;
  }
  bool quoted_printable() const { return quoted_printable_; }

 private:
  size_t pos_ = 0;
  size_t params_begin_ = 0;
  bool in_params_ = false;
  bool quoted_ = false;
  bool done_ = false;
  bool quoted_printable_ = false;
};

class LineSplitter {
 public:
  LineSplitter(std::string_view bytes, std::string* unfolded)
      : bytes_(bytes), unfolded_(unfolded) {}

  bool Done() const { return pos_ >= bytes_.size(); }
  size_t pos() const { return pos_; }

  ContentLine Next() {
    size_t start = pos_;
    size_t end = FindLineEnd(bytes_, start);
    size_t next = end + LineEndLength(bytes_, end);
    std::string_view text = bytes_.substr(start, end - start);
    size_t arena_start = std::string::npos;
    HeaderScanner header;
    header.Scan(text);
    while (next < bytes_.size()) {
      // A soft break wins over a fold: after "=" the next line is data even
      // when it begins with a blank.
      bool soft_break = header.quoted_printable() && !text.empty() && text.back() == '=' &&
                        !IsCardDelimiterAt(next);
      bool fold = !soft_break && (bytes_[next] == ' ' || bytes_[next] == '\t');
      if (!fold && !soft_break) break;
      if (arena_start == std::string::npos) arena_start = StartArenaCopy(text);
      if (soft_break) unfolded_->pop_back();
      size_t segment = fold ? next + 1 : next;
      end = FindLineEnd(bytes_, segment);
      unfolded_->append(bytes_.substr(segment, end - segment));
      text = std::string_view(*unfolded_).substr(arena_start);
      next = end + LineEndLength(bytes_, end);
      header.Scan(text);
    }
    ContentLine line;
    line.raw = bytes_.substr(start, next - start);
    line.text = text;
    ParseLineHeader(line);
    pos_ = next;
    return line;
  }

 private:
  // A soft break never swallows the next card's delimiter: a value that
  // merely ends in "=" must not eat END:VCARD.
  bool IsCardDelimiterAt(size_t at) const {
    std::string_view rest = bytes_.substr(at, 12);
    return StartsWithIgnoreCase(rest, "END:VCARD") || StartsWithIgnoreCase(rest, "BEGIN:VCARD");
  }

  // The arena never grows past the file's size (unfolding only removes
  // bytes), so reserving that once keeps every view into it valid.
  size_t StartArenaCopy(std::string_view text) {
    if (!arena_ready_) {
      unfolded_->reserve(bytes_.size());
      arena_ready_ = true;
    }
    size_t at = unfolded_->size();
    unfolded_->append(text);
    return at;
  }

  std::string_view bytes_;
  std::string* unfolded_;
  size_t pos_ = 0;
  bool arena_ready_ = false;
};

// Follows BEGIN and END lines: which lines make a card, and how deep
// inside embedded cards (a 2.1 AGENT) each line lies.
class CardTracker {
 public:
  void Place(ContentLine& line, size_t index, std::vector<CardSpan>* cards) {
    if (!in_card_) {
      if (IsBeginVCard(line)) {
        in_card_ = true;
        depth_ = 0;
        card_ = CardSpan{index, 0, false};
      }
    } else if (IsBeginVCard(line)) {
      line.depth = ++depth_;
    } else if (IsEndVCard(line) && depth_ == 0) {
      in_card_ = false;
      card_.end = index + 1;
      card_.has_end = true;
      cards->push_back(card_);
    } else {
      line.depth = depth_;
      if (IsEndVCard(line)) --depth_;
    }
  }

  // A card still open at the end of the file ends there.
  void Finish(size_t line_count, std::vector<CardSpan>* cards) {
    if (!in_card_) return;
    card_.end = line_count;
    cards->push_back(card_);
  }

 private:
  bool in_card_ = false;
  uint32_t depth_ = 0;
  CardSpan card_;
};

Status CheckFileSize(size_t size) {
  if (size <= kMaxVCardFileBytes) return Status::Ok();
  return Status::InvalidArgument("The card file holds " + std::to_string(size) +
                                 " bytes; files over " + std::to_string(kMaxVCardFileBytes) +
                                 " bytes are not read");
}

}  // namespace

bool ContentLine::NameIs(std::string_view upper) const { return EqualsIgnoreCase(name(), upper); }

void ParseLineHeader(ContentLine& line) {
  std::string_view text = line.text;
  size_t i = 0;
  while (i < text.size() && text[i] != ';' && text[i] != ':') ++i;
  size_t dot = text.substr(0, i).rfind('.');
  line.name_begin = dot == std::string_view::npos ? 0 : static_cast<uint32_t>(dot + 1);
  line.name_end = static_cast<uint32_t>(i);
  line.value_begin = 0;
  if (i == text.size()) return;
  bool quoted = false;
  size_t j = i;
  for (; j < text.size(); ++j) {
    if (text[j] == '"' && text[i] == ';') {
      quoted = !quoted;
    } else if (text[j] == ':' && !quoted) {
      break;
    }
  }
  // An unclosed quote: take the first ':' rather than lose the value.
  if (j == text.size()) j = text.find(':', i);
  if (j != std::string_view::npos) line.value_begin = static_cast<uint32_t>(j + 1);
}

std::string_view LineEndOf(std::string_view raw) {
  for (std::string_view end : {"\r\r\n", "\r\n", "\n", "\r"}) {
    if (raw.size() >= end.size() && raw.substr(raw.size() - end.size()) == end) {
      return raw.substr(raw.size() - end.size());
    }
  }
  return {};
}

bool IsBeginVCard(const ContentLine& line) {
  return line.NameIs("BEGIN") && EqualsIgnoreCase(TrimWhite(line.value()), "VCARD");
}

bool IsEndVCard(const ContentLine& line) {
  return line.NameIs("END") && EqualsIgnoreCase(TrimWhite(line.value()), "VCARD");
}

Result<VCardFile> VCardFile::Parse(std::string_view bytes, size_t max_cards) {
  OLC_RETURN_IF_ERROR(CheckFileSize(bytes.size()));
  return ParseOwned(std::string(bytes), max_cards);
}

Result<VCardFile> VCardFile::ParseOwned(std::string bytes, size_t max_cards) {
  OLC_RETURN_IF_ERROR(CheckFileSize(bytes.size()));
  auto storage = std::make_shared<VCardStorage>();
  storage->bytes = std::move(bytes);
  VCardFile file;
  file.lines_.reserve(std::min<size_t>(storage->bytes.size() / 32 + 4, 1024));
  LineSplitter splitter(storage->bytes, &storage->unfolded);
  CardTracker tracker;
  while (!splitter.Done() && file.cards_.size() < max_cards) {
    if (file.lines_.size() >= kMaxVCardLines) {
      return Status::InvalidArgument("The card file holds more than " +
                                     std::to_string(kMaxVCardLines) + " lines");
    }
    ContentLine line = splitter.Next();
    line.id = static_cast<uint32_t>(file.lines_.size());
    tracker.Place(line, file.lines_.size(), &file.cards_);
    file.lines_.push_back(line);
  }
  tracker.Finish(file.lines_.size(), &file.cards_);
  file.tail_ = std::string_view(storage->bytes).substr(splitter.pos());
  file.storage_ = std::move(storage);
  return file;
}

}  // namespace olconn97::pim
