#include "core/selected_folders.h"

#include "core/reg_settings.h"
#include "core/reports.h"
#include "core/settings.h"
#include "core/shared_state.h"

namespace olconn97 {

void GetContactFoldersSelected() {
  SharedState& shared = Shared();
  ReportLog("GetContactFoldersSelected(): read from registry");
  if (!RegKeyExists(Hive::kCurrentUser, kFolderSelectionKey)) {
    ReportLog("  all folders selected");
    shared.gAllFoldersSelected = true;  // the lists are left as they are
    return;
  }
  shared.gAllFoldersSelected = false;
  shared.gSelectedEntryIds.fill({});
  shared.gSelectedStoreIds.fill({});
  int count = 0;
  for (int n = 1; n <= kMaxSelectedFolders; ++n) {
    const std::string suffix = std::to_string(n);
    std::string entry_id =
        RegReadString(Hive::kCurrentUser, kFolderSelectionKey, "entryId" + suffix);
    std::string store_id =
        RegReadString(Hive::kCurrentUser, kFolderSelectionKey, "storeId" + suffix);
    std::string select =
        RegReadString(Hive::kCurrentUser, kFolderSelectionKey, "selectId" + suffix);
    if (entry_id.empty() && store_id.empty()) break;
    ReportLog("  i=" + suffix);
    ReportLog("    EntryId=" + entry_id);
    ReportLog("    StoreId=" + store_id);
    ReportLog("    Select =" + select);
    if (select == "0") continue;  // blank, empty or any other text: selected
    shared.gSelectedEntryIds[count] = entry_id;
    shared.gSelectedStoreIds[count] = store_id;
    ++count;
  }
}

bool IsFolderSelected(const pim::MAPIFolder& folder) {
  const SharedState& shared = Shared();
  if (shared.gAllFoldersSelected) return true;
  const std::string entry_id = folder.EntryID();
  const std::string store_id = folder.StoreID();
  for (int index = 0; index < kMaxSelectedFolders; ++index) {
    const std::string& selected = shared.gSelectedEntryIds[index];
    if (selected.empty()) return false;
    if (selected != entry_id) continue;
    const std::string& selected_store = shared.gSelectedStoreIds[index];
    if (selected_store.empty()) return false;
    // The stored store ID may be longer than the current one and begin with it.
    if (selected_store.compare(0, store_id.size(), store_id) == 0) return true;
  }
  return false;
}

bool IsFolderConfigured() {
  CRegSettings settings;
  settings.set_hKey(Hive::kCurrentUser);
  settings.set_MSubKey("Software");
  settings.set_Company("Norvale");
  settings.set_AppName("7316\\Popup");
  std::string entry_id = settings.GetSetting("olconn98folder", "entryId1", "");
  std::string store_id = settings.GetSetting("olconn98folder", "storeId1", "");
  if (entry_id.empty() || store_id.empty()) return false;
  const auto& name_space = Shared().gNameSpace;
  return name_space && name_space->GetFolderFromID(entry_id, store_id).ok();
}

}  // namespace olconn97
