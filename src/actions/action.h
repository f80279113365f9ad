// What the five call actions share: the members the host calls by name, the
// settings each owns, and how an action reads the call's contact.
//
// An action is an automation object of the PIMAction interface whose
// implementation derives from Action. Beyond the interface it answers
// CopyAction by name (a new action of its class carrying its settings'
// values); the launch action also answers NIsFormLoaded. ExecuteAction
// answers false for every action: what an action did shows in the log and
// in the store.
//
// Host thread only.
#ifndef OLCONN97_ACTIONS_ACTION_H_
#define OLCONN97_ACTIONS_ACTION_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "actions/action_properties.h"
#include "base/result.h"
#include "olconn97/hostlib.h"
#include "outside/com/automation_object.h"
#include "outside/com/com_ptr.h"
#include "outside/com/dispatch.h"
#include "outside/com/variant.h"

namespace olconn97 {

// Action identifiers.
inline constexpr int32_t kActionOpenContact = 4097;
inline constexpr int32_t kActionCloseContact = 4098;
inline constexpr int32_t kActionSendMail = 4099;
inline constexpr int32_t kActionStoreInJournal = 4100;
inline constexpr int32_t kActionLaunchExe = 4101;

class Action {
 public:
  virtual ~Action() = default;
  Action(const Action&) = delete;
  Action& operator=(const Action&) = delete;

  // --- PIMAction, in slot order ---
  // `item` is the caller's variable: an action may put a new contact in it.
  bool ExecuteAction(Contact** item);
  // The text of the action's name code, asked at each read.
  std::string ActionName() const;
  virtual bool PassiveAction() const { return true; }
  int32_t ActionID() const { return id_; }
  com::ComPtr<ActionProperties> ActionProp() const { return properties_; }
  com::Variant ExecuteCommand(std::string_view, const VARIANT&) { return {}; }

  // --- by name only ---
  virtual com::ComPtr<PIMAction> CopyAction() const = 0;

  // The members by name: the interface's and CopyAction.
  static const com::DispatchTable& ClassDispatchTable();

  // The setting under `key`; null when the action has none by that key.
  cActionProperty* Setting(std::string_view key) const { return properties().Find(key); }

 protected:
  Action(int32_t id, std::string_view name_code);

  // Runs the action for the contact in `*item` (null: none).
  virtual void Execute(Contact** item) = 0;

  cActionProperties& properties() const { return *PropertiesOf(properties_.get()); }
  // Copies every setting's value to the same setting of `copy`.
  void CopyValuesTo(const Action& copy) const;

  // The interface's members followed by `extra`, for a class with members
  // of its own.
  static std::vector<com::MemberEntry> MembersWith(std::vector<com::MemberEntry> extra);

 private:
  int32_t id_;
  std::string name_code_;
  com::ComPtr<ActionProperties> properties_;
};

// The Action behind a PIMAction (or any interface) of ours, or null.
Action* ActionOf(IUnknown* action);

// A new action of class T.
template <typename T>
com::ComPtr<PIMAction> MakeAction() {
  return com::MakeAutomationObject<PIMAction, T>();
}

// The text of a message code in the user's language; the code itself when
// the text resources have none.
std::string T(std::string_view code);

}  // namespace olconn97

#endif  // OLCONN97_ACTIONS_ACTION_H_
