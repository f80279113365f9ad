#include "driver/data_connector.h"

#include "actions/actions.h"
#include "cache/contact_record.h"
#include "cache/data_cache.h"
#include "contact/contact.h"
#include "core/data_paths.h"
#include "core/selected_folders.h"
#include "core/shared_state.h"
#include "diag/log.h"
#include "driver/config_window.h"
#include "export/export_folder.h"
#include "driver/number_settings.h"
#include "driver/pim_connection.h"
#include "outside/pim/item_classes.h"
#include "outside/pim/objects.h"
#include "outside/pim/store.h"
#include "outside/pim/windows.h"

namespace olconn97 {

namespace {

constexpr char kSource[] = "olconn97";

// What a member answers once ClosePIM ended the connection to the store.
Status StoreClosed() {
  return Status::Unavailable("the connection to the contact store is closed", kSource);
}

// The default folders the host may ask to see, by the exact names it uses.
struct ShowableFolder {
  std::string_view name;
  int code;
};
constexpr ShowableFolder kShowableFolders[] = {
    {"contacts", pim::kFolderContacts},
    {"journal", pim::kFolderJournal},
};

const ShowableFolder* FindShowableFolder(std::string_view name) {
  for (const ShowableFolder& folder : kShowableFolders) {
    if (folder.name == name) return &folder;
  }
  return nullptr;
}

}  // namespace

cDataConnector::cDataConnector() {
  Class_Initialize();
  number_matching_ = ConfiguredNumberMatching();
}

cDataConnector::~cDataConnector() { Class_Terminate(); }

Result<bool> cDataConnector::Dataconnector_ShowFolder(std::string_view default_folder_name,
                                                      std::string_view) {
  // Store failures are not caught here: they reach the host as the call's error.
  const ShowableFolder* wanted = FindShowableFolder(default_folder_name);
  if (wanted == nullptr) return false;
  SharedState& shared = Shared();
  if (!shared.gNameSpace || !shared.gOutlookApp) return StoreClosed();
  OLC_ASSIGN_OR_RETURN(com::ComPtr<pim::MAPIFolder> folder,
                       shared.gNameSpace->GetDefaultFolder(wanted->code));
  if (!folder) return false;
  com::ComPtr<pim::Explorer> explorer = shared.gOutlookApp->ActiveExplorer();
  if (!explorer) {
    OLC_RETURN_IF_ERROR(folder->GetExplorer()->Display());
    return true;
  }
  OLC_RETURN_IF_ERROR(explorer->SetCurrentFolder(folder));
  OLC_RETURN_IF_ERROR(explorer->CurrentFolder()->Display());
  return false;  // shown all the same: the host hears true only for a new explorer
}

Result<com::ComPtr<IDispatch>> cDataConnector::Dataconnector_GetContactItemByContactItemID(
    std::string_view id) {
  // The store's failure reaches the host as the call's error.
  SharedState& shared = Shared();
  if (!shared.gNameSpace) return StoreClosed();
  OLC_ASSIGN_OR_RETURN(com::ComPtr<pim::Item> item, shared.gNameSpace->GetItemFromID(id));
  return com::ComPtr<IDispatch>(item.get());
}

Result<int16_t> cDataConnector::Dataconnector_InitializeExportFolder(
    std::string_view from_database, std::string_view target_folder, bool) {
  // Whether to delete a previous export folder is the host's to ask and
  // not this driver's to do: the folder is kept and filled again.
  return InitializeExportFolder(from_database, target_folder, *translator_);
}

Status cDataConnector::Dataconnector_SynchronizeExportFolder(std::string_view from_database,
                                                             std::string_view target_folder) {
  SynchronizeExportFolder(from_database, target_folder, *translator_);
  return Status::Ok();
}

Result<std::string> cDataConnector::DataConnector_Version() {
  SharedState& shared = Shared();
  if (!shared.gDriverReady) return std::string("0");
  if (!shared.gOutlookApp) {
    diag::LogFailure("Error (Get Version): ", StoreClosed());
    return std::string();
  }
  return shared.gOutlookApp->Version();
}

bool cDataConnector::DataConnector_PIMInstalled() { return Shared().gDriverReady; }

int32_t cDataConnector::DataConnector_PIMName() { return Shared().gDriverReady ? kPimCode : 0; }

com::ComPtr<PIMActions> cDataConnector::DataConnector_Actions() {
  return Shared().gDefaultActions;
}

Result<com::ComPtr<Contact>> cDataConnector::DataConnector_GetActiveContact() {
  SharedState& shared = Shared();
  if (!shared.gDriverReady) return com::ComPtr<Contact>();
  if (!shared.gOutlookApp) {
    diag::LogFailure("Error (GetActiveContact): ", StoreClosed());
    return com::ComPtr<Contact>();
  }
  com::ComPtr<pim::Inspector> inspector = shared.gOutlookApp->ActiveInspector();
  if (!inspector) return com::ComPtr<Contact>();
  // A window on a mail or a journal entry holds no contact to hand out.
  pim::Item* item = inspector->CurrentItem().get();
  if (item == nullptr || item->AsContact() == nullptr) {
    diag::LogFailure("Error (GetActiveContact): ",
                     Status::InvalidArgument("the active window does not show a contact"));
    return com::ComPtr<Contact>();
  }
  com::ComPtr<Contact> contact = NewContact();
  ContactOf(contact.get())->SetValues(item);
  return contact;
}

Result<com::ComPtr<ContactRecord>> cDataConnector::Dataconnector_OpenContactRecord() {
  if (!Shared().gDriverReady) return com::ComPtr<ContactRecord>();
  com::ComPtr<ContactRecord> cursor = NewContactRecord(number_matching_);
  if (!cursor) {
    diag::LogFailure("Error (OpenContactRecord): ",
                     Status::Failed("no search cursor could be made", kSource));
  }
  return cursor;
}

Status cDataConnector::Dataconnector_ClosePIM() {
  SharedState& shared = Shared();
  shared.gNameSpace.reset();
  shared.gOutlookApp.reset();
  return Status::Ok();
}

Status cDataConnector::Dataconnector_ConfigPIM() {
  // Modeless: the host has its call back while the window stays open.
  frmConfigPIM& window = ConfigWindow();
  OLC_RETURN_IF_ERROR(window.Show(ui::ShowMode::kModeless));
  window.SetForeground();  // a second call finds it open behind others
  return Status::Ok();
}

Status cDataConnector::Dataconnector_WriteCache(bool complete) {
  SharedState& shared = Shared();
  if (!shared.gDriverReady) return Status::Ok();
  if (!shared.gDataCache) {
    diag::LogFailure("Error (WriteCache): ", Status::Unavailable("there is no cache maintainer"));
    return Status::Ok();
  }
  if (complete) {
    GetContactFoldersSelected();  // the folder dialog may have changed the choice
    shared.gDataCache->CreateCache();
  } else {
    shared.gDataCache->UpdateCache();
  }
  return Status::Ok();
}

Status cDataConnector::Dataconnector_CreateContact(std::string_view name, std::string_view phone,
                                                   bool show_contact) {
  if (!Shared().gDriverReady) return Status::Ok();
  diag::Log("Contact creation asked by user: " + std::string(name) + " from " + std::string(phone));
  Status created = AddCallerContact(name, phone, show_contact);
  if (!created.ok()) diag::LogFailure("Error (CreateContact): ", created);
  return Status::Ok();
}

Result<com::ComPtr<Contact>> cDataConnector::Dataconnector_GetContactByContactID(
    std::string_view id) {
  // Never fails: a failing step is passed over and the next one runs.
  diag::Log("GetContactByContactID: " + std::string(id) + "...");
  com::ComPtr<Contact> contact = NewContact();
  cContact& filled = *ContactOf(contact.get());
  SharedState& shared = Shared();
  com::ComPtr<pim::Item> item;
  if (shared.gNameSpace) item = shared.gNameSpace->GetItemFromID(id).value_or(nullptr);
  if (!item) {
    filled.SetNotInPIM(true);
    diag::Log("Bad EntryID");
  } else {
    filled.SetValues(item.get());
    diag::Log("Contact: " + filled.FullName());
  }
  diag::Log("End GetContactByContactID...");
  return contact;
}

Result<com::Variant> cDataConnector::DataConnector_ExecuteCommand(std::string_view command,
                                                                  const VARIANT& argument) {
  // Only these commands, spelt exactly so; anything else answers Empty.
  if (command == "isFolderConfigured") return com::Variant::Bool(IsFolderConfigured());
  // What start-up did about a cache file it could not use: a host's status
  // page shows it (empty text when nothing happened).
  if (command == "cacheRecovery") return com::Variant::String(Shared().cache_recovery);
  // Why start-up could not open the contact store (empty when it could).
  if (command == "storeProblem") return com::Variant::String(Shared().store_problem);
  // Why start-up failed, whatever failed (empty when it did not).
  if (command == "startupProblem") return com::Variant::String(startup_problem_);
  // The folder of the contact store the driver works on (empty without
  // one): where a host finds the cards, mails and journal entries.
  if (command == "storeFolder") {
    const auto& app = Shared().gOutlookApp;
    return com::Variant::String(app ? app->session()->store()->root() : std::string());
  }
  // The employee directory the contacts read their employee data from.
  if (command == "directoryFile") return com::Variant::String(StxFileName());
  // The folder the employee directory is exported to (empty without one).
  if (command == "exportFolder") return com::Variant::String(ExportFolderPath());
  // Number matching for the cursors this object opens from now on.
  if (command == kNumberMatchingCommand) return NumberMatchingCommand(argument, number_matching_);
  return com::Variant();
}

}  // namespace olconn97
