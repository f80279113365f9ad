// Which directory column becomes which property of an export contact.
#include "core/settings.h"
#include "export/export_folder.h"
#include "export/export_steps.h"

namespace olconn97 {

namespace {

struct ColumnProperty {
  const char* column;
  const char* property;
};

// Each mapping is one step; the categories and the e-mail address come
// between the third and the fourth.
constexpr ColumnProperty kNameColumns[] = {
    {"FirstName", "FirstName"},
    {"LastName", "LastName"},
    {"Department", "Department"},
};
constexpr ColumnProperty kEmailColumn = {"EmailAddress", "Email1Address"};
constexpr ColumnProperty kPhoneColumns[] = {
    {"BusinessPhone", "BusinessTelephoneNumber"},
    {"BusinessPhone2", "Business2TelephoneNumber"},
    {"MobilePhone", "MobileTelephoneNumber"},
    {"HomePhone", "HomeTelephoneNumber"},
    {"PagerPhone", "PagerNumber"},
    {"BillingInformation", "BillingInformation"},
    {"OtherPhone", "OtherTelephoneNumber"},
};

Status CopyColumn(pim::ContactItem& item, jet::Recordset& row, const ColumnProperty& mapping) {
  OLC_ASSIGN_OR_RETURN(jet::Value value, row.GetField(mapping.column));
  if (value.is_null()) return Status::Ok();
  return item.Set(mapping.property, ValueText(value));
}

}  // namespace

pim::ContactItem& copyToContactItem(pim::ContactItem& item, jet::Recordset& row, int category,
                                    textres::Translator& translator) {
  const StepFailures failures("cDataConnector.copyToContactItem");
  int step = 0;
  for (const ColumnProperty& mapping : kNameColumns) {
    failures.Passed(++step, CopyColumn(item, row, mapping));
  }
  const char* label = category == kPhoneSetPage  ? "#07088#Phone sets"
                      : category == kEmployeePage ? "#07060#Employees"
                                                  : nullptr;
  ++step;
  if (label != nullptr) {
    std::optional<std::string> categories = failures.Value(step, translator.Translate(label));
    if (categories) failures.Passed(step, item.Set("Categories", *categories));
  }
  // Asked anew for every contact: the suite may withdraw the permission.
  const bool email_allowed =
      RegReadString(Hive::kCurrentUser, kPopupKey, "NoEmailAddressAccess") == "0";
  ++step;
  if (email_allowed) failures.Passed(step, CopyColumn(item, row, kEmailColumn));
  for (const ColumnProperty& mapping : kPhoneColumns) {
    failures.Passed(++step, CopyColumn(item, row, mapping));
  }
  return item;
}

}  // namespace olconn97
