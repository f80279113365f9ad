#include "actions/actions.h"
#include "actions/call_contact.h"
#include "cache/data_cache.h"
#include "core/new_contacts_folder.h"
#include "core/shared_state.h"
#include "diag/log.h"
#include "outside/pim/item_classes.h"
#include "outside/pim/windows.h"

namespace olconn97 {

namespace {

constexpr char kChoiceKey[] = "NewOnInexistant";

}  // namespace

ActionOpenContact::ActionOpenContact() : Action(kActionOpenContact, "#05000#") {
  std::string first = T("#05002#");
  properties().AddProperty(kChoiceKey, T("#05000#"), com::Variant::String(first), kPropertyChoice);
  cActionProperty* choice = Setting(kChoiceKey);
  choice->SetValueList(ChoiceList({first, T("#05003#"), T("#05001#")}).raw());
  choice->ValueIndex(kOpenKnown);
}

bool ActionOpenContact::PassiveAction() const {
  return Setting(kChoiceKey)->ValueIndex() == kOpenKnown;
}

com::ComPtr<PIMAction> ActionOpenContact::CopyAction() const {
  com::ComPtr<PIMAction> copy = MakeAction<ActionOpenContact>();
  cActionProperty* mine = Setting(kChoiceKey);
  cActionProperty* theirs = ActionOf(copy.get())->Setting(kChoiceKey);
  theirs->Value(mine->Value().raw());
  theirs->ValueIndex(mine->ValueIndex());
  return copy;
}

void ActionOpenContact::Execute(Contact** item) {
  int16_t choice = Setting(kChoiceKey)->ValueIndex();
  bool open_known = choice == kOpenKnown || choice == kOpenOrCreate;
  bool create_unknown = choice == kCreateUnknown || choice == kOpenOrCreate;
  if (*item == nullptr) {
    diag::Log("CITem = Nothing");
    PutContact(item, SpareContact(/*not_in_pim=*/false));
  }
  CallContact contact(*item);
  std::string full_name = contact.FullName().value_or("");
  std::string number = contact.MainPhoneNumber().value_or("");
  std::string id = contact.ContactId().value_or("");
  diag::Log("Opening " + full_name + "(" + number + ") from " + id);
  SharedState& shared = Shared();
  com::ComPtr<pim::Item> found;
  if (!id.empty() && shared.gNameSpace) {
    found = shared.gNameSpace->GetItemFromID(id).value_or(nullptr);
  }

  // "MANY" stands for several contacts sharing the number: never unknown.
  if (!found && full_name != "MANY") {
    diag::Log("Unknown contact: " + id + " (Not found in Outlook)...");
    if (!create_unknown) return;
    diag::Log("Creating new contact from: " + full_name + " and " + number);
    Status created = AddCallerContact(full_name, number, /*show=*/true);
    if (!created.ok()) diag::LogFailure("Error (ExecuteAction - ActionOpenContact): ", created);
    return;
  }
  if (!open_known) return;
  diag::Log("Opening " + full_name + "...");
  if (!contact.IsSelected().value_or(false) || !shared.gNameSpace) return;
  Result<com::ComPtr<pim::Item>> card = shared.gNameSpace->GetItemFromID(id);
  if (card.ok()) (void)card.value()->GetInspector()->Display();  // a failing show shows nothing
}

Status AddCallerContact(std::string_view name, std::string_view number, bool show) {
  SharedState& shared = Shared();
  if (!shared.gNameSpace) {
    return Status::Unavailable("the connection to the contact store is closed", "olconn97");
  }
  OLC_ASSIGN_OR_RETURN(com::ComPtr<pim::MAPIFolder> folder, NewContactsFolder(*shared.gNameSpace));
  OLC_ASSIGN_OR_RETURN(com::ComPtr<pim::Items> items, folder->GetItems());
  OLC_ASSIGN_OR_RETURN(com::ComPtr<pim::Item> added, items->Add(pim::kContactItem));
  pim::ContactItem* card = added->AsContact();
  if (card == nullptr) return Status::Failed("the new item is not a contact", "olconn97");
  // The cache indexes named contacts only: a caller known by number alone
  // is named by the number until the user gives the card a name.
  OLC_RETURN_IF_ERROR(card->Set("FullName", name.empty() ? number : name));
  OLC_RETURN_IF_ERROR(card->Set("BusinessTelephoneNumber", number));
  OLC_RETURN_IF_ERROR(card->Save());
  if (!shared.gDataCache) return Status::Unavailable("there is no cache maintainer", "olconn97");
  shared.gDataCache->AddContactToCache(*card);
  if (!show) return Status::Ok();
  return added->GetInspector()->Display();
}

}  // namespace olconn97
