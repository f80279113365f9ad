#include "actions/pim_actions.h"

#include <utility>

#include "actions/actions.h"
#include "outside/com/automation_object.h"
#include "outside/com/dynamic_dispatch.h"

namespace olconn97 {

namespace {

constexpr int32_t kDefaultActions[] = {kActionOpenContact, kActionCloseContact, kActionSendMail,
                                       kActionStoreInJournal, kActionLaunchExe};

}  // namespace

cPIMActions::cPIMActions() {
  for (int32_t id : kDefaultActions) {
    com::ComPtr<PIMAction> action = NewActionOf(id);
    LONG stored_id = 0;
    (void)action->get_ActionID(&stored_id);
    actions_.push_back({std::to_string(stored_id), std::move(action)});
  }
}

Result<com::ComPtr<IDispatch>> cPIMActions::Item(int32_t action_id) const {
  std::string key = std::to_string(action_id);
  for (const Entry& entry : actions_) {
    if (entry.key == key) return com::ComPtr<IDispatch>(entry.action);
  }
  return Status::InvalidArgument("Invalid procedure call or argument: no action " + key,
                                 "cPIMActions")
      .WithNumber(DISP_E_BADINDEX);
}

com::ComPtr<IUnknown> cPIMActions::NewEnum() const {
  std::vector<com::Variant> items;
  items.reserve(actions_.size());
  for (const Entry& entry : actions_) items.push_back(com::Variant::Dispatch(entry.action.get()));
  return com::ComPtr<IUnknown>(com::MakeEnumerator(std::move(items)).get());
}

com::ComPtr<IDispatch> cPIMActions::NewAction(int32_t action_id) const {
  return com::ComPtr<IDispatch>(NewActionOf(action_id));
}

com::ComPtr<PIMActions> NewActionList() {
  return com::MakeAutomationObject<PIMActions, cPIMActions>();
}

com::ComPtr<PIMAction> NewActionOf(int32_t action_id) {
  switch (action_id) {
    case kActionOpenContact:
      return MakeAction<ActionOpenContact>();
    case kActionCloseContact:
      return MakeAction<ActionCloseContact>();
    case kActionSendMail:
      return MakeAction<ActionSendMail>();
    case kActionStoreInJournal:
      return MakeAction<ActionStoreInJournal>();
    case kActionLaunchExe:
      return MakeAction<ActionLaunchExe>();
    default:
      return nullptr;
  }
}

com::ComPtr<PIMAction> NewStandAloneAction() {
  return com::MakeAutomationObject<PIMAction, cPIMAction>();
}

}  // namespace olconn97
