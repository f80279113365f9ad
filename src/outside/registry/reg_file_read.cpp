// Reading the registry export format.
#include <cstdint>
#include <string>
#include <string_view>

#include "base/strings.h"
#include "outside/registry/reg_file.h"
#include "outside/registry/reg_text.h"

namespace olconn97::registry {
namespace {

constexpr std::string_view kRegedit4Header = "REGEDIT4";

std::string_view TrimSpace(std::string_view text) {
  size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string_view::npos) return {};
  size_t end = text.find_last_not_of(" \t");
  return text.substr(begin, end - begin + 1);
}

// Splits the text into logical lines: CR LF or LF ends a line, and a line
// ending in a backslash (hex data wrapped by regedit) goes on with the next.
struct LogicalLine {
  std::string text;
  int number = 0;
};

std::vector<LogicalLine> SplitLogicalLines(std::string_view text) {
  std::vector<LogicalLine> lines;
  bool continuing = false;
  int number = 0;
  for (std::string_view raw : Split(text, '\n')) {
    ++number;
    if (raw.ends_with('\r')) raw.remove_suffix(1);
    std::string_view trimmed = TrimSpace(raw);
    if (continuing) {
      lines.back().text += trimmed;
    } else {
      lines.push_back({std::string(trimmed), number});
    }
    continuing = lines.back().text.ends_with('\\') && !lines.back().text.starts_with('[');
    if (continuing) lines.back().text.pop_back();
  }
  return lines;
}

// Reads a quoted string starting at `at` (on the opening quote) and leaves
// `at` after the closing one. False when it is not closed.
bool ReadQuoted(std::string_view line, size_t& at, std::string& out) {
  out.clear();
  for (size_t i = at + 1; i < line.size(); ++i) {
    char c = line[i];
    if (c == '"') {
      at = i + 1;
      return true;
    }
    if (c != '\\' || i + 1 == line.size()) {
      out += c;
      continue;
    }
    char next = line[++i];
    switch (next) {
      case '\\':
        out += '\\';
        break;
      case '"':
        out += '"';
        break;
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      case '0':
        out += '\0';
        break;
      default:
        out += '\\';
        out += next;
        break;  // kept as written
    }
  }
  return false;
}

bool ParseHexNumber(std::string_view text, size_t max_digits, uint64_t& number) {
  if (text.empty() || text.size() > max_digits) return false;
  number = 0;
  for (char c : text) {
    int digit = HexDigitValue(c);
    if (digit < 0) return false;
    number = number * 16 + static_cast<uint64_t>(digit);
  }
  return true;
}

// Regedit writes every byte as two digits: a piece of another length is a
// line cut short or mangled, and its value is not to be guessed.
Status ParseHexBytes(std::string_view text, std::string& bytes) {
  bytes.clear();
  if (TrimSpace(text).empty()) return Status::Ok();
  std::vector<std::string_view> pieces = Split(text, ',');
  for (size_t i = 0; i < pieces.size(); ++i) {
    std::string_view piece = TrimSpace(pieces[i]);
    if (piece.empty() && i + 1 == pieces.size()) break;  // a trailing comma
    uint64_t byte = 0;
    if (piece.size() != 2 || !ParseHexNumber(piece, 2, byte)) {
      return Status::Corrupt("hex data whose byte " + std::to_string(i + 1) + " is \"" +
                             std::string(piece.substr(0, 8)) + "\", not two hex digits");
    }
    bytes += static_cast<char>(byte);
  }
  return Status::Ok();
}

// The text data of hex(1), hex(2) and hex(7) as the store keeps it: UTF-8,
// without the one terminating NUL character.
std::string TextFromHexData(std::string_view bytes, bool unicode) {
  std::string text = unicode ? Utf16LeToUtf8(bytes) : Cp1252ToUtf8(bytes);
  if (text.ends_with('\0')) text.pop_back();
  return text;
}

class Reader {
 public:
  explicit Reader(RegFileContent& content) : content_(content) {}

  void Read(std::string_view text);

 private:
  void Fault(int line, std::string message) {
    content_.faults.push_back({line, std::move(message)});
  }
  void ReadKeyLine(const LogicalLine& line);
  void ReadValueLine(const LogicalLine& line);
  Status ReadData(std::string_view data, RegValue& value);
  Status ReadHexData(std::string_view data, RegValue& value);

