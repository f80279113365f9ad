#include "export/export_steps.h"

#include <cinttypes>
#include <cstdio>

#include "diag/log.h"
#include "export/export_folder.h"
#include "outside/com/variant.h"

namespace olconn97 {

namespace {

constexpr char kDriverSource[] = "olconn97";

// The two directory pages, in the suite's own words.
constexpr char kPhoneSetsQuery[] =
    "Select * from BLFPagesContents, Employees where Employees.EmployeeId = "
    "BLFPagesContents.EmployeeId and BindToEmployee = 0 and BLFpageId = 1";
constexpr char kEmployeesQuery[] =
    "Select * from BLFPagesContents, Employees where Employees.EmployeeId = "
    "BLFPagesContents.EmployeeId and BLFpageId = 2";

}  // namespace

bool StepFailures::Passed(int step, const Status& status) const {
  if (status.ok()) return true;
  char number[16];
  std::snprintf(number, sizeof number, "%" PRIX32, static_cast<uint32_t>(status.number()));
  const std::string& source = status.source().empty() ? std::string(kDriverSource) : status.source();
  diag::Log(operation_ + " Error in " + source + ". " + status.description() + " (" + number +
            ") at line " + std::to_string(step));
  return false;
}

Result<std::unique_ptr<jet::Recordset>> OpenDirectoryPage(jet::Database& directory, int page) {
  OLC_ASSIGN_OR_RETURN(
      std::unique_ptr<jet::Recordset> rows,
      directory.OpenRecordset(page == kPhoneSetPage ? kPhoneSetsQuery : kEmployeesQuery,
                              jet::RecordsetType::kDynaset, {}));
  if (rows->Eof() && rows->Bof()) return std::unique_ptr<jet::Recordset>();
  return rows;
}

Result<jet::Value> EmployeeNumberOf(jet::Recordset& row) {
  return row.GetField("Employees.EmployeeID");
}

Status SetNumberProperty(pim::ContactItem& item, std::string_view name, const jet::Value& value) {
  std::string text;
  switch (value.type()) {
    case jet::Value::Type::kInteger:
      text = std::to_string(value.integer());
      break;
    case jet::Value::Type::kReal:
      text = com::FormatNumber(value.real());
      break;
    case jet::Value::Type::kText: {
      OLC_ASSIGN_OR_RETURN(double number, com::Variant::String(value.text()).ToDouble());
      text = com::FormatNumber(number);
      break;
    }
    default:
      return Status::InvalidArgument("Type mismatch: " + std::string(name) + " holds a number");
  }
  return item.card().SetUserProperty(name, pim::kUserPropertyNumber, text);
}

Status MarkExportContact(pim::ContactItem& item, const jet::Value& employee_number, int category) {
  OLC_RETURN_IF_ERROR(SetNumberProperty(item, kEmployeeIdProperty, employee_number));
  return SetNumberProperty(item, kCategoryIdProperty, jet::Value(category));
}

std::string ValueText(const jet::Value& value) {
  return value.type() == jet::Value::Type::kReal ? com::FormatNumber(value.real())
                                                 : value.ToText();
}

}  // namespace olconn97
