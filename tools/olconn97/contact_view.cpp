#include "contact_view.h"

#include <cstdio>

#include "json_text.h"

namespace host {

namespace {

constexpr Member kMembers[] = {
    {"ContactId", Kind::kText},  {"FirstName", Kind::kText},       {"LastName", Kind::kText},
    {"FullName", Kind::kText},   {"MainPhoneNumber", Kind::kText}, {"MainEmail", Kind::kText},
    {"Department", Kind::kText}, {"CategorieId", Kind::kNumber},   {"employeeId", Kind::kNumber},
    {"NotInPIM", Kind::kFlag},
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

}  // namespace

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

namespace {

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

std::string JsonList(bool ok, const std::vector<std::string>& entries) {
  if (!ok) return "null";
  std::string out = "[";
  for (size_t i = 0; i < entries.size(); ++i) {
    out += (i > 0 ? ",\"" : "\"") + JsonEscape(entries[i]) + "\"";
  }
  return out + "]";
}

void PrintList(const char* name, bool ok, const std::vector<std::string>& entries,
               const std::string& failure) {
  std::printf("%s:%s\n", name, ok ? (entries.empty() ? " (none)" : "") : "");
  if (!ok) std::printf("  (fails: %s)\n", failure.c_str());
  for (const std::string& entry : entries) std::printf("  %s\n", entry.c_str());
}

}  // namespace

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

std::string ContactJson(const ContactView& view) {
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
         ",\"Emails\":" + JsonList(view.emails_ok, view.emails) + "}";
  return out;
}

void PrintContactText(const ContactView& view) {
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

std::string MemberText(const ContactView& view, const char* name) {
  for (const auto& [member, answer] : view.members) {
    if (std::string_view(member->name) == name) return answer.ok ? answer.text : std::string();
  }
  return {};
}

std::string MainNumberOf(const ContactView& view) {
  std::string main = MemberText(view, "MainPhoneNumber");
  if (!main.empty() || view.phones.empty()) return main;
  // "Business: <tab>+33 1 23 45 67 89": the number after the label.
  const std::string& first = view.phones.front();
  size_t tab = first.find('\t');
  return tab == std::string::npos ? first : first.substr(tab + 1);
}

}  // namespace host
