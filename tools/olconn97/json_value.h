// JSON as the host reads it from the SIP user agent's control port: a
// strict parser (RFC 8259) and the value it gives, with lookups that answer
// a neutral value instead of failing, so reading an optional field is one
// line:
//
//   JsonParse parsed = ParseJson(frame);
//   if (!parsed.ok) report(parsed.error.Line());
//   const JsonValue* type = parsed.value.Find("type");
//   if (type != nullptr && type->IsString()) use(type->String());
//
// The parser never trusts its input: nesting is limited (so recursion is
// bounded), ill-formed UTF-8 is refused, numbers are read without regard to
// the process's locale, and a duplicate object key is refused rather than
// silently shadowed.
#ifndef OLCONN97_TOOLS_JSON_VALUE_H_
#define OLCONN97_TOOLS_JSON_VALUE_H_

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace host {

class JsonValue {
 public:
  enum class Type { kNull, kBool, kNumber, kString, kArray, kObject };
  using Array = std::vector<JsonValue>;
  // Members in the order of the text.
  using Object = std::vector<std::pair<std::string, JsonValue>>;

  JsonValue() = default;  // null
  explicit JsonValue(bool value) : data_(value) {}
  explicit JsonValue(double value) : data_(value) {}
  explicit JsonValue(std::string value) : data_(std::move(value)) {}
  explicit JsonValue(Array items) : data_(std::move(items)) {}
  explicit JsonValue(Object members) : data_(std::move(members)) {}

  Type type() const { return static_cast<Type>(data_.index()); }
  bool IsNull() const { return type() == Type::kNull; }
  bool IsBool() const { return type() == Type::kBool; }
  bool IsNumber() const { return type() == Type::kNumber; }
  bool IsString() const { return type() == Type::kString; }
  bool IsArray() const { return type() == Type::kArray; }
  bool IsObject() const { return type() == Type::kObject; }

  // The value, or false, 0, "", no items, no members for another type.
  bool Bool() const;
  double Number() const;
  const std::string& String() const;
  const Array& Items() const;
  const Object& Members() const;

  // The member named `key` of an object; nullptr when there is none or this
  // is no object.
  const JsonValue* Find(std::string_view key) const;

  bool operator==(const JsonValue&) const = default;

 private:
  // In the order of Type.
  std::variant<std::monostate, bool, double, std::string, Array, Object> data_;
};

struct JsonError {
  size_t offset = 0;  // of the byte where reading stopped
  std::string what;

  // "<what> at byte <offset>", one line.
  std::string Line() const;
};

struct JsonParseOptions {
  // Deeper arrays and objects are refused.
  size_t max_depth = 64;
  // Ill-formed UTF-8 inside a string becomes U+FFFD (one per ill-formed
  // sequence, as the host's JsonEscape does) instead of failing the text.
  // Outside strings it is always an error.
  bool replace_invalid_utf8_in_strings = false;
};

struct JsonParse {
  bool ok = false;
  JsonValue value;  // null unless ok
  JsonError error;  // set unless ok
};

// Reads `text` as exactly one JSON value, with optional white space around.
JsonParse ParseJson(std::string_view text, const JsonParseOptions& options = {});

// `text` as a JSON string, quotes included; any bytes give valid JSON.
std::string JsonQuote(std::string_view text);

// A flat JSON object of string members, in the given order:
// {"command":"dial","params":"sip:ann@example.org"}.
std::string JsonStringObject(
    std::initializer_list<std::pair<std::string_view, std::string_view>> members);

}  // namespace host

#endif  // OLCONN97_TOOLS_JSON_VALUE_H_
