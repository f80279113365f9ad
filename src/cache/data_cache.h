// DataCache: the one maintainer of the contact cache Connector.mdb.
//
// The cache holds one row per phone number of every named contact of the
// selected folders (table TCache: PhoneNumber digits, EntryID, Name,
// AutoSelect). A rebuild empties the table and walks every folder; a
// refresh rewrites the rows of the contacts changed since the stored
// refresh time ("LastModification"). Both walks run behind the progress
// window, started by its timer on the message loop: the call that asks for
// them returns at once.
#ifndef OLCONN97_CACHE_DATA_CACHE_H_
#define OLCONN97_CACHE_DATA_CACHE_H_

#include <memory>
#include <string>
#include <string_view>

#include "base/status.h"
#include "outside/jet/recordset.h"
#include "outside/pim/item_classes.h"
#include "outside/shell/clock.h"

namespace olconn97 {

class frmCreateCache;

// The refresh time's fixed text form, whatever the locale: dd/mm/yyyy hh:nn.
inline constexpr char kRefreshTimeFormat[] = "%d/%m/%Y %H:%M";
// What the refresh time holds when every contact must be read again.
inline constexpr char kReadEverything[] = "01/01/1900 00:00";

class DataCache {
 public:
  DataCache();  // reads the stored refresh time

  // True when no selected contact folder holds an item changed after the
  // stored time; with `update`, starts a refresh when the answer is false.
  bool IsUpToDate(bool update);
  // Starts an incremental refresh (it runs behind the progress window).
  void UpdateCache();
  // Starts a full rebuild (it runs behind the progress window).
  void CreateCache();

  // The two walks, run by the progress window on gRootFolder.
  void UpdateFolder(pim::MAPIFolder& folder);
  void AddContact(pim::MAPIFolder& folder);
  // Stores the refresh time: the time the walk started, unless the walk
  // failed (then the next refresh looks as far back as this one did).
  void UpdateKeyChange();
  // A walk begins: its start time is what UpdateKeyChange will store.
  void BeginWalk(shell::WallTime start);
  // Indexes a contact the driver itself just created and saved.
  void AddContactToCache(pim::ContactItem& item);

  const std::string& LastModifKey() const { return LastModifKey_; }
  const std::string& RestrictString() const { return RestrictString_; }
  bool walk_failed() const { return walk_failed_; }

 private:
  void ReadModificationDate();
  bool GetModified(std::string_view filter);
  bool GetModifiedFromFolder(pim::MAPIFolder& folder, std::string_view filter);
  void UpdateFolders();
  void WriteFolder(pim::Items& items, pim::MAPIFolder& folder);
  std::string TestAndSet(pim::Item& item);
  void AddPhoneNumbers(pim::ContactItem& item);
  void AddPhoneNumber(std::string_view number, pim::ContactItem& item);
  Status OpenCacheTable();
  // Opens the cache file and empties its table.
  Status OpenForRebuild(const std::string& target);
  Status WriteRefreshTime(const std::string& text);
  // The progress window, for the walks' labels and bar; null outside a walk.
  frmCreateCache* Window() const;
  void ShowProgressWindow(bool create_mode);

  std::string LastModifKey_;
  std::string RestrictString_;
  std::unique_ptr<jet::Recordset> CacheTable_;
  shell::WallTime walk_start_{};
  bool walk_failed_ = false;
  // The name every row of the contact being indexed carries, worked out
  // once for all its numbers; empty outside AddPhoneNumbers.
  const pim::ContactItem* named_item_ = nullptr;
  std::string named_item_name_;
};

// "0123 456-78" -> "012345678": the decimal digits of a number, nothing else.
std::string PhoneDigits(std::string_view number);

}  // namespace olconn97

#endif  // OLCONN97_CACHE_DATA_CACHE_H_
