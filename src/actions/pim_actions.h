// cPIMActions: the driver's list of actions, as the host reads it through
// its PIMActions interface; cPIMAction: the neutral stand-alone action.
//
// The list holds the five actions, made once in the order open contact,
// close contact, send mail, store in journal, launch program, each under
// its identifier (4097 to 4101); it never changes afterwards, and its
// actions keep the settings the host gives them for as long as it lives.
// NewAction makes a separate action of a class, not added to the list.
//
// Host thread only.
#ifndef OLCONN97_ACTIONS_PIM_ACTIONS_H_
#define OLCONN97_ACTIONS_PIM_ACTIONS_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "olconn97/hostlib.h"
#include "outside/com/com_ptr.h"
#include "outside/com/variant.h"

namespace olconn97 {

class cPIMActions {
 public:
  cPIMActions();
  cPIMActions(const cPIMActions&) = delete;
  cPIMActions& operator=(const cPIMActions&) = delete;

  // --- PIMActions, in slot order ---
  // The action with this identifier (not a position); fails for an
  // identifier the list does not hold.
  Result<com::ComPtr<IDispatch>> Item(int32_t action_id) const;
  int32_t Count() const { return static_cast<int32_t>(actions_.size()); }
  com::ComPtr<IUnknown> NewEnum() const;
  // A new action of the identifier's class with its default settings, or
  // null for an identifier of no action.
  com::ComPtr<IDispatch> NewAction(int32_t action_id) const;
  com::Variant ExecuteCommand(std::string_view, const VARIANT&) { return {}; }

 private:
  struct Entry {
    std::string key;  // the identifier in decimal
    com::ComPtr<PIMAction> action;
  };
  std::vector<Entry> actions_;
};

// The stand-alone action: does nothing, names nothing, has no settings.
class cPIMAction {
 public:
  bool ExecuteAction(Contact**) { return false; }
  std::string ActionName() { return {}; }
  bool PassiveAction() { return true; }
  int32_t ActionID() { return 0; }
  com::ComPtr<ActionProperties> ActionProp() { return nullptr; }
  com::Variant ExecuteCommand(std::string_view, const VARIANT&) { return {}; }
};

// A new action list, filled with the default actions.
com::ComPtr<PIMActions> NewActionList();
// A new action of an identifier's class; null for any other identifier.
com::ComPtr<PIMAction> NewActionOf(int32_t action_id);
com::ComPtr<PIMAction> NewStandAloneAction();

}  // namespace olconn97

#endif  // OLCONN97_ACTIONS_PIM_ACTIONS_H_
