#include "outside/textres/po_catalog.h"

#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "base/strings.h"

namespace olconn97::textres {
namespace {

std::string_view TrimSpace(std::string_view text) {
  size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string_view::npos) return {};
  size_t end = text.find_last_not_of(" \t");
  return text.substr(begin, end - begin + 1);
}

// The escape at text[*i] (just after the backslash), advancing *i past it.
std::optional<char> Unescape(std::string_view text, size_t* i) {
  static constexpr std::string_view kFrom = "ntr\"\\abfv?'";
  static constexpr std::string_view kTo = "\n\t\r\"\\\a\b\f\v?'";
  char c = text[(*i)++];
  if (size_t at = kFrom.find(c); at != std::string_view::npos) return kTo[at];
  int value = 0;
  int digits = 0;
  if (c >= '0' && c <= '7') {
    value = c - '0';
    for (digits = 1; digits < 3 && *i < text.size() && text[*i] >= '0' && text[*i] <= '7'; ++digits)
      value = value * 8 + (text[(*i)++] - '0');
    return static_cast<char>(value);
  }
  if (c != 'x') return std::nullopt;
  for (; *i < text.size() && HexDigitValue(text[*i]) >= 0; ++digits)
    value = (value * 16 + HexDigitValue(text[(*i)++])) & 0xFF;
  if (digits == 0) return std::nullopt;
  return static_cast<char>(value);
}

// A quoted string and nothing after it but blanks.
Result<std::string> ParseString(std::string_view text) {
  text = TrimSpace(text);
  if (text.empty() || text.front() != '"') return Status::Corrupt("a quoted string is expected");
  std::string value;
  size_t i = 1;
  while (i < text.size() && text[i] != '"') {
    if (text[i++] != '\\') {
      value += text[i - 1];
      continue;
    }
    if (i == text.size()) break;
    std::optional<char> escaped = Unescape(text, &i);
    if (!escaped) return Status::Corrupt("unknown escape sequence");
    value += *escaped;
  }
  if (i >= text.size()) return Status::Corrupt("unterminated string");
  if (!TrimSpace(text.substr(i + 1)).empty()) return Status::Corrupt("text after the string");
  return value;
}

// Length of the UTF-8 sequence at text[i], or 0 when it is not valid
// (overlong forms, surrogates and code points above U+10FFFF included).
size_t Utf8SequenceLength(std::string_view text, size_t i) {
  auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  unsigned char lead = byte(i);
  if (lead < 0x80) return 1;
  size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
  if (length == 0 || lead > 0xF4 || i + length > text.size()) return 0;
  for (size_t k = 1; k < length; ++k)
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
  unsigned char second = byte(i + 1);
  if (lead == 0xE0 && second < 0xA0) return 0;   // overlong
  if (lead == 0xED && second >= 0xA0) return 0;  // surrogate
  if (lead == 0xF0 && second < 0x90) return 0;   // overlong
  if (lead == 0xF4 && second >= 0x90) return 0;  // above U+10FFFF
  return length;
}

// The line (from 1) of the first byte that is not valid UTF-8, or 0.
int FirstInvalidUtf8Line(std::string_view text) {
  int line = 1;
  for (size_t i = 0; i < text.size();) {
    size_t length = Utf8SequenceLength(text, i);
    if (length == 0) return line;
    if (text[i] == '\n') ++line;
    i += length;
  }
  return 0;
}

bool DeclaresUtf8OrNothing(std::string_view header) {
  size_t at = header.find("charset=");
  if (at == std::string_view::npos) return true;
  std::string_view charset = header.substr(at + 8);
  charset = charset.substr(0, charset.find_first_of(" \t;\n"));
  return EqualsIgnoreCase(charset, "UTF-8") || EqualsIgnoreCase(charset, "utf8");
}

}  // namespace

// Reads a catalog line by line; an entry is stored when the next one begins
// (a keyword or comment after its msgstr) or at the end of the text.
class PoReader {
 public:
  Result<Catalog> Read(std::string_view text);

 private:
  struct Entry {
    bool fuzzy = false;
    std::optional<std::string> context;
    std::optional<std::string> id;
    std::optional<std::string> plural;
    std::vector<std::string> translations;  // msgstr, or msgstr[0], msgstr[1], ...
  };

  Status ReadLine(std::string_view line);
  Status ReadComment(std::string_view line);
  Status ReadKeyword(std::string_view keyword, std::string_view rest);
  Status StartField(std::optional<std::string>& field, std::string_view rest);
  Status StartTranslation(std::string_view keyword, std::string_view rest);
  Status FinishEntry();
  Status Error(std::string_view reason) const {
    return Status::Corrupt("line " + std::to_string(line_number_) + ": " + std::string(reason));
  }

