#include "actions/actions.h"
#include "actions/call_contact.h"
#include "contact/contact.h"
#include "core/shared_state.h"
#include "diag/log.h"
#include "outside/pim/item_classes.h"
#include "outside/shell/clock.h"

namespace olconn97 {

// Every step that fails is skipped and the next one runs.
void ActionStoreInJournal::Execute(Contact** item) {
  CallContact given(*item);
  Result<std::string> caller = given.FullName();
  if (caller.ok()) diag::Log("Storing in journal call from " + caller.value());
  com::ComPtr<Contact> spare = SpareContact(/*not_in_pim=*/false);
  if (*item == nullptr) {
    ContactOf(spare.get())->SetNotInPIM(true);
    PutContact(item, spare);
  }
  CallContact contact(*item);
  bool not_in_pim = contact.NotInPIM().value_or(true);
  diag::Log(not_in_pim ? "Not in PIM: Reinit..." : "In PIM: Initializing...");
  CallParty party = PartyOf(contact);

  SharedState& shared = Shared();
  com::ComPtr<pim::JournalItem> entry;
  if (shared.gOutlookApp) {
    Result<com::ComPtr<pim::Item>> created = shared.gOutlookApp->CreateItem(pim::kJournalItem);
    if (created.ok()) {
      entry = com::ComPtr<pim::JournalItem>(dynamic_cast<pim::JournalItem*>(created.value().get()));
    }
  }
  if (!entry) return;  // nothing can be stored; the remaining steps would all fail
  if (!party.name.empty()) entry->entry().recipients.push_back(party.name);
  spare = nullptr;

  shell::WallTime now = shared.services.clock().Now();
  std::string data = contact.PersonalData();
  std::string call_type;
  if (!data.empty()) {
    if (!contact.CallValue("DURATION=").empty()) {
      // The call is over: it ran from its start until now. A start that is
      // no date leaves the entry's own.
      std::optional<shell::WallTime> start =
          shell::ParseLocalDateTime(contact.CallValue("START="));
      if (start) entry->SetStart(*start);
      entry->SetEnd(now);
    } else {
      entry->SetStart(now);
      entry->SetDurationMinutes(0);
    }
    call_type = contact.CallValue("TYPE=");
  } else {
    entry->SetStart(now);
    entry->SetDurationMinutes(0);
  }
  std::string body = CallText(call_type, party.name);
  entry->entry().subject = CallSubject(party.name);
  Result<std::string> full_name = contact.FullName();
  if (full_name.ok() && !full_name.value().empty()) {
    entry->entry().recipients.push_back(full_name.value());
  }
  if (party.item) {
    diag::Log("Contact of call found and stored...");
    body += " \n\rContact: " + ContactLink(*party.item, party.name);
  }
  entry->entry().body = body;
  diag::Log("Message: " + body + "...");
  (void)entry->Save();
}

}  // namespace olconn97
