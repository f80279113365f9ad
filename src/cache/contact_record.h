// cContactRecord: a search cursor over the contacts matching one search, as
// the host reads it through its ContactRecord interface.
//
// FindFirst runs a search of the cache table (by name or by phone digits,
// sorted by name) and hands out the contact of the first row, or a
// placeholder carrying the searched value when no row matches. The moves
// step from contact to contact: the rows of one contact, one per number,
// lie side by side and are passed over together. The store is asked only
// for the item of the row the cursor stands on; a row whose item is gone is
// deleted from the cache when the cursor meets it, which is how contacts
// deleted in the store leave the cache.
//
// With number matching (number_matching.h), a search by a whole number also
// finds the rows of the numbers that dial the same; they join the one
// result set, in the same order, and the moves walk them like any other.
//
// Host thread only. FindFirst yields to the message loop before and after
// its search, so a cache walk may go on in between.
#ifndef OLCONN97_CACHE_CONTACT_RECORD_H_
#define OLCONN97_CACHE_CONTACT_RECORD_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "base/result.h"
#include "cache/number_matching.h"
#include "olconn97/hostlib.h"
#include "outside/com/com_ptr.h"
#include "outside/com/variant.h"
#include "outside/jet/database.h"
#include "outside/pim/objects.h"

namespace olconn97 {

class cContactRecord {
 public:
  // Phone searches compare digits only when `matching` is null.
  explicit cContactRecord(std::shared_ptr<NumberMatching> matching = nullptr);
  ~cContactRecord();
  cContactRecord(const cContactRecord&) = delete;
  cContactRecord& operator=(const cContactRecord&) = delete;

  // --- ContactRecord, in slot order ---
  bool ContactRecord_EOF() const { return EOF_; }
  bool ContactRecord_BOF() const { return BOF_; }
  // Rows reached so far (all of them once MoveLast ran); 0 before any
  // search. A database failure reaches the host.
  Result<int16_t> ContactRecord_RecordCount();
  bool ContactRecord_NoMatch() const { return NoMatch_; }
  com::ComPtr<Contact> ContactRecord_FindFirst(int32_t field, std::string_view filter);
  com::ComPtr<Contact> ContactRecord_FindNext();
  com::ComPtr<Contact> ContactRecord_FindPrevious();
  // Back to the first row; the next read of Contact searches again. A
  // database failure (an empty result) reaches the host.
  Status ContactRecord_MoveFirst();
  Status ContactRecord_MoveLast();
  Result<com::ComPtr<Contact>> ContactRecord_Contact();
  com::Variant ContactRecord_ExecuteCommand(std::string_view, const VARIANT&) { return {}; }

  // Drops the result set (the driver is closing the database it reads).
  void CloseResultSet();

 private:
  enum class Direction { kForward, kBackward };

  com::ComPtr<Contact> Search();
  // Opens ResultSet_ on the search; false when the statement cannot run.
  bool OpenResultSet();
  // The stored numbers number matching adds to a phone search; none when
  // it is off or has nothing to add.
  std::vector<StoredNumber> SameNumbers(jet::Database& cache);
  void LogFound();
  // The row's item, or null when the store no longer has it.
  com::ComPtr<pim::Item> ItemOfRow();
  Result<std::string> RowEntryId();
  // Where a walk from one contact to the next ended: on a live row's item,
  // or at an end (met while passing the rows of the contact left, or after
  // a stale row).
  struct Landing {
    com::ComPtr<pim::Item> item;
    bool ended_on_left_contact = false;
  };
  // From a row past the contact whose rows carry `previous`, on to the next
  // live contact in `direction`, deleting stale rows on the way.
  Result<Landing> LandFrom(const std::string& previous, Direction direction);
  // Makes the landing's contact current (or none, at the end of the
  // contact left) and returns it.
  com::ComPtr<Contact> TakeLanding(const Landing& landing);
  // FindNext and FindPrevious.
  com::ComPtr<Contact> Find(Direction direction, std::string_view failure_line);
  Status Move(Direction direction);
  bool AtEnd(Direction direction) const { return direction == Direction::kForward ? EOF_ : BOF_; }
  void TakeFlags();
  // Gives a "&&&" row the item's name.
  void CorrectName(pim::Item& item);
  com::ComPtr<Contact> Placeholder() const;
  static com::ComPtr<Contact> ContactOfItem(pim::Item* item);

  bool NoMatch_ = true;
  bool BOF_ = true;
  bool EOF_ = true;
  std::unique_ptr<jet::Recordset> ResultSet_;
  com::ComPtr<Contact> CurrentContact_;
  std::string Filter_;
  int32_t Field_ = 0;
  std::shared_ptr<NumberMatching> matching_;
};

// A new cursor for the host, listed among the opened cursors until it goes.
com::ComPtr<ContactRecord> NewContactRecord(std::shared_ptr<NumberMatching> matching = nullptr);

}  // namespace olconn97

#endif  // OLCONN97_CACHE_CONTACT_RECORD_H_
