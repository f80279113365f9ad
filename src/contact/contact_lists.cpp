// The contact's two lists: e-mail addresses and phone numbers, each entry
// "label: <tab>value".
#include <set>

#include "contact/contact.h"
#include "contact/employee_directory.h"
#include "contact/label_text.h"
#include "contact/phone_kinds.h"
#include "diag/log.h"

namespace olconn97 {

namespace {

Status AddEntry(com::StringCollection& list, std::string_view code, std::string_view value) {
  OLC_ASSIGN_OR_RETURN(std::string label, LabelText(code));
  list.Add(ListEntry(label, value));
  return Status::Ok();
}

}  // namespace

com::ComPtr<com::StringCollection> cContact::Emails() {
  if (!emails_) {
    emails_ = com::MakeObject<com::StringCollection>();
  } else if (emails_->Count() > 0) {
    return emails_;
  }
  Status built = BuildEmails(*emails_);
  if (!built.ok()) {
    diag::LogFailure("Error (Get Emails): ", built);
    return nullptr;
  }
  return emails_;
}

com::ComPtr<com::StringCollection> cContact::PhoneNumbers() {
  if (!phone_numbers_) {
    phone_numbers_ = com::MakeObject<com::StringCollection>();
  } else if (phone_numbers_->Count() > 0) {
    return phone_numbers_;
  }
  Status built = BuildPhoneNumbers(*phone_numbers_);
  if (!built.ok()) {
    diag::LogFailure("Error (Get PhoneNumbers): ", built);
    return nullptr;
  }
  return phone_numbers_;
}

Status cContact::BuildEmails(com::StringCollection& list) {
  if (!contact_item_) return NoItem();
  for (std::string_view property : kEmailOrder) {
    OLC_ASSIGN_OR_RETURN(std::string address, contact_item_->Get(property));
    if (!address.empty()) OLC_RETURN_IF_ERROR(AddEntry(list, kEmailCode, address));
  }
  return Status::Ok();
}

Status cContact::BuildPhoneNumbers(com::StringCollection& list) {
  if (!contact_item_) return NoItem();
  if (employee_found_) {
    OLC_ASSIGN_OR_RETURN(int32_t category, CategorieId());
    if (category == kDirectoryLabelCategory) return AddDirectoryPhones(list);
  }
  return AddPlainPhones(list, {});
}

Status cContact::AddPlainPhones(com::StringCollection& list,
                                const std::set<std::string_view>& done) {
  for (const PhoneKindLabel& kind : kPhoneOrder) {
    if (done.contains(kind.property)) continue;
    OLC_ASSIGN_OR_RETURN(std::string number, contact_item_->Get(kind.property));
    if (!number.empty()) OLC_RETURN_IF_ERROR(AddEntry(list, kind.code, number));
  }
  return Status::Ok();
}

// The kinds with a directory label come first, under that label (or, for
// the business and home numbers, their code); every other present number
// follows in the plain order. Each present number gives one entry.
Status cContact::AddDirectoryPhones(com::StringCollection& list) {
  std::set<std::string_view> done;
  for (const DirectoryLabelled& kind : kDirectoryLabelled) {
    OLC_ASSIGN_OR_RETURN(std::string number, contact_item_->Get(kind.property));
    if (number.empty()) continue;
    OLC_ASSIGN_OR_RETURN(std::string label, PresentLabel(kind.label_field));
    if (!label.empty()) {
      list.Add(ListEntry(label, number));
    } else if (!kind.fallback_code.empty()) {
      OLC_RETURN_IF_ERROR(AddEntry(list, kind.fallback_code, number));
    } else {
      continue;  // listed later under its code
    }
    done.insert(kind.property);
  }
  return AddPlainPhones(list, done);
}

// The employee's own label, else the default one; "" when neither holds
// text (a null field holds none).
Result<std::string> cContact::PresentLabel(std::string_view field) {
  OLC_ASSIGN_OR_RETURN(std::optional<std::string> own, TextField(*employee_record_, field));
  if (own && !own->empty()) return *own;
  OLC_ASSIGN_OR_RETURN(std::optional<std::string> fallback, TextField(*default_record_, field));
  return fallback.value_or(std::string());
}

}  // namespace olconn97
