// Entry IDs: opaque, case-sensitive texts that name a folder or an item of
// one store. The text is the base64url form of the store's ID, the
// folder's identity and the item's file name; decoding checks the alphabet
// and the length before anything else, so a forged ID fails cleanly.
#ifndef OLCONN97_OUTSIDE_PIM_ENTRY_ID_H_
#define OLCONN97_OUTSIDE_PIM_ENTRY_ID_H_

#include <string>
#include <string_view>

#include "base/result.h"

namespace olconn97::pim {

struct EntryIdParts {
  std::string store_id;
  std::string folder_key;
  std::string file;  // empty for a folder
  friend bool operator==(const EntryIdParts&, const EntryIdParts&) = default;
};

// The longest entry ID accepted.
inline constexpr size_t kMaxEntryIdLength = 2048;

std::string EncodeEntryId(const EntryIdParts& parts);
Result<EntryIdParts> DecodeEntryId(std::string_view entry_id);

}  // namespace olconn97::pim

#endif  // OLCONN97_OUTSIDE_PIM_ENTRY_ID_H_
