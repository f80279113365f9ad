#include "json_value.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "json_text.h"
#include "utf8_text.h"

namespace host {

namespace {

// Reads one text; each method leaves pos_ after what it read, or sets
// error_ and returns false.
class Parser {
 public:
  Parser(std::string_view text, const JsonParseOptions& options) : text_(text), options_(options) {}

  JsonParse Run() {
    JsonParse parsed;
    SkipSpace();
    if (pos_ == text_.size()) {
      Fail("no value");
    } else if (Value(&parsed.value, 0)) {
      SkipSpace();
      if (pos_ == text_.size()) {
        parsed.ok = true;
        return parsed;
      }
      Fail("text after the value");
    }
    parsed.value = JsonValue();
    parsed.error = error_;
    return parsed;
  }

 private:
  bool Value(JsonValue* out, size_t depth);
  bool Container(JsonValue* out, size_t depth);
  bool Members(JsonValue::Object* members, size_t depth);
  bool Items(JsonValue::Array* items, size_t depth);
  bool String(std::string* out);
  bool Escape(std::string* out);
  bool Hex4(char32_t* code);
  bool Number(JsonValue* out);
  bool Literal(std::string_view word, JsonValue value, JsonValue* out);

  void SkipSpace() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' ||
                                   text_[pos_] == '\n' || text_[pos_] == '\r')) {
      ++pos_;
    }
  }
  bool At(char c) const { return pos_ < text_.size() && text_[pos_] == c; }
  bool Fail(std::string what) { return FailAt(pos_, std::move(what)); }
  bool FailAt(size_t at, std::string what) {
    error_ = {at, std::move(what)};
    return false;
  }
  // What stands at pos_, for an error: 'x', a byte in hexadecimal, or the end.
  std::string Unexpected() const;

  std::string_view text_;
  const JsonParseOptions& options_;
  size_t pos_ = 0;
  JsonError error_;
};

std::string Parser::Unexpected() const {
  if (pos_ == text_.size()) return "unexpected end of text";
  const unsigned char byte = static_cast<unsigned char>(text_[pos_]);
  char shown[32];
  if (byte > 0x20 && byte < 0x7F) {
    std::snprintf(shown, sizeof shown, "unexpected '%c'", byte);
  } else {
    std::snprintf(shown, sizeof shown, "unexpected byte 0x%02X", byte);
  }
  return shown;
}

bool Parser::Value(JsonValue* out, size_t depth) {
  if (pos_ == text_.size()) return Fail(Unexpected());
  switch (text_[pos_]) {
    case '{':
    case '[':
      return Container(out, depth + 1);
    case '"': {
      std::string text;
      if (!String(&text)) return false;
      *out = JsonValue(std::move(text));
      return true;
    }
    case 't':
      return Literal("true", JsonValue(true), out);
    case 'f':
      return Literal("false", JsonValue(false), out);
    case 'n':
      return Literal("null", JsonValue(), out);
    default:
      return Number(out);
  }
}

bool Parser::Container(JsonValue* out, size_t depth) {
  if (depth > options_.max_depth) {
    return Fail("nesting deeper than " + std::to_string(options_.max_depth));
  }
  if (text_[pos_] == '{') {
    JsonValue::Object members;
    if (!Members(&members, depth)) return false;
    *out = JsonValue(std::move(members));
  } else {
    JsonValue::Array items;
    if (!Items(&items, depth)) return false;
    *out = JsonValue(std::move(items));
  }
  return true;
}

bool Parser::Members(JsonValue::Object* members, size_t depth) {
  const size_t open = pos_++;
  SkipSpace();
  if (At('}')) {
    ++pos_;
    return true;
  }
  for (;;) {
    if (!At('"')) return Fail(Unexpected() + ", expected a member name");
    std::string key;
    if (!String(&key)) return false;
    SkipSpace();
    if (!At(':')) return Fail(Unexpected() + ", expected ':'");
    ++pos_;
    SkipSpace();
    JsonValue value;
    if (!Value(&value, depth)) return false;
    members->emplace_back(std::move(key), std::move(value));
    SkipSpace();
    if (At('}')) break;
    if (!At(',')) return Fail(Unexpected() + ", expected ',' or '}'");
    ++pos_;
    SkipSpace();
  }
  ++pos_;
  // A second member of the same name would let two readers see two
  // different values; sorting keeps a hostile object of many keys cheap.
  std::vector<std::string_view> keys;
  keys.reserve(members->size());
  for (const auto& member : *members) keys.push_back(member.first);
  std::sort(keys.begin(), keys.end());
  auto twice = std::adjacent_find(keys.begin(), keys.end());
  if (twice != keys.end()) return FailAt(open, "the member \"" + JsonEscape(*twice) + "\" twice");
  return true;
}

bool Parser::Items(JsonValue::Array* items, size_t depth) {
  ++pos_;
  SkipSpace();
  if (At(']')) {
    ++pos_;
    return true;
  }
  for (;;) {
    JsonValue item;
    if (!Value(&item, depth)) return false;
    items->push_back(std::move(item));
    SkipSpace();
    if (At(']')) break;
    if (!At(',')) return Fail(Unexpected() + ", expected ',' or ']'");
    ++pos_;
    SkipSpace();
  }
  ++pos_;
  return true;
}

