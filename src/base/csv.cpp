#include "base/csv.h"

namespace olconn97 {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

class CsvParser {
 public:
  CsvParser(std::string_view text, std::string_view name) : text_(text), name_(name) {
    if (text_.substr(0, kByteOrderMark.size()) == kByteOrderMark) at_ = kByteOrderMark.size();
  }

  Result<std::vector<CsvRecord>> Parse() {
    std::vector<CsvRecord> records;
    while (at_ < text_.size()) {
      if (AtLineEnd()) {  // an empty line
        SkipLineEnd();
        continue;
      }
      CsvRecord record;
      record.line = line_;
      while (true) {
        OLC_ASSIGN_OR_RETURN(std::string field, Field());
        record.fields.push_back(std::move(field));
        if (at_ < text_.size() && text_[at_] == ',') {
          ++at_;
          continue;
        }
        SkipLineEnd();
        break;
      }
      records.push_back(std::move(record));
    }
    return records;
  }

 private:
  bool AtLineEnd() const { return text_[at_] == '\n' || text_[at_] == '\r'; }

  void SkipLineEnd() {
    if (at_ >= text_.size()) return;
    if (text_[at_] == '\r' && at_ + 1 < text_.size() && text_[at_ + 1] == '\n') ++at_;
    ++at_;
    ++line_;
  }

  Status Failure(const std::string& what, size_t line) const {
    return Status::InvalidArgument(std::string(name_) + ":" + std::to_string(line) + ": " + what);
  }

  Result<std::string> Field() {
    if (at_ < text_.size() && text_[at_] == '"') return QuotedField();
    size_t start = at_;
    while (at_ < text_.size() && text_[at_] != ',' && !AtLineEnd()) {
      if (text_[at_] == '"') return Failure("a quote inside a field that is not quoted", line_);
      ++at_;
    }
    return std::string(text_.substr(start, at_ - start));
  }

  Result<std::string> QuotedField() {
    const size_t opened_on = line_;
    std::string field;
    ++at_;
    while (true) {
      if (at_ >= text_.size()) {
        return Failure("a quoted field is never closed", opened_on);
      }
      char c = text_[at_++];
      if (c == '"') {
        if (at_ < text_.size() && text_[at_] == '"') {
          field += '"';
          ++at_;
          continue;
        }
        if (at_ < text_.size() && text_[at_] != ',' && !AtLineEnd()) {
          return Failure("text after the closing quote of a field", line_);
        }
        return field;
      }
      // Line breaks inside the field are kept as they are.
      if (c == '\n' || (c == '\r' && (at_ >= text_.size() || text_[at_] != '\n'))) ++line_;
      field += c;
    }
  }

  std::string_view text_;
  std::string_view name_;
  size_t at_ = 0;
  size_t line_ = 1;
};

}  // namespace

Result<std::vector<CsvRecord>> ParseCsv(std::string_view text, std::string_view name) {
  return CsvParser(text, name).Parse();
}

}  // namespace olconn97
