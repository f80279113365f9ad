#include "actions/actions.h"
#include "actions/call_contact.h"
#include "core/shared_state.h"
#include "diag/log.h"
#include "outside/pim/windows.h"

namespace olconn97 {

// Unlike the other actions, a call without contact stays without one.
void ActionCloseContact::Execute(Contact** item) {
  if (*item == nullptr) return;
  CallContact contact(*item);
  Result<std::string> name = contact.FullName();
  if (name.ok()) diag::Log("Closing " + name.value());
  if (contact.NotInPIM().value_or(true)) return;
  SharedState& shared = Shared();
  if (!shared.gNameSpace) return;
  Result<com::ComPtr<pim::Item>> card =
      shared.gNameSpace->GetItemFromID(contact.ContactId().value_or(""));
  // The user is asked whether to save an edited card.
  if (card.ok()) (void)card.value()->GetInspector()->Close(pim::kClosePromptForSave);
}

}  // namespace olconn97
