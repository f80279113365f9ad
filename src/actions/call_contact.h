// How the actions read the call: the contact the host passes (through its
// Contact interface, so any Contact serves, ours or the host's), the call
// data attached to it, and the texts the mail and journal actions compose
// about the caller.
//
// Host thread only.
#ifndef OLCONN97_ACTIONS_CALL_CONTACT_H_
#define OLCONN97_ACTIONS_CALL_CONTACT_H_

#include <string>
#include <string_view>

#include "base/result.h"
#include "olconn97/hostlib.h"
#include "outside/com/com_ptr.h"
#include "outside/pim/objects.h"

namespace olconn97 {

class CallContact {
 public:
  // `contact` may be null: every member then fails.
  explicit CallContact(Contact* contact) : contact_(contact) {}

  Result<std::string> FullName() const;
  Result<std::string> MainPhoneNumber() const;
  Result<std::string> ContactId() const;
  Result<bool> NotInPIM() const;
  Result<bool> IsSelected() const;
  // The call data as text; "" when it is empty, null or not text.
  std::string PersonalData() const;
  // The value of one key of the call data ("TYPE=" gives "incoming").
  std::string CallValue(std::string_view key) const;

 private:
  Contact* contact_;
};

// A new, empty contact for the actions. `not_in_pim` marks it as a caller
// the store does not know.
com::ComPtr<Contact> SpareContact(bool not_in_pim);
// Puts `contact` in the caller's variable (taking a reference for it); the
// variable was empty.
void PutContact(Contact** variable, const com::ComPtr<Contact>& contact);

// Who the call was with, for a mail or journal entry: a caller the store
// knows by the full name of its item; a caller without item, or whose item
// has no full name, by the call's number.
struct CallParty {
  std::string name;
  com::ComPtr<pim::Item> item;  // null for a caller without item
};
CallParty PartyOf(const CallContact& contact);

// The lead of a mail's or journal entry's text, by the call's direction:
// "outgoing" and "incoming" (exactly), else neither.
std::string CallText(std::string_view call_type, std::string_view name);
// "#05203# <name>": the subject.
std::string CallSubject(std::string_view name);
// " <Outlook://<folder path>~<name>> ": the link to the caller's card, the
// folder path being the names of the folders from the top of the store
// down to the item's own, each followed by "/".
std::string ContactLink(pim::Item& item, std::string_view name);

}  // namespace olconn97

#endif  // OLCONN97_ACTIONS_CALL_CONTACT_H_
