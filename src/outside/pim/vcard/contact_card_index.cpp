// Finding the lines behind a ContactCard's properties, once per parse or edit.
#include <array>

#include "base/strings.h"
#include "outside/pim/vcard/contact_card_access.h"
#include "outside/pim/vcard/phone_types.h"
#include "outside/pim/vcard/vcard_params.h"

namespace olconn97::pim {
namespace {

using Index = ContactCardAccess::Index;

// What a top-level line means to the index.
enum class Role {
  kTel,
  kEmail,
  kLabel,
  kCategories,
  kKind,
  kN,
  kFn,
  kOrg,
  kBilling,
  kUid,
  kEmptiedSlots,
};

struct RoleEntry {
  std::string_view name;
  Role role;
};

constexpr std::array<RoleEntry, 13> kRoles = {{
    {"TEL", Role::kTel},
    {"EMAIL", Role::kEmail},
    {"X-ABLABEL", Role::kLabel},
    {"CATEGORIES", Role::kCategories},
    {"KIND", Role::kKind},
    {"X-ADDRESSBOOKSERVER-KIND", Role::kKind},
    {"X-EVOLUTION-LIST", Role::kKind},
    {"N", Role::kN},
    {"FN", Role::kFn},
    {"ORG", Role::kOrg},
    {"X-OLCONN97-BILLING-INFORMATION", Role::kBilling},
    {"UID", Role::kUid},
    {kEmptySlotsName, Role::kEmptiedSlots},
}};

// The values of the kind lines above that make a card a distribution list.
constexpr std::array<std::string_view, 2> kGroupKindValues = {"GROUP", "TRUE"};

const RoleEntry* RoleOf(std::string_view name) {
  for (const RoleEntry& entry : kRoles) {
    if (EqualsIgnoreCase(name, entry.name)) return &entry;
  }
  return nullptr;
}

// The lines found in one walk over the card, before slots are assigned.
struct Found {
  std::vector<size_t> tels, emails;
  PhoneLabels labels;
};

size_t* FirstLineOf(Role role, Index& index) {
  switch (role) {
    case Role::kN:
      return &index.n;
    case Role::kFn:
      return &index.fn;
    case Role::kOrg:
      return &index.org;
    case Role::kBilling:
      return &index.billing;
    case Role::kUid:
      return &index.uid;
    case Role::kEmptiedSlots:
      return &index.emptied_slots;
    default:
      return nullptr;
  }
}

void Note(const ContactCard& card, size_t i, Role role, Index& index, Found& found) {
  const ContentLine& line = ContactCardAccess::LineAt(card, i);
  switch (role) {
    case Role::kTel:
      if (!line.value().empty()) found.tels.push_back(i);
      return;
    case Role::kEmail:
      if (!line.value().empty()) found.emails.push_back(i);
      return;
    case Role::kLabel: {
      PhoneKind kind;
      if (!line.group().empty() && PhoneKindFromLabel(ContactCardAccess::Text(card, i), &kind)) {
        found.labels.Add(line.group(), kind);
      }
      return;
    }
    case Role::kCategories:
      index.categories.push_back(i);
      return;
    case Role::kKind:
      for (std::string_view value : kGroupKindValues) {
        index.group = index.group || EqualsIgnoreCase(TrimBlanks(line.value()), value);
      }
      return;
    default:
      size_t* first = FirstLineOf(role, index);
      if (*first == kNoLine) *first = i;
      return;
  }
}

void ReadEmptiedSlots(const ContactCard& card, Index& index) {
  for (const std::string& name : ContactCardAccess::Components(card, index.emptied_slots, ',')) {
    int phone = PhonePinFromName(TrimBlanks(name));
    int email = EmailSlotFromName(TrimBlanks(name));
    if (phone != kNoPin) index.emptied_phones[static_cast<size_t>(phone)] = true;
    if (email != kNoPin) index.emptied_emails[static_cast<size_t>(email)] = true;
  }
}

int EmailPinOf(const ContentLine& line) {
  VCardParam param;
  if (!FindParam(line.params(), kSlotParamName, &param)) return kNoPin;
  return EmailSlotFromName(Unquote(param.value));
}

void AssignAllSlots(const ContactCard& card, Found& found, Index& index) {
  found.labels.Seal();
  std::vector<SlotCandidate> candidates;
  candidates.reserve(found.tels.size());
  for (size_t i : found.tels) {
    candidates.push_back(ClassifyTelLine(ContactCardAccess::LineAt(card, i), i, found.labels));
  }
  AssignSlots(candidates, index.emptied_phones, index.phones, &index.extra_phones,
              kMaxListedExtraPhoneNumbers);
  candidates.clear();
  for (size_t i : found.emails) {
    int pin = EmailPinOf(ContactCardAccess::LineAt(card, i));
    candidates.push_back(SlotCandidate{i, {0, 1, 2}, kEmailSlots, pin});
  }
  std::vector<size_t> extra_emails;
  AssignSlots(candidates, index.emptied_emails, index.emails, &extra_emails, 0);
}

}  // namespace

ContactCardAccess::Index ContactCardAccess::BuildIndex(const ContactCard& card) {
  Index index;
  Found found;
  const VCardDocument& document = card.document_;
  for (size_t i = document.card_begin() + 1; i < document.card_end(); ++i) {
    const ContentLine& line = document.lines()[i];
    const RoleEntry* entry = line.depth == 0 && line.has_value() ? RoleOf(line.name()) : nullptr;
    if (entry != nullptr) Note(card, i, entry->role, index, found);
  }
  ReadEmptiedSlots(card, index);
  AssignAllSlots(card, found, index);
  return index;
}

}  // namespace olconn97::pim