bool Parser::String(std::string* out) {
  const size_t open = pos_++;
  for (;;) {
    // Plain ASCII runs are copied whole.
    size_t run = pos_;
    while (run < text_.size()) {
      const unsigned char byte = static_cast<unsigned char>(text_[run]);
      if (byte == '"' || byte == '\\' || byte < 0x20 || byte >= 0x80) break;
      ++run;
    }
    out->append(text_.substr(pos_, run - pos_));
    pos_ = run;
    if (pos_ == text_.size()) return FailAt(open, "a string without its closing quote");
    const unsigned char byte = static_cast<unsigned char>(text_[pos_]);
    if (byte == '"') {
      ++pos_;
      return true;
    }
    if (byte == '\\') {
      if (!Escape(out)) return false;
    } else if (byte < 0x20) {
      return Fail("a control character in a string");
    } else {
      const Utf8Sequence next = DecodeUtf8(text_, pos_);
      if (next.valid) {
        out->append(text_.substr(pos_, next.length));
      } else if (options_.replace_invalid_utf8_in_strings) {
        AppendUtf8(*out, U'\uFFFD');
      } else {
        return Fail("ill-formed UTF-8");
      }
      pos_ += next.length;
    }
  }
}

bool Parser::Escape(std::string* out) {
  struct ShortEscape {
    char letter, meaning;
  };
  static constexpr ShortEscape kShort[] = {{'"', '"'},  {'\\', '\\'}, {'/', '/'},  {'b', '\b'},
                                           {'f', '\f'}, {'n', '\n'},  {'r', '\r'}, {'t', '\t'}};
  const size_t start = pos_++;
  if (pos_ == text_.size()) return Fail(Unexpected());
  for (const ShortEscape& escape : kShort) {
    if (text_[pos_] == escape.letter) {
      *out += escape.meaning;
      ++pos_;
      return true;
    }
  }
  if (text_[pos_] != 'u') return FailAt(start, "an unknown escape");
  ++pos_;
  char32_t code;
  if (!Hex4(&code)) return false;
  if (code >= 0xDC00 && code <= 0xDFFF) return FailAt(start, "a lone low surrogate");
  if (code >= 0xD800 && code <= 0xDBFF) {
    char32_t low = 0;
    const bool escaped_next = text_.substr(pos_, 2) == "\\u";
    if (escaped_next) pos_ += 2;
    if (!escaped_next || !Hex4(&low) || low < 0xDC00 || low > 0xDFFF) {
      return FailAt(start, "a high surrogate without its low half");
    }
    code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
  }
  AppendUtf8(*out, code);
  return true;
}

bool Parser::Hex4(char32_t* code) {
  *code = 0;
  for (int i = 0; i < 4; ++i, ++pos_) {
    if (pos_ == text_.size()) return Fail("a \\u escape cut short");
    const char c = text_[pos_];
    int digit = c >= '0' && c <= '9'   ? c - '0'
                : c >= 'a' && c <= 'f' ? c - 'a' + 10
                : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                       : -1;
    if (digit < 0) return Fail("a \\u escape with a non-hexadecimal digit");
    *code = (*code << 4) | static_cast<char32_t>(digit);
  }
  return true;
}

bool Parser::Number(JsonValue* out) {
  // -?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+-]?[0-9]+)?, checked here because
  // from_chars also takes forms JSON does not ("inf", "1.", ".5").
  const size_t start = pos_;
  auto digits = [&] {
    const size_t first = pos_;
    while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') ++pos_;
    return pos_ - first;
  };
  if (At('-')) ++pos_;
  if (At('0')) {
    ++pos_;
  } else if (digits() == 0) {
    return Fail(Unexpected());
  }
  if (At('.')) {
    ++pos_;
    if (digits() == 0) return Fail(Unexpected() + ", expected a digit");
  }
  if (At('e') || At('E')) {
    ++pos_;
    if (At('+') || At('-')) ++pos_;
    if (digits() == 0) return Fail(Unexpected() + ", expected a digit");
  }
  // The locale-independent reader: a host that set LC_NUMERIC must not
  // read "1.5" as 1.
  double value = 0;
  const auto [end, error] = std::from_chars(text_.data() + start, text_.data() + pos_, value);
  if (error != std::errc() || end != text_.data() + pos_) {
    return FailAt(start, "a number out of range");
  }
  *out = JsonValue(value);
  return true;
}

bool Parser::Literal(std::string_view word, JsonValue value, JsonValue* out) {
  if (text_.substr(pos_, word.size()) != word) return Fail(Unexpected());
  pos_ += word.size();
  *out = std::move(value);
  return true;
}

const std::string kNoString;
const JsonValue::Array kNoItems;
const JsonValue::Object kNoMembers;

}  // namespace

bool JsonValue::Bool() const { return IsBool() && std::get<bool>(data_); }

double JsonValue::Number() const { return IsNumber() ? std::get<double>(data_) : 0; }

const std::string& JsonValue::String() const {
  return IsString() ? std::get<std::string>(data_) : kNoString;
}

const JsonValue::Array& JsonValue::Items() const {
  return IsArray() ? std::get<Array>(data_) : kNoItems;
}

const JsonValue::Object& JsonValue::Members() const {
  return IsObject() ? std::get<Object>(data_) : kNoMembers;
}

const JsonValue* JsonValue::Find(std::string_view key) const {
  for (const auto& [name, value] : Members()) {
    if (name == key) return &value;
  }
  return nullptr;
}

std::string JsonError::Line() const { return what + " at byte " + std::to_string(offset); }

JsonParse ParseJson(std::string_view text, const JsonParseOptions& options) {
  return Parser(text, options).Run();
}

std::string JsonQuote(std::string_view text) { return '"' + JsonEscape(text) + '"'; }

std::string JsonStringObject(
    std::initializer_list<std::pair<std::string_view, std::string_view>> members) {
  std::string out = "{";
  for (const auto& [key, value] : members) {
    if (out.size() > 1) out += ',';
    out += JsonQuote(key);
    out += ':';
    out += JsonQuote(value);
  }
  out += '}';
  return out;
}

}  // namespace host
