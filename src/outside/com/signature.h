// The automation types of a member, read at compile time from the tokens
// of its line in the interface table.
//
// The C++ types alone cannot tell a boolean from a 16-bit integer (both are
// short), so the table's own words decide: VARIANT_BOOL travels as VT_BOOL,
// SHORT as VT_I2, LONG as VT_I4.
#ifndef OLCONN97_OUTSIDE_COM_SIGNATURE_H_
#define OLCONN97_OUTSIDE_COM_SIGNATURE_H_

#include <cstdint>
#include <string_view>

namespace olconn97::com {

enum class TypeCode : uint8_t {
  kNone,
  kBstr,
  kI2,
  kI4,
  kBool,
  kR8,
  kDate,
  kVariant,
  kObject,       // an interface pointer, in (or the result)
  kObjectInOut,  // a pointer to an interface pointer, in/out
};

enum class MemberKind : uint8_t { kGet, kPut, kMethod, kFunc };

inline constexpr int kMaxArguments = 3;

struct Signature {
  TypeCode result = TypeCode::kNone;
  TypeCode args[kMaxArguments] = {};
  int arg_count = 0;
};

namespace signature_internal {

constexpr std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// Not constexpr: reaching it in a constant expression stops the build with
// the offending table line in the diagnostic.
inline TypeCode UnsupportedTypeInInterfaceTable() { return TypeCode::kNone; }

constexpr TypeCode CodeOf(std::string_view token) {
  token = Trim(token);
  if (token == "void") return TypeCode::kNone;
  if (token == "BSTR") return TypeCode::kBstr;
  if (token == "SHORT") return TypeCode::kI2;
  if (token == "LONG") return TypeCode::kI4;
  if (token == "VARIANT_BOOL") return TypeCode::kBool;
  if (token == "DOUBLE") return TypeCode::kR8;
  if (token == "DATE") return TypeCode::kDate;
  if (token == "VARIANT") return TypeCode::kVariant;
  if (token.ends_with("**")) return TypeCode::kObjectInOut;
  if (token.ends_with("*")) return TypeCode::kObject;
  return UnsupportedTypeInInterfaceTable();
}

}  // namespace signature_internal

// `result` and `args` are the stringified tokens of a table line.
constexpr Signature ParseSignature(std::string_view result, std::string_view args) {
  Signature signature;
  signature.result = signature_internal::CodeOf(result);
  args = signature_internal::Trim(args);
  while (!args.empty()) {
    size_t comma = args.find(',');
    std::string_view token = args.substr(0, comma);
    if (signature.arg_count == kMaxArguments) {
      signature_internal::UnsupportedTypeInInterfaceTable();
      break;
    }
    signature.args[signature.arg_count++] = signature_internal::CodeOf(token);
    if (comma == std::string_view::npos) break;
    args.remove_prefix(comma + 1);
  }
  return signature;
}

}  // namespace olconn97::com

#endif  // OLCONN97_OUTSIDE_COM_SIGNATURE_H_
