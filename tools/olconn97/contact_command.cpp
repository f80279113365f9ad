// olconn97 contact: one contact as the suite's host reads it.
#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"
#include "host_values.h"

namespace host {

namespace {

constexpr char kContactHelp[] =
    "usage: olconn97 contact show ENTRYID [--json]\n"
    "\n"
    "Creates the driver as the suite's host does, asks it for the contact with\n"
    "that entry ID (GetContactByContactID) and prints what the contact answers\n"
    "through its Contact interface: names, main number and e-mail, the labelled\n"
    "PhoneNumbers and Emails lists, the directory's category and employee number,\n"
    "the department and whether it is in the PIM. An unknown entry ID gives the\n"
    "driver's placeholder contact. 'olconn97 store show FILE' tells a card's ID.\n"
    "\n"
    "  --json   one JSON object on stdout; a member that fails is null\n"
    "Exit status: 0 for a contact of the store, 1 for a placeholder or a failure,\n"
    "2 for bad usage.\n";

enum class Kind { kText, kNumber, kFlag };

struct Member {
  const char* name;
  Kind kind;
};

constexpr Member kMembers[] = {
    {"ContactId", Kind::kText},  {"FirstName", Kind::kText},       {"LastName", Kind::kText},
    {"FullName", Kind::kText},   {"MainPhoneNumber", Kind::kText}, {"MainEmail", Kind::kText},
    {"Department", Kind::kText}, {"CategorieId", Kind::kNumber},   {"employeeId", Kind::kNumber},
    {"NotInPIM", Kind::kFlag},
};

// What one member answered: its value as text, or why it failed.
struct Answer {
  bool ok = false;
  std::string text;  // the value; for a failure, its description
  bool flag = false;
};

std::string ExceptionText(EXCEPINFO* exception, HRESULT hr) {
  std::string text =
      exception->bstrDescription == nullptr
          ? FailureText(hr)
          : std::string(exception->bstrDescription, Api().SysStringLen(exception->bstrDescription));
  Api().SysFreeString(exception->bstrDescription);
  Api().SysFreeString(exception->bstrSource);
  Api().SysFreeString(exception->bstrHelpFile);
  return text;
}

// A read by name, with at most one argument, as a late-binding host makes it.
HRESULT Read(IDispatch* object, const char* name, VARIANT* argument, HostVariant* result,
             std::string* failure) {
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  DISPID id = DISPID_UNKNOWN;
  HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) {
    *failure = std::string("no member ") + name;
    return hr;
  }
  DISPPARAMS params{argument, nullptr, argument != nullptr ? 1u : 0u, 0};
  EXCEPINFO exception{};
  hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET | DISPATCH_METHOD,
                      &params, result->get(), &exception, nullptr);
  if (FAILED(hr)) *failure = ExceptionText(&exception, hr);
  return hr;
}

Answer ReadMember(IDispatch* contact, const Member& member) {
  HostVariant value;
  Answer answer;
  if (FAILED(Read(contact, member.name, nullptr, &value, &answer.text))) return answer;
  answer.ok = true;
  answer.flag = value.raw().vt == VT_BOOL && value.raw().boolVal != VARIANT_FALSE;
  answer.text = member.kind == Kind::kFlag ? (answer.flag ? "true" : "false") : value.Text();
  return answer;
}

// The entries of a list member, walked by Count and Item; false with the
// reason when the member gives no list.
bool ReadList(IDispatch* contact, const char* name, std::vector<std::string>* entries,
              std::string* failure) {
  HostVariant list;
  if (FAILED(Read(contact, name, nullptr, &list, failure))) return false;
  if (list.raw().vt != VT_DISPATCH || list.raw().pdispVal == nullptr) {
    *failure = "no list (see the driver's log)";
    return false;
  }
  IDispatch* collection = list.raw().pdispVal;
  HostVariant count;
  if (FAILED(Read(collection, "Count", nullptr, &count, failure))) return false;
  int total = count.raw().vt == VT_I4 ? count.raw().lVal : 0;
  for (int i = 1; i <= total; ++i) {
    VARIANT index;
    Api().VariantInit(&index);
    index.vt = VT_I4;
    index.lVal = i;
    HostVariant entry;
    if (FAILED(Read(collection, "Item", &index, &entry, failure))) return false;
    entries->push_back(entry.Text());
  }
  return true;
}