  RegFileContent& content_;
  bool unicode_ = true;
  bool in_key_ = false;     // a key line was read
  bool key_valid_ = false;  // ... and it could be read
  KeyName key_;
};

void Reader::Read(std::string_view text) {
  std::vector<LogicalLine> lines = SplitLogicalLines(text);
  size_t first = 0;
  while (first < lines.size() && lines[first].text.empty()) ++first;
  if (first < lines.size() && lines[first].text == kRegFileHeader) {
    ++first;
  } else if (first < lines.size() && lines[first].text == kRegedit4Header) {
    unicode_ = false;
    ++first;
  } else if (first < lines.size()) {
    Fault(lines[first].number,
          "the file does not begin with \"" + std::string(kRegFileHeader) + "\"");
  }
  content_.entries.reserve(lines.size() - first);
  for (size_t i = first; i < lines.size(); ++i) {
    const LogicalLine& line = lines[i];
    if (line.text.empty() || line.text.starts_with(';')) continue;
    if (line.text.starts_with('[')) {
      ReadKeyLine(line);
    } else {
      ReadValueLine(line);
    }
  }
}

void Reader::ReadKeyLine(const LogicalLine& line) {
  in_key_ = true;
  key_valid_ = false;
  std::string_view text = line.text;
  if (!text.ends_with(']')) return Fault(line.number, "a key line without its closing \"]\"");
  text = text.substr(1, text.size() - 2);
  bool deletion = text.starts_with('-');
  if (deletion) text.remove_prefix(1);
  Result<KeyName> name = ParseKeyName(text);
  if (!name.ok()) return Fault(line.number, name.status().description());
  if (deletion && SplitKeyPath(name.value().path).empty()) {
    return Fault(line.number, "the root of a hive cannot be deleted");
  }
  key_ = std::move(name).value();
  key_valid_ = !deletion;  // values below a deleted key are not read
  RegFileEntry entry;
  entry.kind = deletion ? RegFileEntry::Kind::kDeleteKey : RegFileEntry::Kind::kKey;
  entry.hive = key_.hive;
  entry.path = key_.path;
  entry.line = line.number;
  content_.entries.push_back(std::move(entry));
}

void Reader::ReadValueLine(const LogicalLine& line) {
  if (!in_key_) return Fault(line.number, "a value before the first key");
  if (!key_valid_) return;  // the key line's fault stands for its values
  std::string_view text = line.text;
  RegFileEntry entry;
  size_t at = 0;
  if (text.starts_with('@')) {
    at = 1;
  } else if (!text.starts_with('"') || !ReadQuoted(text, at, entry.name)) {
    return Fault(line.number, "a value line that does not begin with a quoted name or \"@\"");
  }
  std::string_view rest = TrimSpace(text.substr(at));
  if (!rest.starts_with('=')) return Fault(line.number, "a value name without \"=\"");
  rest = TrimSpace(rest.substr(1));
  entry.hive = key_.hive;
  entry.path = key_.path;
  entry.line = line.number;
  if (rest == "-") {
    entry.kind = RegFileEntry::Kind::kDeleteValue;
  } else if (Status read = ReadData(rest, entry.value); read.ok()) {
    entry.kind = RegFileEntry::Kind::kValue;
  } else {
    return Fault(line.number, read.description());
  }
  content_.entries.push_back(std::move(entry));
}

Status Unreadable(std::string_view data) {
  return Status::Corrupt("value data that cannot be read: " + std::string(data.substr(0, 40)));
}

Status Reader::ReadData(std::string_view data, RegValue& value) {
  if (data.starts_with('"')) {
    size_t at = 0;
    value.type = ValueType::kSz;
    bool read = ReadQuoted(data, at, value.data) && TrimSpace(data.substr(at)).empty();
    return read ? Status::Ok() : Unreadable(data);
  }
  if (data.size() >= 6 && EqualsIgnoreCase(data.substr(0, 6), "dword:")) {
    uint64_t number = 0;
    if (!ParseHexNumber(TrimSpace(data.substr(6)), 8, number)) return Unreadable(data);
    value = RegValue::Dword(static_cast<uint32_t>(number));
    return Status::Ok();
  }
  return ReadHexData(data, value);
}

Status Reader::ReadHexData(std::string_view data, RegValue& value) {
  std::string_view whole = data;
  if (data.size() < 4 || !EqualsIgnoreCase(data.substr(0, 3), "hex")) return Unreadable(whole);
  data.remove_prefix(3);
  uint64_t type = static_cast<uint64_t>(ValueType::kBinary);
  if (data.starts_with('(')) {
    size_t close = data.find(')');
    if (close == std::string_view::npos || !ParseHexNumber(data.substr(1, close - 1), 8, type)) {
      return Unreadable(whole);
    }
    data.remove_prefix(close + 1);
  }
  if (!data.starts_with(':')) return Unreadable(whole);
  std::string bytes;
  OLC_RETURN_IF_ERROR(ParseHexBytes(data.substr(1), bytes));
  value.type = static_cast<ValueType>(type);
  switch (value.type) {
    case ValueType::kSz:
    case ValueType::kExpandSz:
    case ValueType::kMultiSz:
      if (unicode_ && bytes.size() % 2 != 0) {
        return Status::Corrupt("UTF-16 text data with an odd number of bytes");
      }
      value.data = TextFromHexData(bytes, unicode_);
      break;
    default:
      value.data = std::move(bytes);
      break;
  }
  return Status::Ok();
}

}  // namespace

std::string RegFileFault::ToString() const {
  return line > 0 ? "line " + std::to_string(line) + ": " + message : message;
}

RegFileContent ParseRegFile(std::string_view bytes) {
  RegFileContent content;
  Reader(content).Read(DecodeRegFileBytes(bytes));
  return content;
}

void ApplyRegFileEntries(const std::vector<RegFileEntry>& entries, Hive hive, RegTree& tree) {
  // The values of a key follow its line: its path is looked up once for all.
  // Only a key deleted since may have taken the remembered one with it.
  const std::string* last_path = nullptr;
  RegKey* last_key = nullptr;
  for (const RegFileEntry& entry : entries) {
    if (entry.hive != hive) continue;
    switch (entry.kind) {
      case RegFileEntry::Kind::kKey:
        last_key = &tree.Create(entry.path);
        last_path = &entry.path;
        break;
      case RegFileEntry::Kind::kDeleteKey:
        (void)tree.Delete(entry.path, /*recursive=*/true);  // a missing key is no fault
        last_key = nullptr;
        break;
      case RegFileEntry::Kind::kValue:
        if (last_key == nullptr || *last_path != entry.path) {
          last_key = &tree.Create(entry.path);
          last_path = &entry.path;
        }
        last_key->SetValue(entry.name, entry.value);
        break;
      case RegFileEntry::Kind::kDeleteValue:
        if (RegKey* key = tree.Find(entry.path)) key->DeleteValue(entry.name);
        break;
    }
  }
}

}  // namespace olconn97::registry
