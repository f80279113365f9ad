// How TEL lines read as Outlook phone kinds and how new ones are written:
// TYPE values (any case, lists, repeated parameters, 2.1 bare parameters),
// 4.0 PREF=1, Apple labels on grouped lines, and our slot parameter.
#ifndef OLCONN97_OUTSIDE_PIM_VCARD_PHONE_TYPES_H_
#define OLCONN97_OUTSIDE_PIM_VCARD_PHONE_TYPES_H_

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "outside/pim/vcard/card_slots.h"
#include "outside/pim/vcard/phone_kinds.h"
#include "outside/pim/vcard/vcard_lines.h"
#include "outside/pim/vcard/vcard_values.h"

namespace olconn97::pim {

// The labels (group.X-ABLabel) of one card that name a phone kind, by group.
class PhoneLabels {
 public:
  // `group` must stay valid while the labels are used.
  void Add(std::string_view group, PhoneKind kind);
  // Call once after the last Add and before the first Find.
  void Seal();
  bool Find(std::string_view group, PhoneKind* kind) const;
  bool empty() const { return labels_.empty(); }

 private:
  std::vector<std::pair<std::string_view, PhoneKind>> labels_;
};

// The kind a label names: "_$!<Mobile>!$_", "Assistant", "iPhone", ...
bool PhoneKindFromLabel(std::string_view label, PhoneKind* kind);

// The slots a TEL line may take (its kind, then the second slot of Business
// and Home) and the slot it is pinned to.
SlotCandidate ClassifyTelLine(const ContentLine& line, size_t index, const PhoneLabels& labels);

// The parameters a new TEL line of this kind gets, as text (";TYPE=CELL").
std::string_view WrittenPhoneParams(PhoneKind kind, VCardVersion version);
// The value of the slot parameter for this kind ("Business2").
std::string_view PhoneSlotName(PhoneKind kind);
// A slot name ("Business2") as a slot number, or kNoPin.
int PhonePinFromName(std::string_view name);

// The number a TEL line holds: its decoded text, or the number of a tel:
// URI (";ext=" becomes " ext. ", other URI parameters dropped).
std::string PhoneNumberOf(const ContentLine& line, VCardVersion version);

// Whether a number can be written as a tel: URI as it is.
bool IsTelUriSafe(std::string_view number);

}  // namespace olconn97::pim

#endif  // OLCONN97_OUTSIDE_PIM_VCARD_PHONE_TYPES_H_
