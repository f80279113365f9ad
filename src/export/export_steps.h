// What the export operations share: their failure lines, the directory and
// its two page queries.
#ifndef OLCONN97_EXPORT_EXPORT_STEPS_H_
#define OLCONN97_EXPORT_EXPORT_STEPS_H_

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/result.h"
#include "outside/jet/database.h"
#include "outside/jet/recordset.h"
#include "outside/pim/item_classes.h"

namespace olconn97 {

// The failure lines of one operation: "<operation> Error in <source>.
// <description> (<number in hex>) at line <step>". Steps are numbered
// within each operation and keep their numbers.
class StepFailures {
 public:
  explicit StepFailures(std::string operation) : operation_(std::move(operation)) {}
  // True when `status` is a success; otherwise logs it for `step`.
  bool Passed(int step, const Status& status) const;
  template <typename T>
  std::optional<T> Value(int step, Result<T> result) const {
    if (!Passed(step, result.status())) return std::nullopt;
    return std::move(result).value();
  }

 private:
  std::string operation_;
};

// The open query of a directory page, or null when the page has no entry.
Result<std::unique_ptr<jet::Recordset>> OpenDirectoryPage(jet::Database& directory, int page);

// The row's employee number ("Employees.EmployeeID").
Result<jet::Value> EmployeeNumberOf(jet::Recordset& row);

// Adds "EmployeeId" and "CategorieId" to a new export contact.
Status MarkExportContact(pim::ContactItem& item, const jet::Value& employee_number, int category);

// A number user property's value as text ("12", "2.5"); a text value is
// refused, as the property holds numbers only.
Status SetNumberProperty(pim::ContactItem& item, std::string_view name, const jet::Value& value);

// The log text of a value: a number as the host would print it.
std::string ValueText(const jet::Value& value);

}  // namespace olconn97

#endif  // OLCONN97_EXPORT_EXPORT_STEPS_H_
