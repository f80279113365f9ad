// The first filling of the export folder: one contact per directory entry.
#include "cache/data_cache.h"
#include "contact/employee_directory.h"
#include "core/product_identity.h"
#include "core/shared_state.h"
#include "diag/log.h"
#include "export/export_folder.h"
#include "export/export_steps.h"
#include "outside/pim/store.h"
#include "outside/ui/message_box.h"

namespace olconn97 {

namespace {

constexpr char kFolderExists[] =
    "#07110#A folder with this name already exists. Please use another name.";

// A new contacts folder beside the default contacts folder.
Result<com::ComPtr<pim::MAPIFolder>> CreateExportFolder(std::string_view name) {
  const com::ComPtr<pim::NameSpace>& name_space = Shared().gNameSpace;
  if (!name_space) return Status::Unavailable("the connection to the contact store is closed");
  OLC_ASSIGN_OR_RETURN(com::ComPtr<pim::MAPIFolder> contacts,
                       name_space->GetDefaultFolder(pim::kFolderContacts));
  com::ComPtr<pim::MAPIFolder> parent = contacts->ParentFolder();
  if (!parent) return Status::NotFound("the contacts folder has no folder above it");
  return parent->Subfolders()->Add(name, pim::kFolderContacts);
}

void WarnFolderNotCreated(const Status& refusal, textres::Translator& translator) {
  // The suite's text says why a folder is refused most often; any other
  // reason is told as the store gives it.
  std::string text = refusal.description();
  if (refusal.code() == Code::kAlreadyExists) {
    text = translator.Translate(kFolderExists).value_or(text);
  }
  ui::MessageBoxRecord box;
  box.text = std::move(text);
  box.caption = std::string(kDriverTitle);
  box.icon = ui::MessageIcon::kExclamation;
  Shared().services.message_boxes().Show(box);
}

// Adds one new contact per entry of a directory page.
void AddPageContacts(jet::Database* directory, pim::MAPIFolder& folder, int page,
                     textres::Translator& translator, const StepFailures& failures) {
  const int step = page == kPhoneSetPage ? 10 : 20;
  if (directory == nullptr) return;
  std::optional<std::unique_ptr<jet::Recordset>> opened =
      failures.Value(step, OpenDirectoryPage(*directory, page));
  if (!opened || !*opened) return;
  jet::Recordset& row = **opened;
  std::optional<com::ComPtr<pim::Items>> items = failures.Value(step + 1, folder.GetItems());
  if (failures.Passed(step + 2, row.MoveFirst()) && items) {
    while (!row.Eof()) {
      std::optional<com::ComPtr<pim::Item>> added = failures.Value(step + 3, (*items)->Add(2));
      pim::ContactItem* contact = added ? (*added)->AsContact() : nullptr;
      if (contact != nullptr) {
        std::optional<jet::Value> number = failures.Value(step + 4, EmployeeNumberOf(row));
        if (number) failures.Passed(step + 5, MarkExportContact(*contact, *number, page));
        copyToContactItem(*contact, row, page, translator);
        failures.Passed(step + 6, contact->Save());
      }
      if (!failures.Passed(step + 7, row.MoveNext())) break;
    }
  }
  failures.Passed(step + 8, row.Close());
}

}  // namespace

int16_t InitializeExportFolder(std::string_view from_database, std::string_view target_folder,
                               textres::Translator& translator) {
  const StepFailures failures("cDataConnector.InitializeExportFolder");
  SharedState& shared = Shared();
  diag::Log("In InitializeExportFolder");
  if (!shared.gSTXDatabase) diag::Log("Open Data Base gSTXDatabase");
  jet::Database* directory =
      failures.Value(1, OpenEmployeeDirectoryAt(from_database)).value_or(nullptr);

  com::ComPtr<pim::MAPIFolder> folder = GetExportFolder();
  if (!folder) {
    diag::Log("oTargetfolder is Nothing, try to create it");
    Result<com::ComPtr<pim::MAPIFolder>> created = CreateExportFolder(target_folder);
    if (!created.ok()) {
      WarnFolderNotCreated(created.status(), translator);
      return -1;
    }
    folder = created.value();
  }
  diag::Log("oTargetfolder is OK");
  AddPageContacts(directory, *folder, kPhoneSetPage, translator, failures);
  AddPageContacts(directory, *folder, kEmployeePage, translator, failures);
  SaveExportFolder(folder->EntryID(), folder->StoreID());
  if (shared.gDataCache) {
    diag::Log("begin update DataCache");
    shared.gDataCache->UpdateCache();
  }
  diag::Log("End InitializeExportFolder");
  return 0;
}

}  // namespace olconn97
