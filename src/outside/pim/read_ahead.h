// Reading a folder's item files ahead of a walk through them. While the
// caller works on one item (a cache walk writes its rows), a thread of the
// read-ahead opens, reads and parses the next ones, so the disk and the
// vCard parser run beside the caller instead of between its items.
#ifndef OLCONN97_OUTSIDE_PIM_READ_AHEAD_H_
#define OLCONN97_OUTSIDE_PIM_READ_AHEAD_H_

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "base/result.h"
#include "outside/com/com_ptr.h"
#include "outside/pim/entry_id.h"
#include "outside/pim/vcard/contact_card.h"

namespace olconn97::pim {

// One file as the read-ahead found it.
struct PreparedFile {
  Result<std::string> bytes = std::string();  // the content, or why it could not be read
  std::optional<ContactCard> card;            // a contact file's card, parsed already
  std::string entry_id;                       // with a card: its entry ID, worked out already
};

struct Context;
struct ItemLocation;
class Item;

// Makes the item at `location` from its file, read already.
Result<com::ComPtr<Item>> LoadItem(const Context& context, const ItemLocation& location,
                                   PreparedFile file);

class ItemReadAhead {
 public:
  // At most this many files, or this many bytes, wait to be taken.
  static constexpr size_t kMaxWaiting = 64;
  static constexpr size_t kMaxWaitingBytes = size_t{4} << 20;
  // A caller that had to wait is woken when this many files wait (or the
  // last one does): one wake-up per batch, not per file.
  static constexpr size_t kWakeBatch = 16;

  // Reads `files` (names in `directory`, which outlive the read-ahead) from
  // position `first` on; a card's entry ID is `folder_id` with its file.
  ItemReadAhead(std::string directory, const std::vector<std::string>& files, size_t first,
                EntryIdParts folder_id);
  ~ItemReadAhead();
  ItemReadAhead(const ItemReadAhead&) = delete;
  ItemReadAhead& operator=(const ItemReadAhead&) = delete;

  // The file at `position`, waiting for it if need be; nothing when the
  // walk left the order the read-ahead follows (the caller reads it itself).
  std::optional<PreparedFile> Take(size_t position);

 private:
  void Run(size_t first);

  const std::string directory_;
  const EntryIdParts folder_id_;
  const std::vector<std::string>& files_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<PreparedFile> waiting_;  // the files from next_ on, in order
  size_t next_;
  size_t waiting_bytes_ = 0;
  bool stop_ = false;
  bool reader_done_ = false;  // every file from `first` on has been queued
  // Who sleeps on `changed_`: only then is it signalled, so that a walk
  // whose reader keeps ahead makes no system call per file.
  bool taker_waits_ = false;
  bool reader_waits_ = false;
  std::thread worker_;
};

}  // namespace olconn97::pim

#endif  // OLCONN97_OUTSIDE_PIM_READ_AHEAD_H_
