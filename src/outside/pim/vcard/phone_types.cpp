#include "outside/pim/vcard/phone_types.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "base/strings.h"
#include "outside/pim/vcard/vcard_params.h"
#include "outside/pim/vcard/vcard_strings.h"

namespace olconn97::pim {
namespace {

struct PhoneKindInfo {
  PhoneKind kind;
  std::string_view property;
  std::string_view slot_name;
  std::string_view written21;
  std::string_view written30;  // also 3.0's form where 4.0 has no other
  std::string_view written40;
};

constexpr std::array<PhoneKindInfo, kPhoneKindCount> kPhoneKinds = {{
    {PhoneKind::kAssistant, "AssistantTelephoneNumber", "Assistant", ";X-EVOLUTION-ASSISTANT",
     ";TYPE=X-EVOLUTION-ASSISTANT", ";TYPE=X-EVOLUTION-ASSISTANT"},
    {PhoneKind::kBusinessFax, "BusinessFaxNumber", "BusinessFax", ";WORK;FAX", ";TYPE=WORK,FAX",
     ";TYPE=WORK,FAX"},
    {PhoneKind::kBusiness, "BusinessTelephoneNumber", "Business", ";WORK;VOICE", ";TYPE=WORK,VOICE",
     ";TYPE=WORK,VOICE"},
    {PhoneKind::kBusiness2, "Business2TelephoneNumber", "Business2", ";WORK;VOICE",
     ";TYPE=WORK,VOICE", ";TYPE=WORK,VOICE"},
    {PhoneKind::kCallback, "CallbackTelephoneNumber", "Callback", ";X-EVOLUTION-CALLBACK",
     ";TYPE=X-EVOLUTION-CALLBACK", ";TYPE=X-EVOLUTION-CALLBACK"},
    {PhoneKind::kCar, "CarTelephoneNumber", "Car", ";CAR", ";TYPE=CAR", ";TYPE=CAR"},
    {PhoneKind::kCompanyMain, "CompanyMainTelephoneNumber", "CompanyMain", ";X-EVOLUTION-COMPANY",
     ";TYPE=X-EVOLUTION-COMPANY", ";TYPE=X-EVOLUTION-COMPANY"},
    {PhoneKind::kHomeFax, "HomeFaxNumber", "HomeFax", ";HOME;FAX", ";TYPE=HOME,FAX",
     ";TYPE=HOME,FAX"},
    {PhoneKind::kHome, "HomeTelephoneNumber", "Home", ";HOME;VOICE", ";TYPE=HOME,VOICE",
     ";TYPE=HOME,VOICE"},
    {PhoneKind::kHome2, "Home2TelephoneNumber", "Home2", ";HOME;VOICE", ";TYPE=HOME,VOICE",
     ";TYPE=HOME,VOICE"},
    {PhoneKind::kIsdn, "ISDNNumber", "ISDN", ";ISDN", ";TYPE=ISDN", ";TYPE=ISDN"},
    {PhoneKind::kMobile, "MobileTelephoneNumber", "Mobile", ";CELL", ";TYPE=CELL", ";TYPE=CELL"},
    {PhoneKind::kOther, "OtherTelephoneNumber", "Other", ";VOICE", ";TYPE=VOICE", ";TYPE=VOICE"},
    {PhoneKind::kOtherFax, "OtherFaxNumber", "OtherFax", ";FAX", ";TYPE=FAX", ";TYPE=FAX"},
    {PhoneKind::kPager, "PagerNumber", "Pager", ";PAGER", ";TYPE=PAGER", ";TYPE=PAGER"},
    // 4.0 moved "preferred" out of TYPE into PREF=1.
    {PhoneKind::kPrimary, "PrimaryTelephoneNumber", "Primary", ";PREF", ";TYPE=PREF", ";PREF=1"},
    {PhoneKind::kRadio, "RadioTelephoneNumber", "Radio", ";X-EVOLUTION-RADIO",
     ";TYPE=X-EVOLUTION-RADIO", ";TYPE=X-EVOLUTION-RADIO"},
    {PhoneKind::kTelex, "TelexNumber", "Telex", ";X-EVOLUTION-TELEX", ";TYPE=X-EVOLUTION-TELEX",
     ";TYPE=X-EVOLUTION-TELEX"},
    {PhoneKind::kTtyTdd, "TTYTDDTelephoneNumber", "TTYTDD", ";X-EVOLUTION-TTYTDD",
     ";TYPE=X-EVOLUTION-TTYTDD", ";TYPE=X-EVOLUTION-TTYTDD"},
}};

constexpr bool KindsInEnumOrder() {
  for (size_t i = 0; i < kPhoneKinds.size(); ++i) {
    if (static_cast<size_t>(kPhoneKinds[i].kind) != i || kAllPhoneKinds[i] != kPhoneKinds[i].kind) {
      return false;
    }
  }
  return true;
}
static_assert(KindsInEnumOrder(), "kPhoneKinds is indexed by PhoneKind");

const PhoneKindInfo& InfoOf(PhoneKind kind) { return kPhoneKinds[static_cast<size_t>(kind)]; }

enum TypeFlag : uint32_t {
  kWork = 1u << 0,
  kHome = 1u << 1,
  kFax = 1u << 2,
  kCell = 1u << 3,
  kPager = 1u << 4,
  kCar = 1u << 5,
  kIsdn = 1u << 6,
  kPref = 1u << 7,
  kAssistantType = 1u << 8,
  kCallbackType = 1u << 9,
  kCompanyType = 1u << 10,
  kRadioType = 1u << 11,
  kTelexType = 1u << 12,
  kTtyType = 1u << 13,
};

struct TypeToken {
  std::string_view token;
  uint32_t flag;
};

// VOICE (and unknown tokens such as MSG, VIDEO, TEXT) set nothing: a line
// with only those is an Other number.
constexpr std::array<TypeToken, 28> kTypeTokens = {{
    {"WORK", kWork},
    {"HOME", kHome},
    {"FAX", kFax},
    {"CELL", kCell},
    {"MOBILE", kCell},
    {"IPHONE", kCell},
    {"PAGER", kPager},
    {"CAR", kCar},
    {"ISDN", kIsdn},
    {"PREF", kPref},
    {"X-EVOLUTION-ASSISTANT", kAssistantType},
    {"X-ASSISTANT", kAssistantType},
    {"X-EVOLUTION-CALLBACK", kCallbackType},
    {"X-CALLBACK", kCallbackType},
    {"X-EVOLUTION-COMPANY", kCompanyType},
    {"MAIN", kCompanyType},
    {"COMPANY-MAIN", kCompanyType},
    {"X-EVOLUTION-RADIO", kRadioType},
    {"X-RADIO", kRadioType},
    {"X-EVOLUTION-TELEX", kTelexType},
    {"X-TELEX", kTelexType},
    {"X-EVOLUTION-TTYTDD", kTtyType},
    {"TEXTPHONE", kTtyType},
    {"X-TTY-TDD", kTtyType},
    {"VOICE", 0},
    {"MSG", 0},
    {"VIDEO", 0},
    {"TEXT", 0},
}};

struct KindRule {
  uint32_t required;
  PhoneKind kind;
};

// The first rule whose flags are all present decides. The specific kinds
// come first, so "WORK,CELL" is a mobile and "PREF" only counts alone.
constexpr std::array<KindRule, 16> kKindRules = {{
    {kAssistantType, PhoneKind::kAssistant},
    {kCallbackType, PhoneKind::kCallback},
    {kCompanyType, PhoneKind::kCompanyMain},
    {kRadioType, PhoneKind::kRadio},
    {kTelexType, PhoneKind::kTelex},
    {kTtyType, PhoneKind::kTtyTdd},
    {kWork | kFax, PhoneKind::kBusinessFax},
    {kHome | kFax, PhoneKind::kHomeFax},
    {kFax, PhoneKind::kOtherFax},
    {kCell, PhoneKind::kMobile},
    {kPager, PhoneKind::kPager},
    {kCar, PhoneKind::kCar},
    {kIsdn, PhoneKind::kIsdn},
    {kWork, PhoneKind::kBusiness},
    {kHome, PhoneKind::kHome},
    {kPref, PhoneKind::kPrimary},
}};

struct LabelKind {
  std::string_view label;
  PhoneKind kind;
};

constexpr std::array<LabelKind, 11> kLabelKinds = {{
    {"Assistant", PhoneKind::kAssistant},
    {"AssistantPhone", PhoneKind::kAssistant},
    {"Mobile", PhoneKind::kMobile},
    {"iPhone", PhoneKind::kMobile},
    {"Main", PhoneKind::kCompanyMain},
    {"HomeFAX", PhoneKind::kHomeFax},
    {"WorkFAX", PhoneKind::kBusinessFax},
    {"OtherFAX", PhoneKind::kOtherFax},
    {"Pager", PhoneKind::kPager},
    {"Other", PhoneKind::kOther},
    {"Callback", PhoneKind::kCallback},
}};

struct SecondSlot {
  PhoneKind first;
  PhoneKind second;
};

constexpr std::array<SecondSlot, 2> kSecondSlots = {{
    {PhoneKind::kBusiness, PhoneKind::kBusiness2},
    {PhoneKind::kHome, PhoneKind::kHome2},
}};

uint32_t FlagOf(std::string_view token) {
  for (const TypeToken& t : kTypeTokens) {
    if (EqualsIgnoreCase(token, t.token)) return t.flag;
  }
  return 0;
}

PhoneKind KindOf(uint32_t flags) {
  for (const KindRule& rule : kKindRules) {
    if ((flags & rule.required) == rule.required) return rule.kind;
  }
  return PhoneKind::kOther;
}

bool LessIgnoreCase(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return ToLowerAscii(x) < ToLowerAscii(y);
  });
}

