#include "contact/contact.h"

#include "contact/employee_directory.h"
#include "contact/phone_kinds.h"
#include "core/selected_folders.h"
#include "diag/log.h"
#include "outside/com/automation_object.h"
#include "outside/com/error_info.h"
#include "outside/pim/windows.h"

namespace olconn97 {

namespace {

constexpr char kEmployeeQuery[] = "Select * from Employees where EmployeeId = ?";
constexpr char kDefaultQuery[] = "select * from Default";
constexpr char kEmployeeNumberProperty[] = "EmployeeId";

Status NotAContact(const pim::Item& item) {
  return Status::InvalidArgument("the item is not a contact (item class " +
                                 std::to_string(static_cast<int>(item.Class())) + ")");
}

Status NullField(std::string_view field) {
  return Status::InvalidArgument("Invalid use of Null (" + std::string(field) + ").");
}

}  // namespace

Status cContact::NoItem() { return Status::Failed("the contact has no contact item (not in PIM)"); }

// --- filling ---

void cContact::SetValues(pim::Item* item) {
  if (item == nullptr) {
    not_in_pim_ = true;
    return;
  }
  Status filled = FillFrom(*item);
  if (!filled.ok()) diag::LogFailure("Error (SetValues): ", filled);
}

Status cContact::FillFrom(pim::Item& item) {
  pim::ContactItem* contact = item.AsContact();
  if (contact == nullptr) return NotAContact(item);
  OLC_ASSIGN_OR_RETURN(first_name_, contact->Get("FirstName"));
  OLC_ASSIGN_OR_RETURN(last_name_, contact->Get("LastName"));
  OLC_ASSIGN_OR_RETURN(full_name_, contact->Get("LastNameAndFirstName"));
  if (full_name_.empty()) {
    OLC_ASSIGN_OR_RETURN(full_name_, contact->Get("FullName"));
  }
  not_in_pim_ = false;
  contact_id_ = contact->EntryID();
  SetEmailValue(*contact);
  SetPhonValues(*contact);
  contact_item_ = com::ComPtr<pim::ContactItem>(contact);
  // Without a directory the contact keeps every other field it got.
  return LoadEmployeeData();
}

void cContact::SetEmailValue(pim::ContactItem& item) {
  for (std::string_view property : kEmailOrder) {
    Result<std::string> address = item.Get(property);
    if (!address.ok()) {
      diag::LogFailure("Error (SetEmailValue): ", address.status());
      return;
    }
    if (!address.value().empty()) {
      main_email_ = address.value();
      return;
    }
  }
}

void cContact::SetPhonValues(pim::ContactItem& item) {
  for (const PhoneKindLabel& kind : kPhoneOrder) {
    Result<std::string> number = item.Get(kind.property);
    if (!number.ok()) {
      diag::LogFailure("Error (SetPhonValues): ", number.status());
      return;
    }
    if (!number.value().empty()) {
      main_phone_number_ = number.value();
      return;
    }
  }
}

Status cContact::LoadEmployeeData() {
  Result<pim::UserProperty> number =
      contact_item_->card().FindUserProperty(kEmployeeNumberProperty);
  if (!number.ok()) {
    if (number.status().IsNotFound()) return Status::Ok();  // not an employee
    return number.status();
  }
  OLC_ASSIGN_OR_RETURN(jet::Database * directory, OpenEmployeeDirectory());
  // The number travels as a parameter: a property holding SQL text finds
  // nobody instead of changing the query.
  OLC_ASSIGN_OR_RETURN(employee_record_,
                       directory->OpenRecordset(kEmployeeQuery, jet::RecordsetType::kDynaset,
                                                {EmployeeNumberValue(number.value().value)}));
  OLC_ASSIGN_OR_RETURN(default_record_,
                       directory->OpenRecordset(kDefaultQuery, jet::RecordsetType::kDynaset, {}));
  employee_found_ = employee_record_ != nullptr && !employee_record_->Eof();
  return Status::Ok();
}

void cContact::SetOneValue(int32_t kind, std::string_view value) {
  if (kind == 1) {
    first_name_ = value;
    main_phone_number_.clear();
  } else {
    first_name_.clear();
    main_phone_number_ = value;
  }
  last_name_.clear();
  contact_id_.clear();
  not_in_pim_ = true;
  contact_item_.reset();
}

// --- the host's members ---

Result<int32_t> cContact::CategorieId() {
  if (!employee_found_) return -1;
  OLC_ASSIGN_OR_RETURN(jet::Value categories, employee_record_->GetField("Categories"));
  return CategoryNumber(categories);
}

Result<int32_t> cContact::AssistantId() {
  if (!employee_found_) return -1;
  OLC_ASSIGN_OR_RETURN(jet::Value assistant, employee_record_->GetField("AssistantID"));
  return assistant.AsInt32();
}

Result<int32_t> cContact::employeeId() {
  if (!contact_item_) return NoItem();
  Result<pim::UserProperty> number =
      contact_item_->card().FindUserProperty(kEmployeeNumberProperty);
  if (!number.ok()) {
    if (number.status().IsNotFound()) return -1;
    return number.status();
  }
  return com::Variant::String(number.value().value).ToInt32();
}

Result<std::string> cContact::ItemText(std::string_view property) {
  if (!contact_item_) return std::string();
  return contact_item_->Get(property);
}

Result<std::string> cContact::Department() { return ItemText("Department"); }
Result<std::string> cContact::BusinessPhone() { return ItemText("BusinessTelephoneNumber"); }
Result<std::string> cContact::BusinessPhone2() { return ItemText("Business2TelephoneNumber"); }
Result<std::string> cContact::MobilePhone() { return ItemText("MobileTelephoneNumber"); }
Result<std::string> cContact::HomePhone() { return ItemText("HomeTelephoneNumber"); }
Result<std::string> cContact::PagerPhone() { return ItemText("PagerNumber"); }
Result<std::string> cContact::OtherPhone() { return ItemText("OtherTelephoneNumber"); }

Result<std::string> cContact::DirectoryLabel(std::string_view field) {
  if (!employee_found_) return std::string();
  OLC_ASSIGN_OR_RETURN(std::optional<std::string> own, TextField(*employee_record_, field));
  if (!own) return NullField(field);
  if (!own->empty()) return *own;
  OLC_ASSIGN_OR_RETURN(std::optional<std::string> fallback, TextField(*default_record_, field));
  if (!fallback) return NullField(field);
  return *fallback;
}

Result<std::string> cContact::BusinessPhoneLabel() { return DirectoryLabel("BusinessPhoneLabel"); }
Result<std::string> cContact::BusinessPhone2Label() {
  return DirectoryLabel("BusinessPhone2Label");
}
Result<std::string> cContact::MobilePhoneLabel() { return DirectoryLabel("MobilePhoneLabel"); }
Result<std::string> cContact::HomePhoneLabel() { return DirectoryLabel("HomePhoneLabel"); }
Result<std::string> cContact::PagerPhoneLabel() { return DirectoryLabel("PagerPhoneLabel"); }
Result<std::string> cContact::OtherPhoneLabel() { return DirectoryLabel("OtherPhoneLabel"); }
Result<std::string> cContact::AssistantPhoneLabel() {
  return DirectoryLabel("AssistantPhoneLabel");
}

Status cContact::Show() {
  if (!contact_item_) return Status::Ok();
  return contact_item_->GetInspector()->Display();
}

bool cContact::IsSelected() {
  bool selected = false;
  if (contact_item_) {
    com::ComPtr<pim::MAPIFolder> folder = contact_item_->ParentFolder();
    selected = folder && IsFolderSelected(*folder);
  }
  diag::Log(selected ? "IsSelected: True" : "IsSelected: False");
  return selected;
}

Result<bool> cContact::IsEqual(Contact* other) {
  if (other == nullptr) return Status::InvalidArgument("IsEqual needs a contact to compare with");
  // Through the interface: the other contact may be the host's own object.
  com::Bstr id;
  HRESULT hr = other->get_ContactId(id.Receive());
  if (FAILED(hr)) return com::FailureFromHresult(hr, "ContactId");
  return id.view() == contact_id_;
}

com::ComPtr<Contact> NewContact() { return com::MakeAutomationObject<Contact, cContact>(); }

cContact* ContactOf(IUnknown* contact) { return com::ImplOf<cContact>(contact); }

}  // namespace olconn97
