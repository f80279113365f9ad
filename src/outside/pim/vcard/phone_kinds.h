// The 19 phone properties of an Outlook contact item.
#ifndef OLCONN97_OUTSIDE_PIM_VCARD_PHONE_KINDS_H_
#define OLCONN97_OUTSIDE_PIM_VCARD_PHONE_KINDS_H_

#include <array>
#include <cstddef>
#include <string_view>

namespace olconn97::pim {

// In the order the contact cache reads them (alphabetical by property name).
enum class PhoneKind {
  kAssistant,
  kBusinessFax,
  kBusiness,
  kBusiness2,
  kCallback,
  kCar,
  kCompanyMain,
  kHomeFax,
  kHome,
  kHome2,
  kIsdn,
  kMobile,
  kOther,
  kOtherFax,
  kPager,
  kPrimary,
  kRadio,
  kTelex,
  kTtyTdd,
};

inline constexpr size_t kPhoneKindCount = 19;

inline constexpr std::array<PhoneKind, kPhoneKindCount> kAllPhoneKinds = {
    PhoneKind::kAssistant, PhoneKind::kBusinessFax, PhoneKind::kBusiness,    PhoneKind::kBusiness2,
    PhoneKind::kCallback,  PhoneKind::kCar,         PhoneKind::kCompanyMain, PhoneKind::kHomeFax,
    PhoneKind::kHome,      PhoneKind::kHome2,       PhoneKind::kIsdn,        PhoneKind::kMobile,
    PhoneKind::kOther,     PhoneKind::kOtherFax,    PhoneKind::kPager,       PhoneKind::kPrimary,
    PhoneKind::kRadio,     PhoneKind::kTelex,       PhoneKind::kTtyTdd,
};

// The Outlook property name: "AssistantTelephoneNumber", ..., "TTYTDDTelephoneNumber".
std::string_view PhonePropertyName(PhoneKind kind);

}  // namespace olconn97::pim

#endif  // OLCONN97_OUTSIDE_PIM_VCARD_PHONE_KINDS_H_
