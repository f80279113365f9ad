#include "contact/employee_directory.h"

#include <cmath>
#include <cstdlib>
#include <memory>

#include "base/strings.h"
#include "core/data_paths.h"
#include "core/shared_state.h"
#include "olconn97/com.h"
#include "outside/jet/dao.h"

namespace olconn97 {

Result<jet::Database*> OpenEmployeeDirectory() { return OpenEmployeeDirectoryAt(StxFileName()); }

Result<jet::Database*> OpenEmployeeDirectoryAt(std::string_view path) {
  SharedState& shared = Shared();
  if (!shared.gSTXDatabase) {
    if (!shared.db_engine) shared.db_engine = std::make_unique<jet::DBEngine>();
    OLC_ASSIGN_OR_RETURN(shared.gSTXDatabase, shared.db_engine->OpenDatabase(std::string(path)));
  }
  return shared.gSTXDatabase.get();
}

jet::Value EmployeeNumberValue(std::string_view text) {
  // Only plain decimal numbers: sign, digits, a point and digits.
  size_t end = 0;
  if (end < text.size() && (text[end] == '-' || text[end] == '+')) ++end;
  size_t digits = 0;
  bool point = false;
  for (; end < text.size(); ++end) {
    if (IsAsciiDigit(text[end])) {
      ++digits;
    } else if (text[end] == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (end != text.size() || digits == 0) return jet::Value(text);
  std::string number(text);
  if (!point && digits < 19) return jet::Value(int64_t{std::strtoll(number.c_str(), nullptr, 10)});
  return jet::Value(std::strtod(number.c_str(), nullptr));
}

Result<int32_t> CategoryNumber(const jet::Value& categories) {
  std::string text = categories.ToText();  // null reads as ""
  if (text.empty()) return 1;
  double rounded = std::nearbyint(LeadingNumber(text));  // halves to even
  if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) {
    return Status::InvalidArgument("Overflow.").WithNumber(DISP_E_OVERFLOW);
  }
  return static_cast<int32_t>(rounded);
}

Result<std::optional<std::string>> TextField(jet::Recordset& record, std::string_view name) {
  OLC_ASSIGN_OR_RETURN(jet::Value value, record.GetField(name));
  if (value.is_null()) return std::optional<std::string>();
  return std::optional<std::string>(value.ToText());
}

}  // namespace olconn97