  Catalog catalog_;
  std::set<std::string, std::less<>> seen_;
  Entry entry_;
  std::string* field_ = nullptr;  // where a continued string goes
  int line_number_ = 0;
};

Result<Catalog> PoReader::Read(std::string_view text) {
  if (int line = FirstInvalidUtf8Line(text); line != 0)
    return Status::Corrupt("line " + std::to_string(line) + ": not valid UTF-8");
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    ++line_number_;
    OLC_RETURN_IF_ERROR(ReadLine(TrimSpace(line)));
  }
  OLC_RETURN_IF_ERROR(FinishEntry());
  return std::move(catalog_);
}

Status PoReader::ReadLine(std::string_view line) {
  if (line.empty()) return Status::Ok();
  if (line.front() == '#') return ReadComment(line);
  if (line.front() == '"') {
    if (field_ == nullptr) return Error("a string without a keyword");
    Result<std::string> more = ParseString(line);
    if (!more.ok()) return Error(more.status().description());
    *field_ += more.value();
    return Status::Ok();
  }
  size_t end = line.find_first_of(" \t\"");
  if (end == std::string_view::npos) return Error("a keyword without its string");
  return ReadKeyword(line.substr(0, end), line.substr(end));
}

Status PoReader::ReadComment(std::string_view line) {
  if (!entry_.translations.empty()) OLC_RETURN_IF_ERROR(FinishEntry());
  field_ = nullptr;
  if (!line.starts_with("#,")) return Status::Ok();
  for (std::string_view flag : Split(line.substr(2), ','))
    if (TrimSpace(flag) == "fuzzy") entry_.fuzzy = true;
  return Status::Ok();
}

Status PoReader::ReadKeyword(std::string_view keyword, std::string_view rest) {
  bool starts_entry = keyword == "msgctxt" || keyword == "msgid";
  if (starts_entry && !entry_.translations.empty()) OLC_RETURN_IF_ERROR(FinishEntry());
  if (keyword == "msgctxt") {
    if (entry_.context || entry_.id) return Error("msgctxt in the middle of an entry");
    return StartField(entry_.context, rest);
  }
  if (keyword == "msgid") {
    if (entry_.id) return Error("msgid without msgstr");
    return StartField(entry_.id, rest);
  }
  if (keyword == "msgid_plural") {
    if (!entry_.id || entry_.plural || !entry_.translations.empty())
      return Error("misplaced msgid_plural");
    return StartField(entry_.plural, rest);
  }
  if (keyword.starts_with("msgstr")) return StartTranslation(keyword, rest);
  return Error("unknown keyword " + std::string(keyword));
}

Status PoReader::StartField(std::optional<std::string>& field, std::string_view rest) {
  Result<std::string> value = ParseString(rest);
  if (!value.ok()) return Error(value.status().description());
  field = std::move(value).value();
  field_ = &*field;
  return Status::Ok();
}

Status PoReader::StartTranslation(std::string_view keyword, std::string_view rest) {
  if (!entry_.id) return Error("msgstr without msgid");
  std::string expected = "msgstr";
  if (entry_.plural) expected += "[" + std::to_string(entry_.translations.size()) + "]";
  if (keyword != expected || (!entry_.plural && !entry_.translations.empty()))
    return Error("unexpected " + std::string(keyword));
  Result<std::string> value = ParseString(rest);
  if (!value.ok()) return Error(value.status().description());
  entry_.translations.push_back(std::move(value).value());
  field_ = &entry_.translations.back();
  return Status::Ok();
}

Status PoReader::FinishEntry() {
  Entry entry = std::move(entry_);
  entry_ = Entry();
  field_ = nullptr;
  if (!entry.id) {
    if (entry.context) return Error("msgctxt without msgid");
    return Status::Ok();  // comments only
  }
  if (entry.translations.empty()) return Error("the catalog ends inside an entry");
  if (entry.id->empty() && !entry.context) {
    if (!DeclaresUtf8OrNothing(entry.translations.front()))
      return Error("the catalog's charset is not UTF-8");
    return Status::Ok();
  }
  std::string key = entry.context ? *entry.context + '\x04' + *entry.id : *entry.id;
  if (!seen_.insert(key).second) return Error("duplicate message " + *entry.id);
  if (!entry.fuzzy && !entry.translations.front().empty())
    catalog_.messages_.emplace(std::move(key), std::move(entry.translations.front()));
  return Status::Ok();
}

const std::string* Catalog::Find(std::string_view msgid) const {
  auto found = messages_.find(msgid);
  return found == messages_.end() ? nullptr : &found->second;
}

Result<Catalog> ParsePo(std::string_view text) { return PoReader().Read(text); }

}  // namespace olconn97::textres
