// olconn97 contact: one contact as the suite's host reads it.
#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"
#include "contact_view.h"

namespace host {

namespace {

constexpr char kContactHelp[] =
    "usage: olconn97 contact show ENTRYID [--json]\n"
    "       olconn97 contact create NAME PHONE [--show] [--json]\n"
    "\n"
    "show: creates the driver as the suite's host does, asks it for the contact\n"
    "with that entry ID (GetContactByContactID) and prints what the contact\n"
    "answers through its Contact interface: names, main number and e-mail, the\n"
    "labelled PhoneNumbers and Emails lists, the directory's category and\n"
    "employee number, the department and whether it is in the PIM. An unknown\n"
    "entry ID gives the driver's placeholder contact. 'olconn97 store show FILE'\n"
    "tells a card's ID.\n"
    "\n"
    "create: what the host does when the user saves an unknown caller\n"
    "(CreateContact): a contact named NAME with PHONE as its business number in\n"
    "the folder the setting \"NewContactsFolder\" names (else the Contacts folder),\n"
    "in the cache at once. The contacts with that number are then looked up and\n"
    "printed. --show opens the new contact.\n"
    "\n"
    "  --json   JSON on stdout; a member that fails is null\n"
    "Exit status: 0 for a contact of the store, 1 for a placeholder or a failure,\n"
    "2 for bad usage.\n";

int Show(DataConnector* driver, const std::string& entry_id, bool json) {
  HostBstr id(entry_id);
  Contact* contact = nullptr;
  HRESULT hr = driver->Dataconnector_GetContactByContactID(id.get(), &contact);
  if (FAILED(hr) || contact == nullptr) {
    std::fprintf(stderr, "olconn97 contact: %s\n", FailureText(hr).c_str());
    return 1;
  }
  ContactView view = ReadContact(contact);
  contact->Release();
  if (json) {
    std::printf("%s\n", ContactJson(view).c_str());
  } else {
    PrintContactText(view);
  }
  return view.not_in_pim ? 1 : 0;
}

int Create(DataConnector* driver, const std::string& name, const std::string& phone, bool show,
           bool json) {
  FinishDriverWork();  // the refresh start-up began comes first, as in the host
  HostBstr name_text(name), phone_text(phone);
  HRESULT hr = driver->Dataconnector_CreateContact(name_text.get(), phone_text.get(),
                                                   show ? VARIANT_TRUE : VARIANT_FALSE);
  if (FAILED(hr)) {
    std::fprintf(stderr, "olconn97 contact: %s\n", FailureText(hr).c_str());
    return 1;
  }
  std::string digits;
  for (char c : phone) {
    if (c >= '0' && c <= '9') digits += c;
  }
  if (digits.empty()) {
    std::fprintf(stderr, "olconn97 contact: '%s' holds no digit, so no call can find the contact\n",
                 phone.c_str());
    return 0;
  }
  // The driver reports a failed creation only in its log: the cache tells.
  int found = LookUp(driver, kByPhone, digits, LookupOutput{json, false});
  if (found != 0) {
    std::fprintf(stderr,
                 "olconn97 contact: the contact was not created (the driver's log says why)\n");
  }
  return found;
}

}  // namespace

int RunContact(const Args& args) {
  if (WantsHelp(args)) {
    std::fputs(kContactHelp, stdout);
    return 0;
  }
  bool json = false, show = false;
  std::vector<std::string> words;
  for (const std::string& arg : args) {
    if (arg == "--json") {
      json = true;
    } else if (arg == "--show") {
      show = true;
    } else {
      words.push_back(arg);
    }
  }
  bool show_command = words.size() == 2 && words[0] == "show" && !show;
  bool create_command = words.size() == 3 && words[0] == "create";
  if (!show_command && !create_command) {
    std::fprintf(stderr, "olconn97 contact: expected 'show ENTRYID' or 'create NAME PHONE'\n%s",
                 kContactHelp);
    return 2;
  }
  std::string error;
  DataConnector* driver = Library().CreateDriver(&error);
  if (driver == nullptr) {
    std::fprintf(stderr, "olconn97 contact: %s\n", error.c_str());
    return 1;
  }
  int result =
      show_command ? Show(driver, words[1], json) : Create(driver, words[1], words[2], show, json);
  driver->Release();
  return result;
}

}  // namespace host