std::string PercentDecode(std::string_view text) {
  constexpr std::string_view kHex = "0123456789abcdef";
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    bool room = i + 2 < text.size();
    size_t high = room ? kHex.find(ToLowerAscii(text[i + 1])) : std::string_view::npos;
    size_t low = room ? kHex.find(ToLowerAscii(text[i + 2])) : std::string_view::npos;
    if (text[i] == '%' && high != std::string_view::npos && low != std::string_view::npos) {
      out.push_back(static_cast<char>(high * 16 + low));
      i += 2;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

std::string TelUriNumber(std::string_view uri) {
  std::vector<std::string_view> parts = Split(uri, ';');
  std::string number = PercentDecode(parts[0]);
  for (size_t i = 1; i < parts.size(); ++i) {
    if (StartsWithIgnoreCase(parts[i], "ext="))
      number += " ext. " + PercentDecode(parts[i].substr(4));
  }
  return ToValidUtf8(number);
}

}  // namespace

std::string_view PhonePropertyName(PhoneKind kind) { return InfoOf(kind).property; }

std::string_view PhoneSlotName(PhoneKind kind) { return InfoOf(kind).slot_name; }

int PhonePinFromName(std::string_view name) {
  for (const PhoneKindInfo& info : kPhoneKinds) {
    if (EqualsIgnoreCase(name, info.slot_name)) return static_cast<int>(info.kind);
  }
  return kNoPin;
}

std::string_view WrittenPhoneParams(PhoneKind kind, VCardVersion version) {
  const PhoneKindInfo& info = InfoOf(kind);
  switch (version) {
    case VCardVersion::k21:
      return info.written21;
    case VCardVersion::k40:
      return info.written40;
    case VCardVersion::k30:
      break;
  }
  return info.written30;
}

void PhoneLabels::Add(std::string_view group, PhoneKind kind) { labels_.emplace_back(group, kind); }

void PhoneLabels::Seal() {
  std::stable_sort(labels_.begin(), labels_.end(),
                   [](const auto& a, const auto& b) { return LessIgnoreCase(a.first, b.first); });
}

bool PhoneLabels::Find(std::string_view group, PhoneKind* kind) const {
  auto it = std::lower_bound(
      labels_.begin(), labels_.end(), group,
      [](const auto& entry, std::string_view key) { return LessIgnoreCase(entry.first, key); });
  if (it == labels_.end() || !EqualsIgnoreCase(it->first, group)) return false;
  *kind = it->second;
  return true;
}

bool PhoneKindFromLabel(std::string_view label, PhoneKind* kind) {
  // Apple wraps its built-in labels: "_$!<Mobile>!$_".
  constexpr std::string_view kOpen = "_$!<", kClose = ">!$_";
  if (label.size() > kOpen.size() + kClose.size() && label.substr(0, kOpen.size()) == kOpen &&
      label.substr(label.size() - kClose.size()) == kClose) {
    label = label.substr(kOpen.size(), label.size() - kOpen.size() - kClose.size());
  }
  for (const LabelKind& entry : kLabelKinds) {
    if (EqualsIgnoreCase(label, entry.label)) {
      *kind = entry.kind;
      return true;
    }
  }
  return false;
}

SlotCandidate ClassifyTelLine(const ContentLine& line, size_t index, const PhoneLabels& labels) {
  uint32_t flags = 0;
  SlotCandidate candidate;
  candidate.line = index;
  ParamReader reader(line.params());
  VCardParam param;
  while (reader.Next(&param)) {
    if (param.name.empty() || EqualsIgnoreCase(param.name, "TYPE")) {
      ForEachValueItem(param.value, [&](std::string_view item) { flags |= FlagOf(item); });
    } else if (EqualsIgnoreCase(param.name, "PREF")) {
      if (Unquote(param.value) == "1") flags |= kPref;
    } else if (EqualsIgnoreCase(param.name, kSlotParamName)) {
      candidate.pin = PhonePinFromName(Unquote(param.value));
    }
  }
  PhoneKind kind = KindOf(flags);
  if (!labels.empty() && !line.group().empty()) labels.Find(line.group(), &kind);
  candidate.slots[candidate.slot_count++] = static_cast<int>(kind);
  for (const SecondSlot& pair : kSecondSlots) {
    if (pair.first == kind) candidate.slots[candidate.slot_count++] = static_cast<int>(pair.second);
  }
  return candidate;
}

std::string PhoneNumberOf(const ContentLine& line, VCardVersion version) {
  DecodedValue decoded = DecodeValue(line.params(), line.value());
  if (StartsWithIgnoreCase(decoded.text, "tel:")) {
    return TelUriNumber(std::string_view(decoded.text).substr(4));
  }
  return UnescapeText(decoded.text, version);
}

bool IsTelUriSafe(std::string_view number) {
  if (number.empty()) return false;
  for (char c : number) {
    bool ok = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
              std::string_view("+-.()*#").find(c) != std::string_view::npos;
    if (!ok) return false;
  }
  return true;
}

}  // namespace olconn97::pim
