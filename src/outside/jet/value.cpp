#include "outside/jet/value.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>

#include "base/strings.h"

namespace olconn97::jet {
namespace {

constexpr char kSource[] = "DAO.Field";

// The errors carry the numbers a VB-style caller knows them by.
Status ConversionError(int vb_number, std::string description) {
  return Status::InvalidArgument(std::move(description), kSource)
      .WithNumber(static_cast<int32_t>(0x800A0000u | static_cast<uint32_t>(vb_number)));
}

Status InvalidUseOfNull() { return ConversionError(94, "Invalid use of Null."); }
Status TypeMismatch() { return ConversionError(13, "Type mismatch."); }

// The number a whole text spells (blanks around it allowed), if any.
std::optional<double> ParseNumber(const std::string& text) {
  std::string trimmed(TrimBlanks(text));
  // Decimal notation only: strtod would also take hex, "inf" and "nan".
  if (trimmed.empty() || trimmed.find_first_not_of("0123456789+-.eE") != std::string::npos) {
    return std::nullopt;
  }
  char* end = nullptr;
  double number = std::strtod(trimmed.c_str(), &end);
  if (end != trimmed.c_str() + trimmed.size()) return std::nullopt;
  return number;
}

Result<int32_t> RoundToInt32(double number) {
  if (!std::isfinite(number)) return ConversionError(6, "Overflow.");
  long double rounded = std::nearbyint(static_cast<long double>(number));  // ties to even
  if (rounded < std::numeric_limits<int32_t>::min() ||
      rounded > std::numeric_limits<int32_t>::max()) {
    return ConversionError(6, "Overflow.");
  }
  return static_cast<int32_t>(rounded);
}

}  // namespace

std::string Value::ToText() const {
  switch (type()) {
    case Type::kNull:
      return {};
    case Type::kInteger:
      return std::to_string(integer());
    case Type::kReal: {
      char buffer[40];
      std::snprintf(buffer, sizeof buffer, "%.15g", real());
      return buffer;
    }
    case Type::kText:
      return text();
    case Type::kBoolean:
      return boolean() ? "True" : "False";
  }
  return {};
}

Result<int32_t> Value::AsInt32() const {
  switch (type()) {
    case Type::kNull:
      return InvalidUseOfNull();
    case Type::kInteger:
      return RoundToInt32(static_cast<double>(integer()));
    case Type::kReal:
      return RoundToInt32(real());
    case Type::kText: {
      std::optional<double> number = ParseNumber(text());
      if (!number) return TypeMismatch();
      return RoundToInt32(*number);
    }
    case Type::kBoolean:
      return boolean() ? -1 : 0;
  }
  return TypeMismatch();
}

Result<bool> Value::AsBool() const {
  switch (type()) {
    case Type::kNull:
      return InvalidUseOfNull();
    case Type::kInteger:
      return integer() != 0;
    case Type::kReal:
      return real() != 0;
    case Type::kText: {
      if (EqualsIgnoreCase(TrimBlanks(text()), "true")) return true;
      if (EqualsIgnoreCase(TrimBlanks(text()), "false")) return false;
      std::optional<double> number = ParseNumber(text());
      if (!number) return TypeMismatch();
      return *number != 0;
    }
    case Type::kBoolean:
      return boolean();
  }
  return TypeMismatch();
}

}  // namespace olconn97::jet
