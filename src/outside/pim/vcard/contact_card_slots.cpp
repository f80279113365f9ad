// The phone and e-mail slots of a ContactCard.
#include <array>

#include "base/strings.h"
#include "outside/pim/vcard/contact_card_access.h"
#include "outside/pim/vcard/phone_types.h"
#include "outside/pim/vcard/vcard_params.h"
#include "outside/pim/vcard/vcard_strings.h"

namespace olconn97::pim {
namespace {

using Access = ContactCardAccess;

constexpr std::array<std::string_view, kEmailSlots> kEmailSlotNames = {"Email1", "Email2",
                                                                       "Email3"};

// How a new EMAIL line is written, by version.
constexpr std::array<std::string_view, 3> kNewEmailHeads = {"EMAIL;INTERNET", "EMAIL;TYPE=INTERNET",
                                                            "EMAIL"};

std::string_view NewEmailHead(VCardVersion version) {
  return kNewEmailHeads[static_cast<size_t>(version)];
}

std::string_view PhoneSlotNameOf(int slot) { return PhoneSlotName(static_cast<PhoneKind>(slot)); }
std::string_view EmailSlotNameOf(int slot) { return kEmailSlotNames[static_cast<size_t>(slot)]; }

template <size_t N>
std::array<uint32_t, N> IdsOf(const ContactCard& card, const std::array<size_t, N>& lines) {
  std::array<uint32_t, N> ids;
  for (size_t i = 0; i < N; ++i) {
    ids[i] = lines[i] == kNoLine ? kNoId : Access::LineAt(card, lines[i]).id;
  }
  return ids;
}

// Lists a slot as emptied on the card, or takes it off the list.
void SetSlotEmptied(ContactCard& card, std::string_view name, bool emptied) {
  size_t line = Access::Indexed(card).emptied_slots;
  std::vector<std::string> names;
  bool listed = false;
  for (const std::string& item : Access::Components(card, line, ',')) {
    std::string_view trimmed = TrimBlanks(item);
    if (EqualsIgnoreCase(trimmed, name)) {
      listed = true;
    } else if (!trimmed.empty()) {
      names.emplace_back(trimmed);
    }
  }
  if (listed == emptied) return;
  if (emptied) names.emplace_back(name);
  if (names.empty()) {
    Access::Remove(card, line);
    return;
  }
  std::string value;
  for (const std::string& item : names) value += (value.empty() ? "" : ",") + item;
  Access::Put(card, line, kEmptySlotsName, value);  // slot names need no escaping
}

// Marks the card until `slots` (the card's index, updated by every edit)
// reads back as `expected`. Pins and emptied slots are honoured before the
// file order, so what a round marks stays settled: the pins, then at most
// the emptied slots a pin uncovered. The bound only guards against a fault.
template <size_t N>
Status RestoreSlots(ContactCard& card, const std::array<uint32_t, N>& expected,
                    const std::array<size_t, N>& slots, std::string_view (*slot_name)(int)) {
  for (int round = 0; round < 4; ++round) {
    SlotRepairs repairs = RepairsFor(expected, IdsOf(card, slots));
    if (repairs.empty()) return Status::Ok();
    for (const SlotPin& pin : repairs.pins) Access::Pin(card, pin.id, slot_name(pin.slot));
    for (int slot : repairs.emptied) SetSlotEmptied(card, slot_name(slot), true);
  }
  return Status::Failed("The card's lines could not be kept in their phone or e-mail slots");
}

// A tel: URI line stays one when the new number can be written as a URI;
// otherwise it becomes a text value.
void RewritePhone(ContactCard& card, size_t line, std::string_view number) {
  const ContentLine& content = Access::LineAt(card, line);
  VCardParam value;
  bool uri =
      FindParam(content.params(), "VALUE", &value) && EqualsIgnoreCase(Unquote(value.value), "uri");
  if (uri && StartsWithIgnoreCase(content.value(), "tel:") && IsTelUriSafe(number)) {
    Access::Rewrite(card, line, "tel:" + std::string(number));
  } else if (uri) {
    Access::Rewrite(card, line, Access::Escape(card, number), {"VALUE"});
  } else {
    Access::Rewrite(card, line, Access::Escape(card, number));
  }
}

Status CheckEmailSlot(int slot) {
  if (slot >= 1 && slot <= kEmailSlots) return Status::Ok();
  return Status::InvalidArgument("There is no e-mail address " + std::to_string(slot));
}

}  // namespace

int EmailSlotFromName(std::string_view name) {
  for (size_t slot = 0; slot < kEmailSlotNames.size(); ++slot) {
    if (EqualsIgnoreCase(name, kEmailSlotNames[slot])) return static_cast<int>(slot);
  }
  return kNoPin;
}

Result<std::string> ContactCard::Phone(PhoneKind kind) const {
  OLC_RETURN_IF_ERROR(RequireContact(PhonePropertyName(kind)));
  size_t line = index_.phones[static_cast<size_t>(kind)];
  if (line == kNoLine) return std::string();
  return PhoneNumberOf(document_.lines()[line], document_.version());
}

Status ContactCard::SetPhone(PhoneKind kind, std::string_view number) {
  OLC_ASSIGN_OR_RETURN(std::string current, Phone(kind));
  if (current == number) return Status::Ok();
  size_t slot = static_cast<size_t>(kind);
  // Lines are followed by id: each edit may move the others.
  std::array<uint32_t, kPhoneKindCount> expected = IdsOf(*this, index_.phones);
  uint32_t id = expected[slot];
  if (number.empty()) {
    Access::Remove(*this, document_.IndexOf(id));
  } else {
    SetSlotEmptied(*this, PhoneSlotName(kind), false);
    if (id != kNoId) {
      RewritePhone(*this, document_.IndexOf(id), number);
    } else {
      std::string head = "TEL" + std::string(WrittenPhoneParams(kind, document_.version()));
      id = Access::Insert(*this, head, Access::Escape(*this, number));
    }
  }
  expected[slot] = number.empty() ? kNoId : id;
  return RestoreSlots(*this, expected, index_.phones, PhoneSlotNameOf);
}

Result<std::vector<std::string>> ContactCard::ExtraPhoneNumbers() const {
  OLC_RETURN_IF_ERROR(RequireContact("ExtraPhoneNumbers"));
  std::vector<std::string> numbers;
  numbers.reserve(index_.extra_phones.size());
  for (size_t line : index_.extra_phones) {
    numbers.push_back(PhoneNumberOf(document_.lines()[line], document_.version()));
  }
  return numbers;
}

Result<std::string> ContactCard::Email(int slot) const {
  OLC_RETURN_IF_ERROR(RequireContact("Email" + std::to_string(slot) + "Address"));
  OLC_RETURN_IF_ERROR(CheckEmailSlot(slot));
  return ContactCardAccess::Text(*this, index_.emails[static_cast<size_t>(slot - 1)]);
}

Status ContactCard::SetEmail(int slot, std::string_view address) {
  OLC_ASSIGN_OR_RETURN(std::string current, Email(slot));
  if (current == address) return Status::Ok();
  size_t index = static_cast<size_t>(slot - 1);
  std::array<uint32_t, kEmailSlots> expected = IdsOf(*this, index_.emails);
  uint32_t id = expected[index];
  if (address.empty()) {
    Access::Remove(*this, document_.IndexOf(id));
  } else {
    SetSlotEmptied(*this, kEmailSlotNames[index], false);
    if (id != kNoId) {
      Access::Rewrite(*this, document_.IndexOf(id), Access::Escape(*this, address));
    } else {
      id = Access::Insert(*this, NewEmailHead(document_.version()), Access::Escape(*this, address));
    }
  }
  expected[index] = address.empty() ? kNoId : id;
  return RestoreSlots(*this, expected, index_.emails, EmailSlotNameOf);
}

}  // namespace olconn97::pim
