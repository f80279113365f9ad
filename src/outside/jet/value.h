// The value of one field or parameter: null, a whole number, a real number,
// text or a yes/no value, with the conversions the driver reads fields with.
#ifndef OLCONN97_OUTSIDE_JET_VALUE_H_
#define OLCONN97_OUTSIDE_JET_VALUE_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "base/result.h"

namespace olconn97::jet {

class Value {
 public:
  enum class Type { kNull, kInteger, kReal, kText, kBoolean };

  Value() = default;                                          // null
  Value(int32_t number) : data_(int64_t{number}) {}           // NOLINT
  Value(int64_t number) : data_(number) {}                    // NOLINT
  Value(double number) : data_(number) {}                     // NOLINT
  Value(std::string text) : data_(std::move(text)) {}         // NOLINT
  Value(std::string_view text) : data_(std::string(text)) {}  // NOLINT
  Value(const char* text) : data_(std::string(text)) {}       // NOLINT
  // Yes/no values are made by name only: a stray bool would otherwise turn
  // into the number 1, and a stray pointer into a yes/no.
  Value(bool) = delete;
  static Value Boolean(bool flag) {
    Value value;
    value.data_ = flag;
    return value;
  }

  Type type() const { return static_cast<Type>(data_.index()); }
  bool is_null() const { return type() == Type::kNull; }

  // The stored form, valid only for the matching type.
  int64_t integer() const { return std::get<int64_t>(data_); }
  double real() const { return std::get<double>(data_); }
  const std::string& text() const { return std::get<std::string>(data_); }
  bool boolean() const { return std::get<bool>(data_); }

  // The value as text, the way text concatenation shows it: "" for null,
  // "True"/"False", numbers in decimal (reals with up to 15 digits).
  std::string ToText() const;

  // The value as a 32-bit integer: reals and numeric text rounded half to
  // even, True as -1. Null fails ("Invalid use of Null."), as does text that
  // is not a number ("Type mismatch.") and a value out of range ("Overflow.").
  Result<int32_t> AsInt32() const;

  // The value as yes/no: numbers are true when not 0; null and text that is
  // neither a number nor "True"/"False" fail.
  Result<bool> AsBool() const;

  friend bool operator==(const Value&, const Value&) = default;

 private:
  // The order matches Type.
  std::variant<std::monostate, int64_t, double, std::string, bool> data_;
};

}  // namespace olconn97::jet

#endif  // OLCONN97_OUTSIDE_JET_VALUE_H_
