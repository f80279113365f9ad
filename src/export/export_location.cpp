// Where the export folder is: recorded under "TransfertFolder", named by
// the suite under ZEPPhone\Settings, kept in the selected folder list.
#include "core/reg_settings.h"
#include "core/selected_folders.h"
#include "core/settings.h"
#include "core/shared_state.h"
#include "diag/log.h"
#include "export/export_folder.h"

namespace olconn97 {

namespace {

constexpr char kLocationSection[] = "TransfertFolder";
constexpr char kSelectionSection[] = "olconn98folder";

CRegSettings SuiteSettings(std::string_view app_name) {
  CRegSettings settings;
  settings.set_hKey(Hive::kCurrentUser);
  settings.set_MSubKey("Software");
  settings.set_Company("Norvale");
  settings.set_AppName(app_name);
  return settings;
}

}  // namespace

com::ComPtr<pim::MAPIFolder> GetExportFolder() {
  diag::Log("IN GetExportFolder");
  CRegSettings settings = SuiteSettings("7316\\Popup\\outlook98");
  const std::string entry_id = settings.GetSetting(kLocationSection, "EntryId", "");
  const std::string store_id = settings.GetSetting(kLocationSection, "StoreId", "");
  diag::Log("EntryId " + entry_id);
  diag::Log("StoreId " + store_id);
  com::ComPtr<pim::MAPIFolder> folder;
  const com::ComPtr<pim::NameSpace>& name_space = Shared().gNameSpace;
  if (!entry_id.empty() && !store_id.empty() && name_space) {
    diag::Log("StoreId and StoreId <> 0");
    folder = name_space->GetFolderFromID(entry_id, store_id).value_or(nullptr);
    if (!folder) {
      diag::Log("oTargetfolder Is Nothing, try find oTargetfolder only with EntryId");
      folder = name_space->GetFolderFromID(entry_id).value_or(nullptr);
    }
    if (!folder) {
      diag::Log("oTargetfolder Is Nothing");
    } else {
      diag::Log("oTargetfolder Is Not Nothing");
      settings.set_AppName("7316\\ZEPPhone");
      const std::string wanted = settings.GetSetting("Settings", "olconnExportFolder", "");
      diag::Log("oTargetfolder Name Is " + wanted);
      // A refused rename leaves the old name; the folder serves all the same.
      if (!wanted.empty() && wanted != folder->Name()) (void)folder->SetName(wanted);
    }
  }
  diag::Log("Exit GetExportFolder");
  return folder;
}

std::string ExportFolderPath() {
  CRegSettings settings = SuiteSettings("7316\\Popup\\outlook98");
  const std::string entry_id = settings.GetSetting(kLocationSection, "EntryId", "");
  const com::ComPtr<pim::NameSpace>& name_space = Shared().gNameSpace;
  if (entry_id.empty() || !name_space) return {};
  Result<com::ComPtr<pim::MAPIFolder>> folder = name_space->GetFolderFromID(entry_id);
  return folder.ok() ? folder.value()->path() : std::string();
}

void SaveExportFolder(std::string_view entry_id, std::string_view store_id) {
  diag::Log("In SaveExportFolder");
  CRegSettings settings = SuiteSettings("7316\\Popup\\outlook98");
  const std::string old_entry_id = settings.GetSetting(kLocationSection, "EntryID", "");
  const std::string old_store_id = settings.GetSetting(kLocationSection, "StoreID", "");
  const bool had_previous = !old_entry_id.empty() && !old_store_id.empty();
  settings.SaveSetting(kLocationSection, "EntryID", entry_id);
  settings.SaveSetting(kLocationSection, "StoreID", store_id);

  // Without a stored selection every folder is searched, the new one too.
  if (RegKeyExists(Hive::kCurrentUser, kFolderSelectionKey)) {
    settings.set_AppName("7316\\Popup");
    bool done = false;
    int n = 1;
    for (; n <= kMaxSelectedFolders; ++n) {
      const std::string entry_name = "entryId" + std::to_string(n);
      const std::string store_name = "storeId" + std::to_string(n);
      const std::string listed_entry = settings.GetSetting(kSelectionSection, entry_name, "");
      const std::string listed_store = settings.GetSetting(kSelectionSection, store_name, "");
      if (listed_entry.empty() || listed_store.empty()) break;
      if (had_previous) {
        if (listed_entry == old_entry_id && listed_store == old_store_id) {
          // The new export folder takes the old one's place in the list.
          settings.SaveSetting(kSelectionSection, entry_name, entry_id);
          settings.SaveSetting(kSelectionSection, store_name, store_id);
          done = true;
          break;
        }
      } else if (listed_entry == entry_id && listed_store == store_id) {
        done = true;
        break;
      }
    }
    // A full list gives up its last place.
    n = std::min(n, kMaxSelectedFolders);
    if (!done && !entry_id.empty() && !store_id.empty()) {
      settings.SaveSetting(kSelectionSection, "entryId" + std::to_string(n), entry_id);
      settings.SaveSetting(kSelectionSection, "storeId" + std::to_string(n), store_id);
    }
    GetContactFoldersSelected();
  }
  diag::Log("End SaveExportFolder");
}

}  // namespace olconn97
