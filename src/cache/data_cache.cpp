#include "cache/data_cache.h"

#include <ctime>

#include "cache/cache_schema.h"
#include "cache/progress_window.h"
#include "diag/log.h"
#include "driver/data_paths.h"
#include "driver/selected_folders.h"
#include "driver/settings.h"
#include "driver/shared_state.h"
#include "outside/jet/dao.h"
#include "outside/shell/shell.h"
#include "outside/ui/desktop.h"
#include "outside/ui/message_box.h"

namespace olconn97 {

namespace {

constexpr char kRefreshTimeValue[] = "LastModification";
// The filter's own date form: unambiguous, whatever the locale.
constexpr char kFilterTimeFormat[] = "%Y-%m-%d %H:%M";

// "dd/mm/yyyy hh:nn" or "dd/mm/yyyy" as a broken-down local time.
bool ParseRefreshTime(const std::string& text, std::tm* parsed) {
  for (const char* form : {kRefreshTimeFormat, "%d/%m/%Y"}) {
    *parsed = std::tm{};
    const char* end = strptime(text.c_str(), form, parsed);
    if (end != nullptr && *end == '\0') return true;
  }
  return false;
}

}  // namespace

DataCache::DataCache() { ReadModificationDate(); }

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
  std::tm parsed{};
  if (ParseRefreshTime(LastModifKey_, &parsed)) {
    if (Shared().gInitializing) {
      // One minute later within the same day: 10:59 gives 11:00, 23:59
      // gives 00:00 of the same date.
      int minutes = (parsed.tm_hour * 60 + parsed.tm_min + 1) % (24 * 60);
      parsed.tm_hour = minutes / 60;
      parsed.tm_min = minutes % 60;
    }
    LastModifKey_ = shell::FormatLocal(shell::FromLocalTime(parsed), kFilterTimeFormat);
  }  // a text that is not a time is kept as it is; the filter then fails
  RestrictString_ = "[LastModificationTime] > '" + LastModifKey_ + "'";
  diag::Log("Restrict String = " + RestrictString_);
}

bool DataCache::IsUpToDate(bool update) {
  ReadModificationDate();
  diag::Log("Testing cache change...");
  bool result = !GetModified(RestrictString_);
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
  return Status::Ok();
}

void DataCache::UpdateCache() {
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
  if (!done.ok()) {
    diag::LogFailure("Error(UpdateCache): ", done);
    return;
  }
  UpdateFolders();
}

void DataCache::UpdateFolders() { ShowProgressWindow(false); }

Status DataCache::OpenForRebuild(const std::string& target) {
  SharedState& shared = Shared();
  if (!shared.gWorkspace) {
    OLC_ASSIGN_OR_RETURN(shared.gWorkspace, shared.db_engine->CreateWorkspace(
                                                "", "admin", "", jet::WorkspaceType::kJet));
  }
  OLC_ASSIGN_OR_RETURN(shared.gCacheDatabase, shared.gWorkspace->OpenDatabase(target));
  OLC_RETURN_IF_ERROR(OpenCacheTable());
  // Every rebuild starts from an empty table, the first one of a process
  // that began without a cache file too: rows are never doubled.
  Result<int64_t> removed = shared.gCacheDatabase->Execute("Delete * From TCache", {});
  OLC_RETURN_IF_ERROR(removed.status());
  return DropCacheIndexes(*shared.gCacheDatabase);  // made again when the walk ends
}

void DataCache::CreateCache() {
  SharedState& shared = Shared();
  shell::Shell& shell = shared.services.shell();
  const std::string template_file = shell.AppPath() + "/Connector.etf";
  const std::string target = DataPath() + "/Connector.mdb";
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
    (void)shell.CopyFile(template_file, target, /*fail_if_exists=*/true);
    SetFileEveryoneAccess(target);
  }
  Status opened = OpenForRebuild(target);
  if (!opened.ok()) return diag::LogFailure("Error(CreateCache): ", opened);
  diag::Log("Preparing cache creation...");
  ShowProgressWindow(true);
  // Until the walk ends the cache is not complete as of any time: a process
  // that dies meanwhile leaves a refresh time that makes the next refresh
  // read every contact again.
  (void)WriteRefreshTime(kReadEverything);
}

void DataCache::BeginWalk(shell::WallTime start) {
  walk_start_ = start;
  walk_failed_ = false;
}

void DataCache::UpdateKeyChange() {
  if (walk_failed_) return;  // the next refresh looks as far back as this one did
  shell::WallTime when =
      walk_start_ == shell::WallTime() ? Shared().services.clock().Now() : walk_start_;
  Status written = WriteRefreshTime(shell::FormatLocal(when, kRefreshTimeFormat));
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
