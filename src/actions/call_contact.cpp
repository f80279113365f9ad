#include "actions/call_contact.h"

#include "actions/action.h"
#include "contact/call_data.h"
#include "contact/contact.h"
#include "core/shared_state.h"
#include "outside/com/error_info.h"
#include "outside/com/variant.h"
#include "outside/pim/item_classes.h"

namespace olconn97 {

namespace {

Status NoContact() { return Status::Failed("Object variable not set (no contact)"); }

template <typename Getter>
Result<std::string> ReadText(Contact* contact, Getter getter) {
  if (contact == nullptr) return NoContact();
  com::Bstr text;
  HRESULT hr = (contact->*getter)(text.Receive());
  if (FAILED(hr)) return com::FailureFromHresult(hr, "Contact");
  return text.str();
}

template <typename Getter>
Result<bool> ReadFlag(Contact* contact, Getter getter) {
  if (contact == nullptr) return NoContact();
  VARIANT_BOOL flag = VARIANT_FALSE;
  HRESULT hr = (contact->*getter)(&flag);
  if (FAILED(hr)) return com::FailureFromHresult(hr, "Contact");
  return flag != VARIANT_FALSE;
}

}  // namespace

Result<std::string> CallContact::FullName() const {
  return ReadText(contact_, &Contact::get_FullName);
}
Result<std::string> CallContact::MainPhoneNumber() const {
  return ReadText(contact_, &Contact::get_MainPhoneNumber);
}
Result<std::string> CallContact::ContactId() const {
  return ReadText(contact_, &Contact::get_ContactId);
}
Result<bool> CallContact::NotInPIM() const { return ReadFlag(contact_, &Contact::get_NotInPIM); }
Result<bool> CallContact::IsSelected() const {
  return ReadFlag(contact_, &Contact::get_IsSelected);
}

std::string CallContact::PersonalData() const {
  if (contact_ == nullptr) return {};
  VARIANT raw;
  VariantInit(&raw);
  if (FAILED(contact_->get_PersonalData(&raw))) return {};
  com::Variant data = com::Variant::Adopt(&raw);
  return data.ToString().value_or("");
}

std::string CallContact::CallValue(std::string_view key) const {
  return GetKeyValue(PersonalData(), key);
}

com::ComPtr<Contact> SpareContact(bool not_in_pim) {
  com::ComPtr<Contact> spare = NewContact();
  ContactOf(spare.get())->SetNotInPIM(not_in_pim);
  return spare;
}

void PutContact(Contact** variable, const com::ComPtr<Contact>& contact) {
  *variable = com::ComPtr<Contact>(contact).Detach();
}

CallParty PartyOf(const CallContact& contact) {
  CallParty party;
  std::string number = contact.MainPhoneNumber().value_or("");
  if (contact.NotInPIM().value_or(true)) return {number, nullptr};
  SharedState& shared = Shared();
  if (shared.gNameSpace) {
    Result<com::ComPtr<pim::Item>> item =
        shared.gNameSpace->GetItemFromID(contact.ContactId().value_or(""));
    if (item.ok()) party.item = item.value();
  }
  pim::ContactItem* card = party.item ? party.item->AsContact() : nullptr;
  party.name = card != nullptr ? card->Text("FullName") : std::string();
  if (party.name.empty()) return {number, nullptr};
  return party;
}

std::string CallText(std::string_view call_type, std::string_view name) {
  if (call_type == "outgoing") return T("#05207#") + " " + std::string(name);
  if (call_type == "incoming") return std::string(name) + " " + T("#05204#");
  return CallSubject(name);
}

std::string CallSubject(std::string_view name) { return T("#05203#") + " " + std::string(name); }

std::string ContactLink(pim::Item& item, std::string_view name) {
  std::string path;
  com::ComPtr<pim::MAPIFolder> folder = item.ParentFolder();
  if (folder) path = folder->Name() + "/";
  // Up to the top folder of the store (whose parent has no readable name),
  // or to a folder named "Outlook".
  while (folder && folder->Name() != "Outlook") {
    com::ComPtr<pim::MAPIFolder> parent = folder->ParentFolder();
    if (!parent) break;
    path = parent->Name() + "/" + path;
    folder = parent;
  }
  return " <Outlook://" + path + "~" + std::string(name) + "> ";
}

}  // namespace olconn97
