// cContact: one contact as the host reads it, through its Contact interface.
//
// A contact is backed by a contact item of the store, or it is "not in PIM":
// a placeholder carrying only what the caller knew (a searched name or
// number). A contact with an item whose user property "EmployeeId" names an
// employee of the suite's directory also holds that employee's record and
// the directory's default record: they give its category, its assistant and
// its phone labels.
//
// Made empty (NewContact), then filled once by SetValues, SetOneValue or
// SetNotInPIM; the host may then set MainEmail, MainPhoneNumber, FullName
// and PersonalData. The object never writes to the store or the directory.
// Host thread only.
#ifndef OLCONN97_CONTACT_CONTACT_H_
#define OLCONN97_CONTACT_CONTACT_H_

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <string_view>

#include "base/result.h"
#include "olconn97/hostlib.h"
#include "outside/com/com_ptr.h"
#include "outside/com/string_collection.h"
#include "outside/com/variant.h"
#include "outside/jet/recordset.h"
#include "outside/pim/item_classes.h"

namespace olconn97 {

class cContact {
 public:
  cContact() = default;
  cContact(const cContact&) = delete;
  cContact& operator=(const cContact&) = delete;

  // --- Contact, in slot order ---
  // -1 without employee record.
  Result<int32_t> CategorieId();
  Result<int32_t> AssistantId();
  // The item's user property "EmployeeId", -1 when it has none; fails
  // without item.
  Result<int32_t> employeeId();
  Result<std::string> Department();
  // The item's numbers, read at each call; "" without item.
  Result<std::string> BusinessPhone();
  Result<std::string> BusinessPhone2();
  Result<std::string> MobilePhone();
  Result<std::string> HomePhone();
  Result<std::string> PagerPhone();
  Result<std::string> OtherPhone();
  // The employee record's label, else the default record's; "" without
  // employee record. A null label fails.
  Result<std::string> BusinessPhoneLabel();
  Result<std::string> BusinessPhone2Label();
  Result<std::string> MobilePhoneLabel();
  Result<std::string> HomePhoneLabel();
  Result<std::string> PagerPhoneLabel();
  Result<std::string> OtherPhoneLabel();
  Result<std::string> AssistantPhoneLabel();
  // "label: <tab>address" entries, built on first request and kept; null
  // after a failure (logged), the entries made so far staying in the list.
  com::ComPtr<com::StringCollection> Emails();
  void MainEmail(std::string_view value) { main_email_ = value; }
  std::string MainEmail() { return main_email_; }
  std::string ContactId() { return contact_id_; }
  std::string StoreId() { return {}; }
  std::string MainPhoneNumber() { return main_phone_number_; }
  void MainPhoneNumber(std::string_view value) { main_phone_number_ = value; }
  // Like Emails, with the plain or the directory labels.
  com::ComPtr<com::StringCollection> PhoneNumbers();
  std::string LastName() { return last_name_; }
  std::string FirstName() { return first_name_; }
  std::string FullName() { return full_name_; }
  void FullName(std::string_view value) { full_name_ = value; }
  bool NotInPIM() { return not_in_pim_; }
  com::Variant PersonalData() { return personal_data_; }
  void PersonalData(const VARIANT& value) { personal_data_ = com::Variant::CopyOfValue(value); }
  // Opens the item's window, modeless; nothing without item.
  Status Show();
  // Whether the item lies in a selected contact folder (logged).
  bool IsSelected();
  // Same ContactId, case counting; two placeholders are equal.
  Result<bool> IsEqual(Contact* other);
  com::Variant ExecuteCommand(std::string_view, const VARIANT&) { return {}; }

  // --- for the driver's other parts ---
  // Fills the contact from a store item; null marks it not in PIM. A step
  // that fails is logged and ends the filling.
  void SetValues(pim::Item* item);
  // A placeholder from a search that found nothing: kind 1 searched a name,
  // any other kind a number.
  void SetOneValue(int32_t kind, std::string_view value);
  void SetNotInPIM(bool flag) { not_in_pim_ = flag; }

  const com::ComPtr<pim::ContactItem>& ContactItem() const { return contact_item_; }
  bool EmployeeFound() const { return employee_found_; }

 private:
  Status FillFrom(pim::Item& item);
  void SetEmailValue(pim::ContactItem& item);
  void SetPhonValues(pim::ContactItem& item);
  Status LoadEmployeeData();
  Result<std::string> ItemText(std::string_view property);
  Result<std::string> DirectoryLabel(std::string_view field);

  // The lists (contact_lists.cpp).
  Status BuildEmails(com::StringCollection& list);
  Status BuildPhoneNumbers(com::StringCollection& list);
  Status AddPlainPhones(com::StringCollection& list, const std::set<std::string_view>& done);
  Status AddDirectoryPhones(com::StringCollection& list);
  Result<std::string> PresentLabel(std::string_view field);
  // The failure of a member that needs the item, on a placeholder.
  static Status NoItem();

  std::string first_name_;
  std::string last_name_;
  std::string full_name_;
  std::string main_phone_number_;
  bool not_in_pim_ = false;
  com::ComPtr<com::StringCollection> phone_numbers_;
  com::Variant personal_data_;
  std::string contact_id_;
  com::ComPtr<pim::ContactItem> contact_item_;
  std::string main_email_;
  com::ComPtr<com::StringCollection> emails_;
  std::unique_ptr<jet::Recordset> default_record_;
  std::unique_ptr<jet::Recordset> employee_record_;
  bool employee_found_ = false;
};

// A new, empty contact for the host.
com::ComPtr<Contact> NewContact();

// The cContact behind a Contact, or null when the object is not one of ours.
cContact* ContactOf(IUnknown* contact);

}  // namespace olconn97

#endif  // OLCONN97_CONTACT_CONTACT_H_
