// Reading a folder's item files ahead of a walk through them. While the
// caller works on one item (a cache walk writes its rows), a thread of the
// read-ahead opens, reads and parses the next ones, so the disk and the
// vCard parser run beside the caller instead of between its items.
#ifndef OLCONN97_OUTSIDE_PIM_READ_AHEAD_H_
#define OLCONN97_OUTSIDE_PIM_READ_AHEAD_H_

#include <condition_variable>
#include <cstddef>
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
  // The content, or why it could not be read or parsed; empty once the
  // card holds it.
  Result<std::string> bytes = std::string();
  std::optional<ContactCard> card;  // a contact file's card, parsed already
  std::string entry_id;             // with a card: its entry ID, worked out already
  size_t size = 0;                  // bytes read
};

struct Context;
struct ItemLocation;
class Item;

// Makes the item at `location` from its file, read already.
Result<com::ComPtr<Item>> LoadItem(const Context& context, const ItemLocation& location,
                                   PreparedFile file);

class ItemReadAhead {
 public:
  // At most this many files, or this many bytes, wait to be taken (and as
  // many again may have been taken and not yet asked for).
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

  // Items made from taken files that nobody else holds any more, for the
  // reader to release: most of an item's memory is the card the reader
  // made, and it frees that at little cost, where a free on the caller's
  // thread would contend with the reader's own allocations. Takes them all.
  void GiveBack(std::vector<com::ComPtr<Item>>& items);

 private:
  void Run(size_t first);
  // Moves the files waiting into taken_, waiting for a batch if none is.
  void TakeBatch();

  const std::string directory_;
  const EntryIdParts folder_id_;
  const std::vector<std::string>& files_;
  std::mutex mutex_;
  std::condition_variable changed_;
  // The taker's own: the files it took from waiting_, the one at
  // taken_first_ being the file at next_. The two vectors trade places,
  // keeping their room: no allocation per file.
  std::vector<PreparedFile> taken_;
  size_t taken_first_ = 0;
  size_t next_;
  std::vector<PreparedFile> waiting_;  // the files after taken_, in order
  std::vector<com::ComPtr<Item>> given_back_;
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