struct ContactView {
  std::vector<std::pair<const Member*, Answer>> members;
  std::vector<std::string> phones, emails;
  std::string phones_failure, emails_failure;
  bool phones_ok = false, emails_ok = false;
  bool not_in_pim = false;
};

ContactView ReadContact(IDispatch* contact) {
  ContactView view;
  for (const Member& member : kMembers) {
    Answer answer = ReadMember(contact, member);
    if (member.kind == Kind::kFlag) view.not_in_pim = answer.flag;
    view.members.emplace_back(&member, answer);
  }
  view.phones_ok = ReadList(contact, "PhoneNumbers", &view.phones, &view.phones_failure);
  view.emails_ok = ReadList(contact, "Emails", &view.emails, &view.emails_failure);
  return view;
}

std::string JsonList(bool ok, const std::vector<std::string>& entries) {
  if (!ok) return "null";
  std::string out = "[";
  for (size_t i = 0; i < entries.size(); ++i) {
    out += (i > 0 ? ",\"" : "\"") + JsonEscape(entries[i]) + "\"";
  }
  return out + "]";
}

void PrintJson(const ContactView& view) {
  std::string out = "{";
  for (const auto& [member, answer] : view.members) {
    out += "\"" + std::string(member->name) + "\":";
    if (!answer.ok) {
      out += "null";
    } else if (member->kind == Kind::kText) {
      out += "\"" + JsonEscape(answer.text) + "\"";
    } else {
      out += answer.text;
    }
    out += ",";
  }
  out += "\"PhoneNumbers\":" + JsonList(view.phones_ok, view.phones) +
         ",\"Emails\":" + JsonList(view.emails_ok, view.emails) + "}\n";
  std::fputs(out.c_str(), stdout);
}

void PrintList(const char* name, bool ok, const std::vector<std::string>& entries,
               const std::string& failure) {
  std::printf("%s:%s\n", name, ok ? (entries.empty() ? " (none)" : "") : "");
  if (!ok) std::printf("  (fails: %s)\n", failure.c_str());
  for (const std::string& entry : entries) std::printf("  %s\n", entry.c_str());
}

void PrintText(const ContactView& view) {
  for (const auto& [member, answer] : view.members) {
    if (answer.ok) {
      std::printf("%s: %s\n", member->name, answer.text.c_str());
    } else {
      std::printf("%s: (fails: %s)\n", member->name, answer.text.c_str());
    }
  }
  PrintList("PhoneNumbers", view.phones_ok, view.phones, view.phones_failure);
  PrintList("Emails", view.emails_ok, view.emails, view.emails_failure);
}

}  // namespace

int RunContact(const Args& args) {
  if (WantsHelp(args)) {
    std::fputs(kContactHelp, stdout);
    return 0;
  }
  bool json = false;
  std::vector<std::string> words;
  for (const std::string& arg : args) {
    if (arg == "--json") {
      json = true;
    } else {
      words.push_back(arg);
    }
  }
  if (words.size() != 2 || words[0] != "show") {
    std::fprintf(stderr, "olconn97 contact: expected 'show ENTRYID'\n%s", kContactHelp);
    return 2;
  }
  std::string error;
  DataConnector* driver = Library().CreateDriver(&error);
  if (driver == nullptr) {
    std::fprintf(stderr, "olconn97 contact: %s\n", error.c_str());
    return 1;
  }
  HostBstr id(words[1]);
  Contact* contact = nullptr;
  HRESULT hr = driver->Dataconnector_GetContactByContactID(id.get(), &contact);
  if (FAILED(hr) || contact == nullptr) {
    std::fprintf(stderr, "olconn97 contact: %s\n", FailureText(hr).c_str());
    driver->Release();
    return 1;
  }
  ContactView view = ReadContact(contact);
  contact->Release();
  driver->Release();
  if (json) {
    PrintJson(view);
  } else {
    PrintText(view);
  }
  return view.not_in_pim ? 1 : 0;
}

}  // namespace host
