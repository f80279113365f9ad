// The five call actions the driver offers the host.
//
//   4097 ActionOpenContact     opens the caller's card, or makes one for an
//                              unknown caller, as "NewOnInexistant" says
//   4098 ActionCloseContact    closes the caller's card
//   4099 ActionSendMail        a mail about the call to "DestinationAddress",
//                              sent or shown as "AutomaticSend" says
//   4100 ActionStoreInJournal  a journal entry for the call
//   4101 ActionLaunchExe       starts the program "Path" + "Arguments" with
//                              the call's data in place of $1 to $4
//
// Every failure is the action's own business: it is logged or skipped, and
// ExecuteAction answers false.
#ifndef OLCONN97_ACTIONS_ACTIONS_H_
#define OLCONN97_ACTIONS_ACTIONS_H_

#include <string>
#include <string_view>
#include <vector>

#include "actions/action.h"

namespace olconn97 {

class ActionOpenContact : public Action {
 public:
  // Value indexes of "NewOnInexistant".
  static constexpr int16_t kOpenKnown = 0;
  static constexpr int16_t kCreateUnknown = 1;
  static constexpr int16_t kOpenOrCreate = 2;

  ActionOpenContact();
  // True while the action can only open existing cards (index 0).
  bool PassiveAction() const override;
  com::ComPtr<PIMAction> CopyAction() const override;

 private:
  void Execute(Contact** item) override;
};

// A new card for a caller, in the folder for new contacts, with the name
// (the number when there is none) and the number as its business number;
// indexed at once, so the next
// search by the number finds it, and shown when `show` says so. Stops at
// the first failure; a card already saved stays in the store.
Status AddCallerContact(std::string_view name, std::string_view number, bool show);

class ActionCloseContact : public Action {
 public:
  ActionCloseContact() : Action(kActionCloseContact, "#05100#") {}
  com::ComPtr<PIMAction> CopyAction() const override { return MakeAction<ActionCloseContact>(); }

 private:
  void Execute(Contact** item) override;
};

class ActionSendMail : public Action {
 public:
  ActionSendMail();
  com::ComPtr<PIMAction> CopyAction() const override;

 private:
  void Execute(Contact** item) override;
};

class ActionStoreInJournal : public Action {
 public:
  ActionStoreInJournal() : Action(kActionStoreInJournal, "#05300#") {}
  com::ComPtr<PIMAction> CopyAction() const override {
    return MakeAction<ActionStoreInJournal>();
  }

 private:
  void Execute(Contact** item) override;
};

class ActionLaunchExe : public Action {
 public:
  ActionLaunchExe();
  com::ComPtr<PIMAction> CopyAction() const override;

  // Whether one of the driver's loaded windows has exactly this name.
  static bool NIsFormLoaded(std::string_view form_name);

  // The members by name: the common ones and NIsFormLoaded.
  static const com::DispatchTable& ClassDispatchTable();

 private:
  void Execute(Contact** item) override;
};

// The call data in place of the placeholders: "$1" the caller's number,
// "$2" the local number, "$3" "OUT" or "INC", "$4" the call's origin, each
// ";" when the call data lacks it. Replaced in that order, each on the
// result of the previous.
struct Placeholders {
  std::string phone;
  std::string local;
  std::string call_type;
  std::string origin;
};
std::string ReplacePlaceholders(std::string text, const Placeholders& values);

// The words of a command line: blanks separate words, double quotes group
// (and are dropped), nothing else is special.
std::vector<std::string> SplitCommandWords(std::string_view text);

}  // namespace olconn97

#endif  // OLCONN97_ACTIONS_ACTIONS_H_
