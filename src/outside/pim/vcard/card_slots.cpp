#include "outside/pim/vcard/card_slots.h"

#include <algorithm>

namespace olconn97::pim {

bool SlotCandidate::MayTake(int slot) const {
  for (size_t i = 0; i < slot_count; ++i) {
    if (slots[i] == slot) return true;
  }
  return false;
}

size_t AssignSlots(std::span<const SlotCandidate> candidates, std::span<const bool> emptied,
                   std::span<size_t> slot_lines, std::vector<size_t>* listed_extras,
                   size_t max_listed) {
  std::fill(slot_lines.begin(), slot_lines.end(), kNoLine);
  auto free = [&](int slot) {
    return slot >= 0 && static_cast<size_t>(slot) < slot_lines.size() &&
           slot_lines[static_cast<size_t>(slot)] == kNoLine;
  };
  // Pass 1: pinned lines. A pin the line's own kind does not allow (another
  // program changed its type and kept our parameter) is not honoured.
  std::vector<bool> placed(candidates.size(), false);
  for (size_t i = 0; i < candidates.size(); ++i) {
    const SlotCandidate& c = candidates[i];
    if (c.pin != kNoPin && c.MayTake(c.pin) && free(c.pin)) {
      slot_lines[static_cast<size_t>(c.pin)] = c.line;
      placed[i] = true;
    }
  }
  // Pass 2: the other lines in file order; extras listed in file order too.
  size_t extra_count = 0;
  for (size_t i = 0; i < candidates.size(); ++i) {
    const SlotCandidate& c = candidates[i];
    if (placed[i]) continue;
    bool extra = true;
    for (size_t k = 0; k < c.slot_count && extra; ++k) {
      int slot = c.slots[k];
      if (free(slot) && !emptied[static_cast<size_t>(slot)]) {
        slot_lines[static_cast<size_t>(slot)] = c.line;
        extra = false;
      }
    }
    if (!extra) continue;
    if (listed_extras->size() < max_listed) listed_extras->push_back(c.line);
    ++extra_count;
  }
  return extra_count;
}

SlotRepairs RepairsFor(std::span<const uint32_t> expected, std::span<const uint32_t> actual) {
  SlotRepairs repairs;
  for (size_t slot = 0; slot < expected.size(); ++slot) {
    if (expected[slot] == actual[slot]) continue;
    if (expected[slot] != kNoId) {
      repairs.pins.push_back({expected[slot], static_cast<int>(slot)});
      continue;
    }
    // A line that belongs in another slot leaves this one when it is pinned
    // there; only a line that belongs nowhere calls for the mark.
    if (std::find(expected.begin(), expected.end(), actual[slot]) == expected.end()) {
      repairs.emptied.push_back(static_cast<int>(slot));
    }
  }
  return repairs;
}

}  // namespace olconn97::pim
