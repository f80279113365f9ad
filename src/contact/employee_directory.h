// The suite's employee directory (stx.mdb) as the contact reads it: the
// database, opened once per process, and the readings of its fields.
#ifndef OLCONN97_CONTACT_EMPLOYEE_DIRECTORY_H_
#define OLCONN97_CONTACT_EMPLOYEE_DIRECTORY_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/result.h"
#include "outside/jet/database.h"
#include "outside/jet/recordset.h"
#include "outside/jet/value.h"

namespace olconn97 {

// gSTXDatabase, opened from StxFileName() through the shared database
// engine on first need and kept open for the process. A missing file fails
// (the directory is never created here).
Result<jet::Database*> OpenEmployeeDirectory();
// The same from another file (the path a host names); whichever opens it
// first, the process keeps that one database open.
Result<jet::Database*> OpenEmployeeDirectoryAt(std::string_view path);

// The value an employee number is looked up with: a number when the text
// is one, else the text itself, which then matches no numeric key.
jet::Value EmployeeNumberValue(std::string_view text);

// The category of an employee from the record's "Categories": 1 when it is
// null or empty, else the number the text begins with (leading blanks
// skipped; 0 when it begins with none), rounded halves to even; "2,5" is 2.
Result<int32_t> CategoryNumber(const jet::Value& categories);

// A text field of the current row; nullopt when the field is null.
Result<std::optional<std::string>> TextField(jet::Recordset& record, std::string_view name);

}  // namespace olconn97

#endif  // OLCONN97_CONTACT_EMPLOYEE_DIRECTORY_H_
