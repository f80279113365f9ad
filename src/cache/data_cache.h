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

#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "base/status.h"
#include "cache/cache_schema.h"
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

  // Runs a whole walk from gRootFolder (a rebuild with `create_mode`, else
  // a refresh): its batches of rows, its last commit and the indexes. The
  // progress window's timer calls it; UpdateKeyChange follows.
  void Walk(bool create_mode);
  // The two walks, run on gRootFolder.
  void UpdateFolder(pim::MAPIFolder& folder);
  void AddContact(pim::MAPIFolder& folder);
  // Stores the refresh time: the time the walk started, in the cache file
  // and then in the settings, unless the walk failed (a commit included):
  // then the next refresh looks as far back as this one did, and a rebuild
  // stays pending.
  void UpdateKeyChange();
  // Indexes a contact the driver itself just created and saved.
  void AddContactToCache(pim::ContactItem& item);

  const std::string& LastModifKey() const { return LastModifKey_; }
  const std::string& RestrictString() const { return RestrictString_; }
  bool walk_failed() const { return walk_failed_; }
  // Why the last rebuild or refresh asked for failed, before its walk or
  // in it; ok when it did not (or failed only in a row, see the log).
  const Status& walk_failure() const { return walk_failure_; }
  void set_walk_batch_rows_for_testing(int64_t rows) { walk_batch_rows_ = rows; }

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
  // Opens the cache file, then marks a rebuild pending and empties the
  // table in one transaction.
  Status OpenForRebuild(const std::string& target);
  // The time a refresh reads from, or false when the stored text is no time.
  bool RefreshBound(shell::WallTime* bound);
  bool RebuildPending();
  void WalkFailed(std::string_view context, const Status& failure);
  Status WriteRefreshTime(const std::string& text);
  // The progress window, for the walks' labels and bar; null outside a walk.
  frmCreateCache* Window() const;
  void ShowProgressWindow(bool create_mode);
  // Whether a walk may start here: not while another process walks into
  // the same cache file (its rows so far answer searches here). Logs why not.
  static bool MayWalk();

  std::string LastModifKey_;
  std::string RestrictString_;
  // The changed items IsUpToDate found, by folder entry ID, for the refresh
  // it starts: that refresh does not scan those folders a second time, and
  // counts as begun when the scan began. Kept only from IsUpToDate(true) to
  // the end of the walk it asked for, and only for RestrictString_ as it was.
  std::map<std::string, com::ComPtr<pim::Items>> scanned_changes_;
  std::string scanned_filter_;
  shell::WallTime scan_start_{};
  std::unique_ptr<jet::Recordset> CacheTable_;
  // The positions of the fields every row sets, found as CacheTable_ opens.
  struct RowFields {
    size_t phone_reversed, phone_number, entry_id, auto_select, phone_main, phone_extension,
        name_folded, name;
  };
  RowFields row_fields_{};
  shell::WallTime walk_start_{};
  bool walk_failed_ = false;
  Status walk_failure_;
  bool walk_rebuilds_ = false;
  // Rows gather in a transaction of this size while a walk writes them; a
  // search of this process sees them at once, others at each commit.
  int64_t walk_batch_rows_ = 2048;
  // The name every row of the contact being indexed carries, worked out
  // once for all its numbers; empty outside AddPhoneNumbers.
  const pim::ContactItem* named_item_ = nullptr;
  std::string named_item_name_;
  std::string named_item_folded_;
};

}  // namespace olconn97

#endif  // OLCONN97_CACHE_DATA_CACHE_H_
