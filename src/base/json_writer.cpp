#include "base/json_writer.h"

#include <cstdio>

#include "base/utf8.h"

namespace olconn97 {

void JsonWriter::BeforeValue() {
  if (after_key_) {
    after_key_ = false;
    return;
  }
  if (!has_items_.empty()) {
    if (has_items_.back()) text_ += ',';
    has_items_.back() = true;
  }
}

JsonWriter& JsonWriter::Open(char bracket) {
  BeforeValue();
  text_ += bracket;
  has_items_.push_back(false);
  return *this;
}

JsonWriter& JsonWriter::Close(char bracket) {
  text_ += bracket;
  if (!has_items_.empty()) has_items_.pop_back();
  return *this;
}

JsonWriter& JsonWriter::Key(std::string_view key) {
  BeforeValue();
  AppendQuoted(key);
  text_ += ':';
  after_key_ = true;
  return *this;
}

JsonWriter& JsonWriter::String(std::string_view value) {
  BeforeValue();
  AppendQuoted(value);
  return *this;
}

JsonWriter& JsonWriter::Number(long long value) {
  BeforeValue();
  text_ += std::to_string(value);
  return *this;
}

JsonWriter& JsonWriter::Bool(bool value) {
  BeforeValue();
  text_ += value ? "true" : "false";
  return *this;
}

JsonWriter& JsonWriter::Null() {
  BeforeValue();
  text_ += "null";
  return *this;
}

// Always valid JSON in UTF-8, whatever the bytes: an ill-formed sequence
// becomes U+FFFD, and control characters (C0, DEL, C1) are escaped.
void JsonWriter::AppendQuoted(std::string_view value) {
  text_ += '"';
  for (size_t at = 0; at < value.size();) {
    Utf8Char next = DecodeUtf8(value, at);
    char32_t code = next.code;  // U+FFFD for an ill-formed sequence
    switch (code) {
      case '"':
        text_ += "\\\"";
        break;
      case '\\':
        text_ += "\\\\";
        break;
      case '\n':
        text_ += "\\n";
        break;
      case '\r':
        text_ += "\\r";
        break;
      case '\t':
        text_ += "\\t";
        break;
      default:
        if (code < 0x20 || (code >= 0x7F && code <= 0x9F)) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(code));
          text_ += escaped;
        } else if (next.valid) {
          text_.append(value.substr(at, next.length));
        } else {
          AppendUtf8(kReplacementCharacter, text_);
        }
    }
    at += next.length;
  }
  text_ += '"';
}

}  // namespace olconn97
