// A contact as the suite's host reads it through the Contact interface,
// read once and printed as text or JSON (contact show, lookup, demo).
#ifndef OLCONN97_TOOLS_CONTACT_VIEW_H_
#define OLCONN97_TOOLS_CONTACT_VIEW_H_

#include <string>
#include <utility>
#include <vector>

#include "host_values.h"

namespace host {

enum class Kind { kText, kNumber, kFlag };

struct Member {
  const char* name;
  Kind kind;
};

// What one member answered: its value as text, or why it failed.
struct Answer {
  bool ok = false;
  std::string text;  // the value; for a failure, its description
  bool flag = false;
};

struct ContactView {
  std::vector<std::pair<const Member*, Answer>> members;
  std::vector<std::string> phones, emails;
  std::string phones_failure, emails_failure;
  bool phones_ok = false, emails_ok = false;
  bool not_in_pim = false;
};

// Reads every member the host shows, by name as a late-binding host does.
ContactView ReadContact(IDispatch* contact);
// One JSON object (no line end); a member that failed is null.
std::string ContactJson(const ContactView& view);
// "Member: value" lines, then the labelled lists.
void PrintContactText(const ContactView& view);

// The text a member gave; "" when it failed or was not read.
std::string MemberText(const ContactView& view, const char* name);
// The number to call the contact on: its main number, else its first one.
std::string MainNumberOf(const ContactView& view);

// A read by name, with at most one argument; on failure `failure` says why.
HRESULT Read(IDispatch* object, const char* name, VARIANT* argument, HostVariant* result,
             std::string* failure);

}  // namespace host

#endif  // OLCONN97_TOOLS_CONTACT_VIEW_H_
