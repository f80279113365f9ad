// The driver object's start-up and shutdown: every step in its order, with
// its log line. Start-up never fails towards the host: a failing step ends
// the start-up, is logged, and leaves gDriverReady false.
#include "actions/pim_actions.h"
#include "base/strings.h"
#include "cache/cache_file.h"
#include "cache/cache_state.h"
#include "cache/contact_record.h"
#include "cache/data_cache.h"
#include "core/data_paths.h"
#include "core/product_identity.h"
#include "core/selected_folders.h"
#include "core/settings.h"
#include "core/shared_state.h"
#include "diag/localize.h"
#include "diag/log.h"
#include "diag/log_window.h"
#include "driver/data_connector.h"
#include "driver/pim_connection.h"
#include "outside/jet/dao.h"
#include "outside/pim/objects.h"
#include "outside/shell/clock.h"
#include "outside/shell/shell.h"
#include "outside/ui/desktop.h"
#include "outside/ui/timer_form.h"

namespace olconn97 {

namespace {

constexpr int kHourglass = 11;
constexpr int kDefaultPointer = 0;

// The top folder of the store that holds the default Inbox. A
// step that fails is skipped; a parent without a readable name (the name
// space above the top folder) or named "Outlook" ends the walk.
com::ComPtr<pim::MAPIFolder> FindRootFolder(pim::NameSpace& ns) {
  Result<com::ComPtr<pim::MAPIFolder>> inbox = ns.GetDefaultFolder(pim::kFolderInbox);
  if (!inbox.ok()) return nullptr;
  com::ComPtr<pim::MAPIFolder> root = inbox.value();
  while (com::ComPtr<pim::MAPIFolder> parent = root->ParentFolder()) {
    if (parent->Name() == "Outlook") break;
    root = parent;
  }
  return root;
}

// Opens the cache and refreshes it, or builds it on a first launch, unless
// "autodetect" is "1".
Status OpenOrCreateCache() {
  SharedState& shared = Shared();
  std::string autodetect = RegReadString(Hive::kCurrentUser, kPopupKey, "autodetect");
  diag::Log("autodetect : " + autodetect);
  if (autodetect == "1") return Status::Ok();
  diag::Log("Testing file existence (Connector.mdb)...");
  const std::string cache_file = DataPath() + "/Connector.mdb";
  if (shared.services.shell().FileExists(cache_file)) {
    diag::Log("File exists: Connecting to database...");
    Result<std::unique_ptr<jet::Database>> cache = OpenCacheFile(*shared.gWorkspace, cache_file);
    if (cache.ok()) {
      shared.gCacheDatabase = std::move(cache).value();
      shared.gFirstLaunch = false;
      if (shared.cache_rebuild_follows) {
        diag::Log("A rebuild follows: no refresh at start-up.");
        return Status::Ok();
      }
      (void)shared.gDataCache->IsUpToDate(true);  // refreshes when the store changed
      return Status::Ok();
    }
    if (cache.status().code() != Code::kCorrupt) {
      // Not damaged, only out of reach (a read-only or full folder): kept
      // as it is, and the reason names it.
      return Status::Error(cache.status().code(),
                           "the contact cache " + cache_file +
                               " cannot be opened: " + cache.status().description(),
                           cache.status().source());
    }
    // A cache that cannot serve is derived data: it is kept aside for
    // whoever wants to look, and made again from the store.
    OLC_ASSIGN_OR_RETURN(std::string recovery, MoveCacheAside(cache_file, cache.status()));
    diag::LogWindow().Addlog(recovery);
    DebugOutput(recovery);
    shared.cache_recovery = recovery;
  }
  diag::Log("File does not exist !!! (First launch ?)");
  shared.gFirstLaunch = true;
  shared.gDataCache->CreateCache();
  if (!shared.cache_recovery.empty() && shared.gCacheDatabase) {
    (void)WriteCacheState(*shared.gCacheDatabase, kStateLastRecovery, shared.cache_recovery);
  }
  return Status::Ok();
}

Status ConnectToTheStore() {
  SharedState& shared = Shared();
  diag::Log("Connecting to Outlook 97/98...");
  Result<com::ComPtr<pim::Application>> app = ConnectToStore(ConfiguredStoreLocation());
  shared.store_problem = app.ok() ? std::string() : app.status().description();
  OLC_ASSIGN_OR_RETURN(shared.gOutlookApp, std::move(app));
  diag::Log("Connecting to Outlook...GetNameSpace");
  OLC_ASSIGN_OR_RETURN(shared.gNameSpace, shared.gOutlookApp->GetNamespace("MAPI"));
  diag::Log("GetDefaultFolder");
  shared.gRootFolder = FindRootFolder(*shared.gNameSpace);
  return Status::Ok();
}

Status OpenWorkspace() {
  SharedState& shared = Shared();
  diag::Log("Connecting to DAO...");
  if (!shared.db_engine) shared.db_engine = std::make_unique<jet::DBEngine>();
  OLC_ASSIGN_OR_RETURN(shared.gWorkspace, shared.db_engine->CreateWorkspace(
                                              "", "admin", "", jet::WorkspaceType::kJet));
  return Status::Ok();
}

void LogBanner(std::initializer_list<const char*> lines) {
  for (const char* line : lines) diag::Log(line);
}

}  // namespace

Status cDataConnector::StartUp() {
  SharedState& shared = Shared();
  DebugOutput("PIMDriverOutlook initialize");
  LoadProductIdentity();
  shared.gCharset = GetChartset();
  std::string start_text =
      shell::LocalDateTimeText(shared.services.clock().Now()) + ": * Driver startup *";
  Shared().services.desktop().screen().SetMousePointer(kHourglass);
  shared.gDriverReady = true;
  diag::LogWindow();  // its load decides whether the log is on
  translator_ = std::make_unique<textres::Translator>();
  diag::LogPlain(start_text);
  LogBanner(
      {"*************************", "* Driver initialization *", "*************************", ""});
  OLC_RETURN_IF_ERROR(ConnectToTheStore());
  diag::Log("Get contacts folders selected from Registry...");
  GetContactFoldersSelected();
  shared.gInitializing = true;
  OLC_RETURN_IF_ERROR(OpenWorkspace());
  diag::Log("Creating DataCache...");
  shared.gDataCache = std::make_unique<DataCache>();
  OLC_RETURN_IF_ERROR(OpenOrCreateCache());
  diag::Log("Creating default ActionList...");
  shared.gDefaultActions = NewActionList();
  diag::Log("Timer initialization");
  ui::TimerControl& timer = TimerForm().Timer();
  timer.set_enabled(false);
  OLC_RETURN_IF_ERROR(timer.SetInterval(10));
  (void)TextResources().Initialize(0);  // its outcome is not used
  LogBanner({"*****************************", "* fin Driver initialization *",
             "*****************************", ""});
  Shared().services.desktop().screen().SetMousePointer(kDefaultPointer);
  shared.gInitializing = false;
  return Status::Ok();
}

void cDataConnector::Class_Initialize() {
  Status failure = StartUp();
  if (failure.ok()) return;
  startup_problem_ = failure.description();
  SharedState& shared = Shared();
  (void)TextResources().Initialize(0);
  Shared().services.desktop().screen().SetMousePointer(kDefaultPointer);
  diag::Log("Error(Class_Initialize - DataConnector): " + diag::FailureText(failure) + "\n\r" +
            "Init: Going on execution...");
  shared.gDriverReady = false;
}

void cDataConnector::Class_Terminate() {
  SharedState& shared = Shared();
  // Each step goes on whatever the previous one did. Cursors the host still
  // holds lose their result sets with the database they read.
  for (cContactRecord* cursor : shared.gContactRecords) cursor->CloseResultSet();
  if (shared.gCacheDatabase) {
    (void)shared.gCacheDatabase->Close();  // a failing step is skipped
    shared.gCacheDatabase.reset();
  }
  if (shared.gWorkspace) {
    (void)shared.gWorkspace->Close();
    shared.gWorkspace.reset();
  }
  if (shared.gSTXDatabase) {
    (void)shared.gSTXDatabase->Close();
    shared.gSTXDatabase.reset();
  }
  translator_.reset();
  ReleaseTextResources();
  shared.gDefaultActions = nullptr;
}

}  // namespace olconn97
