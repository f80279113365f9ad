// The contact's phone kinds and e-mail slots: the order in which the main
// number is chosen and the lists are written, and the message code that
// labels each kind.
#ifndef OLCONN97_CONTACT_PHONE_KINDS_H_
#define OLCONN97_CONTACT_PHONE_KINDS_H_

#include <array>
#include <string>
#include <string_view>

namespace olconn97 {

struct PhoneKindLabel {
  std::string_view property;  // the contact item's property
  std::string_view code;      // the message code of its label
};

// The main number is the first present one of this order; the plain phone
// list follows it too.
inline constexpr std::array<PhoneKindLabel, 19> kPhoneOrder = {{
    {"BusinessTelephoneNumber", "#21002#"},
    {"Business2TelephoneNumber", "#21003#"},
    {"HomeTelephoneNumber", "#21008#"},
    {"Home2TelephoneNumber", "#21009#"},
    {"AssistantTelephoneNumber", "#21000#"},
    {"MobileTelephoneNumber", "#21011#"},
    {"CarTelephoneNumber", "#21005#"},
    {"PrimaryTelephoneNumber", "#21015#"},
    {"CallbackTelephoneNumber", "#21004#"},
    {"CompanyMainTelephoneNumber", "#21006#"},
    {"ISDNNumber", "#21010#"},
    {"BusinessFaxNumber", "#21001#"},
    {"HomeFaxNumber", "#21007#"},
    {"OtherTelephoneNumber", "#21012#"},
    {"OtherFaxNumber", "#21013#"},
    {"PagerNumber", "#21014#"},
    {"RadioTelephoneNumber", "#21016#"},
    {"TelexNumber", "#21017#"},
    {"TTYTDDTelephoneNumber", "#21018#"},
}};

// For an employee of the directory's category 2, these kinds take the
// label of the employee's directory record first. The first three fall back
// to their message code; the others, without a directory label, are listed
// later in kPhoneOrder's turn.
struct DirectoryLabelled {
  std::string_view property;
  std::string_view label_field;    // a field of the Employees and Default tables
  std::string_view fallback_code;  // empty: no fallback here
};
inline constexpr std::array<DirectoryLabelled, 6> kDirectoryLabelled = {{
    {"BusinessTelephoneNumber", "BusinessPhoneLabel", "#21002#"},
    {"Business2TelephoneNumber", "BusinessPhone2Label", "#21003#"},
    {"HomeTelephoneNumber", "HomePhoneLabel", "#21008#"},
    {"MobileTelephoneNumber", "MobilePhoneLabel", ""},
    {"OtherTelephoneNumber", "OtherPhoneLabel", ""},
    {"PagerNumber", "PagerPhoneLabel", ""},
}};

// E-mail slots in the order of the main address and the list; one label.
inline constexpr std::array<std::string_view, 3> kEmailOrder = {"Email1Address", "Email2Address",
                                                                "Email3Address"};
inline constexpr std::string_view kEmailCode = "#99999#";

// The category of the directory whose employees get directory labels.
inline constexpr int32_t kDirectoryLabelCategory = 2;

// One list entry: label, ": ", a tab, and the value as the item holds it.
inline std::string ListEntry(std::string_view label, std::string_view value) {
  std::string entry(label);
  entry += ": \t";
  entry += value;
  return entry;
}

}  // namespace olconn97

#endif  // OLCONN97_CONTACT_PHONE_KINDS_H_
