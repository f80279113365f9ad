#include "cache/data_cache.h"

#include <chrono>
#include <ctime>

#include "cache/cache_file.h"
#include "cache/cache_schema.h"
#include "cache/cache_state.h"
#include "cache/progress_window.h"
#include "core/data_paths.h"
#include "core/selected_folders.h"
#include "core/settings.h"
#include "core/shared_state.h"
#include "diag/log.h"
#include "outside/jet/dao.h"
#include "outside/shell/file_io.h"
#include "outside/shell/shell.h"
#include "outside/ui/desktop.h"
#include "outside/ui/message_box.h"

namespace olconn97 {

namespace {

constexpr char kRefreshTimeValue[] = "LastModification";
// File systems with coarse times (FAT: two seconds) stamp a card saved just
// after a walk began with a time just before it.
constexpr auto kCoarseTimeMargin = std::chrono::seconds(2);

// The minute "dd/mm/yyyy hh:nn" (or the day "dd/mm/yyyy") names, as a
// broken-down local time.
bool ParseRefreshTime(const std::string& text, std::tm* parsed) {
  for (const char* form : {kRefreshTimeFormat, "%d/%m/%Y"}) {
    *parsed = std::tm{};
    const char* end = strptime(text.c_str(), form, parsed);
    if (end != nullptr && *end == '\0') return true;
  }
  return false;
}

// The cache file a walk writes into.
std::string CacheFilePath() {
  const auto& cache = Shared().gCacheDatabase;
  return cache ? cache->Name() : DataPath() + "/Connector.mdb";
}

constexpr char kWalkElsewhere[] =
    "Another process is walking the store into the cache: its rows answer meanwhile, and this "
    "process walks nothing.";

}  // namespace

DataCache::DataCache() { ReadModificationDate(); }

bool DataCache::MayWalk() {
  if (!WalkRunningElsewhere(CacheFilePath())) return true;
  diag::Log(kWalkElsewhere);
  return false;
}

void DataCache::ReadModificationDate() {
  diag::Log("Reading registry...");
  LastModifKey_ = RegReadString(Hive::kCurrentUser, kPopupKey, kRefreshTimeValue);
  diag::Log("LastModifKey = " + LastModifKey_);
  if (LastModifKey_.empty()) {
    LastModifKey_ = kReadEverything;
    if (!RegWriteString(Hive::kCurrentUser, kPopupKey, kRefreshTimeValue, LastModifKey_)) {
      diag::LogFailure("Error (ReadModificationDate): ",
                       Status::Failed("the refresh time cannot be written"));
    }
  }
  shell::WallTime bound;
  // A text that is not a time is kept as it is; the filter then fails.
  if (RefreshBound(&bound)) LastModifKey_ = shell::FormatUtcSeconds(bound);
  RestrictString_ = "[LastModificationTime] > '" + LastModifKey_ + "'";
  diag::Log("Restrict String = " + RestrictString_);
}

bool DataCache::RefreshBound(shell::WallTime* bound) {
  if (const auto& cache = Shared().gCacheDatabase) {
    Result<std::string> written = ReadCacheState(*cache, kStateLastModification);
    Result<std::string> started = ReadCacheState(*cache, kStateWalkStarted);
    if (written.ok() && started.ok() && written.value() == LastModifKey_ &&
        shell::ParseUtcSeconds(started.value(), bound)) {
      *bound -= kCoarseTimeMargin;
      return true;
    }
  }
  // Set by someone else (or never by a walk): from the start of its minute.
  std::tm parsed{};
  if (!ParseRefreshTime(LastModifKey_, &parsed)) return false;
  *bound = shell::FromLocalTime(parsed) - std::chrono::seconds(1);
  return true;
}

bool DataCache::RebuildPending() {
  const auto& cache = Shared().gCacheDatabase;
  if (!cache) return false;
  Result<std::string> pending = ReadCacheState(*cache, kStateRebuildPending);
  return pending.ok() && pending.value() == "1";
}

bool DataCache::IsUpToDate(bool update) {
  // What another process is writing now is as current as this one could
  // make it; reading the store again alongside would only slow both.
  if (!MayWalk()) return true;
  ReadModificationDate();
  diag::Log("Testing cache change...");
  // A rebuild that never finished left rows missing that no card's time
  // would point at.
  bool pending = RebuildPending();
  scanned_changes_.clear();
  scanned_filter_ = RestrictString_;
  scan_start_ = Shared().services.clock().Now();
  bool result = !pending && !GetModified(RestrictString_);
  if (!update || result) scanned_changes_.clear();
  diag::Log(std::string("Is up to date: ") + (result ? "True" : "False"));
  if (update && !result) {
    diag::Log("Updating Cache...");
    UpdateCache();
  } else {
    diag::Log("No cache Update...");
  }
  Shared().services.desktop().screen().SetMousePointer(ui::kMousePointerDefault);
  return result;
}

bool DataCache::GetModified(std::string_view filter) {
  const auto& root = Shared().gRootFolder;
  if (!root) {
    diag::LogFailure("Error (GetModified) : ",
                     Status::Unavailable("the store's top folder is unknown"));
    return false;
  }
  return GetModifiedFromFolder(*root, filter);
}

bool DataCache::GetModifiedFromFolder(pim::MAPIFolder& folder, std::string_view filter) {
  com::ComPtr<pim::Folders> subfolders = folder.Subfolders();
  for (int32_t i = 1; i <= subfolders->Count(); ++i) {
    Result<com::ComPtr<pim::MAPIFolder>> sub = subfolders->Item(i);
    if (!sub.ok()) continue;  // a folder that cannot be read counts as unchanged
    pim::MAPIFolder& child = *sub.value();
    if (child.DefaultItemType() == static_cast<int>(pim::FolderKind::kContacts)) {
      diag::Log("Modified Folder Tested = " + child.Name());
      if (IsFolderSelected(child)) {
        diag::Log("Modified Folder selected = " + child.Name());
        Result<com::ComPtr<pim::Items>> items = child.GetItems();
        if (items.ok()) {
          Result<com::ComPtr<pim::Items>> changed = items.value()->Restrict(filter);
          if (changed.ok()) scanned_changes_[child.EntryID()] = changed.value();
          if (changed.ok() && changed.value()->Count() > 0) return true;
        }
      }
    }
    if (GetModifiedFromFolder(child, filter)) return true;
  }
  return false;
}

Status DataCache::OpenCacheTable() {
  SharedState& shared = Shared();
  if (!shared.gCacheDatabase) return Status::Unavailable("the cache database is not open");
  OLC_ASSIGN_OR_RETURN(
      CacheTable_, shared.gCacheDatabase->OpenRecordset("TCache", jet::RecordsetType::kTable, {}));
  jet::Recordset& table = *CacheTable_;
  OLC_ASSIGN_OR_RETURN(row_fields_.phone_reversed, table.FieldPosition("PhoneReversed"));
  OLC_ASSIGN_OR_RETURN(row_fields_.phone_number, table.FieldPosition("PHONENUMBER"));
  OLC_ASSIGN_OR_RETURN(row_fields_.entry_id, table.FieldPosition("EntryID"));
  OLC_ASSIGN_OR_RETURN(row_fields_.auto_select, table.FieldPosition("AutoSelect"));
  OLC_ASSIGN_OR_RETURN(row_fields_.phone_main, table.FieldPosition("PhoneMain"));
  OLC_ASSIGN_OR_RETURN(row_fields_.phone_extension, table.FieldPosition("PhoneExtension"));
  OLC_ASSIGN_OR_RETURN(row_fields_.name_folded, table.FieldPosition("NameFolded"));
  OLC_ASSIGN_OR_RETURN(row_fields_.name, table.FieldPosition("Name"));
  return Status::Ok();
}

void DataCache::UpdateCache() {
  if (!MayWalk()) return;
  if (RebuildPending()) {
    diag::Log("The last rebuild of the cache did not finish: rebuilding it.");
    return CreateCache();
  }
  ReadModificationDate();
  SharedState& shared = Shared();
  Status done = [&]() -> Status {
    if (!shared.gCacheDatabase) {
      if (!shared.db_engine) shared.db_engine = std::make_unique<jet::DBEngine>();
      OLC_ASSIGN_OR_RETURN(shared.gWorkspace, shared.db_engine->CreateWorkspace(
                                                  "", "admin", "", jet::WorkspaceType::kJet));
      OLC_ASSIGN_OR_RETURN(shared.gCacheDatabase,
                           shared.gWorkspace->OpenDatabase(DataPath() + "/Connector.mdb"));
    }
    OLC_RETURN_IF_ERROR(EnsureCacheIndexes(*shared.gCacheDatabase));
    return OpenCacheTable();
  }();
  if (!done.ok()) return WalkFailed("Error(UpdateCache): ", done);
  UpdateFolders();
}

void DataCache::UpdateFolders() { ShowProgressWindow(false); }

Status DataCache::OpenForRebuild(const std::string& target) {
  SharedState& shared = Shared();
  if (!shared.gWorkspace) {
    OLC_ASSIGN_OR_RETURN(shared.gWorkspace, shared.db_engine->CreateWorkspace(
                                                "", "admin", "", jet::WorkspaceType::kJet));
  }
  OLC_RETURN_IF_ERROR(CheckRoomForRebuild(target));
  OLC_ASSIGN_OR_RETURN(shared.gCacheDatabase, shared.gWorkspace->OpenDatabase(target));
  jet::Database& cache = *shared.gCacheDatabase;
  OLC_RETURN_IF_ERROR(OpenCacheTable());
  // Every rebuild starts from an empty table, the first one of a process
  // that began without a cache file too: rows are never doubled. The mark
  // that a rebuild is under way commits with the emptying, so a process
  // killed at any point after leaves a cache the next start-up rebuilds.
  OLC_RETURN_IF_ERROR(cache.BeginTrans());
  Status emptied = [&]() -> Status {
    OLC_RETURN_IF_ERROR(WriteCacheState(cache, kStateRebuildPending, "1"));
    // Made again when the walk ends; dropped first, the rows go faster.
    OLC_RETURN_IF_ERROR(DropCacheIndexes(cache));
    return cache.Execute("Delete * From TCache", {}).status();
  }();
  if (!emptied.ok()) {
    (void)cache.Rollback();
    return emptied;
  }
  return cache.CommitTrans();
}

void DataCache::CreateCache() {
  SharedState& shared = Shared();
  shell::Shell& shell = shared.services.shell();
  const std::string template_file = shell.AppPath() + "/Connector.etf";
  const std::string target = DataPath() + "/Connector.mdb";
  // Emptying the table under another process's walk would lose its rows.
  if (!MayWalk()) return;
  if (!shared.db_engine) shared.db_engine = std::make_unique<jet::DBEngine>();
  if (shared.gFirstLaunch) {
    Result<std::unique_ptr<jet::Workspace>> workspace =
        shared.db_engine->CreateWorkspace("", "admin", "", jet::WorkspaceType::kJet);
    if (!workspace.ok()) return diag::LogFailure("Error(CreateCache): ", workspace.status());
    shared.gWorkspace = std::move(workspace).value();
    if (!shell.FileExists(template_file)) {
      shared.services.message_boxes().Show({"Critical Error: File " + template_file +
                                                " doesn't exist anymore.\n\r" +
                                                "Popup can't function correctly without it.",
                                            "Critical Error", ui::MessageIcon::kCritical});
      return;
    }
    if (!shell.FileExists(target)) {
      // The journal files of a cache someone deleted belong to no database
      // any more: left beside a fresh copy they would corrupt it.
      (void)shell.DeleteFile(target + "-wal");
      (void)shell.DeleteFile(target + "-shm");
    }
    // Fails harmlessly when the file exists: the rebuild empties it.
    (void)shell.CopyFile(template_file, target, /*fail_if_exists=*/true);
    SetFileEveryoneAccess(target);
  }
  Status opened = OpenForRebuild(target);
  if (!opened.ok()) return WalkFailed("Error(CreateCache): ", opened);
  diag::Log("Preparing cache creation...");
  ShowProgressWindow(true);
  // Until the walk ends the cache is not complete as of any time: a process
  // that dies meanwhile leaves a refresh time that makes the next refresh
  // read every contact again.
  (void)WriteRefreshTime(kReadEverything);
}

void DataCache::Walk(bool create_mode) {
  SharedState& shared = Shared();
  walk_start_ = shared.services.clock().Now();
  // A refresh that takes over the start-up's scan began with that scan: a
  // card saved between the two is the next refresh's.
  if (create_mode || scanned_filter_ != RestrictString_) scanned_changes_.clear();
  if (!scanned_changes_.empty()) walk_start_ = scan_start_;
  walk_failed_ = false;
  walk_failure_ = Status::Ok();
  walk_rebuilds_ = create_mode;
  // Held for the whole walk. Another process that began one since this
  // walk was asked for has the lock: this one then leaves the times as
  // they are. A lock file that cannot be made (a read-only folder) stops
  // no walk.
  Result<shell::FileLock> walk_lock = TakeWalkLock(CacheFilePath());
  if (!walk_lock.ok() && walk_lock.status().code() == Code::kUnavailable) {
    diag::Log(kWalkElsewhere);
    walk_failed_ = true;
    walk_failure_ = Status::Unavailable(kWalkElsewhere);
    scanned_changes_.clear();
    return;
  }
  const std::shared_ptr<jet::Database> cache = shared.gCacheDatabase;
  if (cache) {
    if (!create_mode) {
      Result<int64_t> completed = FillDerivedValues(*cache);
      if (!completed.ok()) diag::LogFailure("Error (UpdateFolder): ", completed.status());
    }
    cache->SetCommitEvery(walk_batch_rows_);
    // Only a rebuild writes the whole table; a refresh writes a few rows.
    if (create_mode) (void)cache->SetBulkWrites(true);
  }
  if (com::ComPtr<pim::MAPIFolder> root = shared.gRootFolder) {
    if (create_mode) {
      AddContact(*root);
    } else {
      UpdateFolder(*root);
    }
  }
  scanned_changes_.clear();  // a later refresh scans afresh
  if (!cache) return;
  // The last batch: a walk whose rows did not all commit has not happened.
  Status committed = cache->Commit();
  cache->SetCommitEvery(1);
  if (!committed.ok()) {
    WalkFailed("Error (Commit): ", committed);
  } else if (Status indexed = EnsureCacheIndexes(*cache); !indexed.ok()) {
    WalkFailed("Error (CreateCache): ", indexed);
  }
  if (create_mode) (void)cache->SetBulkWrites(false);
}

void DataCache::WalkFailed(std::string_view context, const Status& failure) {
  walk_failed_ = true;
  walk_failure_ = failure;
  diag::LogFailure(std::string(context), failure);
}

void DataCache::UpdateKeyChange() {
  if (walk_failed_) {
    diag::Log("The walk did not complete: the refresh time stays " +
              RegReadString(Hive::kCurrentUser, kPopupKey, kRefreshTimeValue) + ".");
    return;
  }
  SharedState& shared = Shared();
  shell::WallTime when =
      walk_start_ == shell::WallTime() ? shared.services.clock().Now() : walk_start_;
  const std::string text = shell::FormatLocal(when, kRefreshTimeFormat);
  // The cache file first: settings that still hold an older text only make
  // the next refresh read more.
  if (const std::shared_ptr<jet::Database> cache = shared.gCacheDatabase) {
    Status recorded = [&]() -> Status {
      OLC_RETURN_IF_ERROR(cache->BeginTrans());
      Status written = WriteCacheState(*cache, kStateWalkStarted, shell::FormatUtcSeconds(when));
      if (written.ok()) written = WriteCacheState(*cache, kStateLastModification, text);
      // Only a whole rebuild ends one that is pending.
      if (written.ok() && walk_rebuilds_) {
        written = WriteCacheState(*cache, kStateRebuildPending, "0");
      }
      if (!written.ok()) {
        (void)cache->Rollback();
        return written;
      }
      return cache->CommitTrans();
    }();
    if (!recorded.ok()) return diag::LogFailure("Error (UpdateKeyChange): ", recorded);
  }
  Status written = WriteRefreshTime(text);
  if (!written.ok()) diag::LogFailure("Error (UpdateKeyChange): ", written);
}

Status DataCache::WriteRefreshTime(const std::string& text) {
  if (!RegWriteString(Hive::kCurrentUser, kPopupKey, kRefreshTimeValue, text)) {
    return Status::Failed("the refresh time cannot be written");
  }
  return Status::Ok();
}

frmCreateCache* DataCache::Window() const {
  frmCreateCache* window = Shared().progress_window.get();
  return window != nullptr && window->loaded() ? window : nullptr;
}

void DataCache::ShowProgressWindow(bool create_mode) {
  frmCreateCache& window = ProgressWindow();
  window.Load();
  window.CreateMode = create_mode;
  window.SetForeground();
  (void)window.Show(ui::ShowMode::kModeless);
}

}  // namespace olconn97
