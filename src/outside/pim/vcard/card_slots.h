// Outlook has fixed slots (Business and Business2, Email1..Email3); a card
// has lines in an order. Lines are put into slots in two passes: first the
// lines that carry our slot parameter, then the others in file order, each
// into the first free slot it may take, except the slots the card lists as
// emptied. A line with no slot is an extra one: it stays in the file and is
// listed, never lost.
//
// Where the file order alone would not read back what was set, the card is
// marked: a line that would land in another slot (a Business2 with no
// Business line, the second e-mail address after the first was removed) is
// pinned with the slot parameter, and a slot that was cleared while extra
// lines of its kind remain is listed as emptied, so that none of them moves
// up into it.
#ifndef OLCONN97_OUTSIDE_PIM_VCARD_CARD_SLOTS_H_
#define OLCONN97_OUTSIDE_PIM_VCARD_CARD_SLOTS_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <string_view>
#include <vector>

namespace olconn97::pim {

// Our parameter (X-OLCONN97-SLOT=Business2, =Email3) and property
// (X-OLCONN97-EMPTY-SLOTS:Mobile,Email1).
inline constexpr std::string_view kSlotParamName = "X-OLCONN97-SLOT";
inline constexpr std::string_view kEmptySlotsName = "X-OLCONN97-EMPTY-SLOTS";

inline constexpr size_t kNoLine = std::numeric_limits<size_t>::max();
inline constexpr uint32_t kNoId = std::numeric_limits<uint32_t>::max();
inline constexpr int kNoPin = -1;

struct SlotCandidate {
  size_t line = kNoLine;
  std::array<int, 3> slots{};  // the slots it may take, in order of preference
  size_t slot_count = 0;
  int pin = kNoPin;  // a slot or kNoPin

  bool MayTake(int slot) const;
};

// Fills `slot_lines` (kNoLine where empty; `emptied` slots only take
// pinned lines) and lists the first `max_listed` extra lines; returns how
// many extra lines there are in all.
size_t AssignSlots(std::span<const SlotCandidate> candidates, std::span<const bool> emptied,
                   std::span<size_t> slot_lines, std::vector<size_t>* listed_extras,
                   size_t max_listed);

struct SlotPin {
  uint32_t id;
  int slot;
};

struct SlotRepairs {
  std::vector<SlotPin> pins;
  std::vector<int> emptied;  // slots to list as emptied
  bool empty() const { return pins.empty() && emptied.empty(); }
};

// What makes the lines held in `actual` (line ids per slot) read back as
// `expected`: the expected line of a slot pinned to it, a slot that should
// be empty but holds a line expected nowhere listed as emptied. Apply, read
// again, repeat until empty: a line pinned away can let another move up.
SlotRepairs RepairsFor(std::span<const uint32_t> expected, std::span<const uint32_t> actual);

}  // namespace olconn97::pim

#endif  // OLCONN97_OUTSIDE_PIM_VCARD_CARD_SLOTS_H_
