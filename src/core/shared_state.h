// The driver's process-wide shared state, in one place.
//
// Everything start-up establishes belongs to the process, not to one driver
// object, so every class of the driver reaches the store, the databases and
// the flags without holding the driver object. The members keep the names
// the system gives them (gDriverReady, gDataPath, ...).
//
// The platform services (settings store, shell, clock, message boxes) are
// reached through the same accessor, so a test can run the driver on a
// temporary settings store and a controllable clock.
#ifndef OLCONN97_CORE_SHARED_STATE_H_
#define OLCONN97_CORE_SHARED_STATE_H_

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/owned.h"
#include "olconn97/hostlib.h"
#include "outside/com/com_ptr.h"

namespace olconn97 {

class DataCache;
class cContactRecord;
class frmCreateCache;
class frmConfigPIM;
class frmOutSelFolder;
struct LocalizationState;
namespace registry {
class Registry;
}
namespace shell {
class Shell;
class Clock;
}  // namespace shell
namespace ui {
class MessageBoxes;
class Desktop;
class FTimer;
}  // namespace ui
namespace diag {
class FLog;
class frmMessageForm;
}  // namespace diag
namespace jet {
class DBEngine;
class Workspace;
class Database;
}  // namespace jet
namespace pim {
class Application;
class NameSpace;
class MAPIFolder;
}  // namespace pim

// The platform services. Each is created on first use with its real
// implementation unless a test or host installed another one.
class Services {
 public:
  registry::Registry& registry();
  shell::Shell& shell();
  shell::Clock& clock();
  ui::MessageBoxes& message_boxes();
  // The message loop, the screen and the windows: headless by default, Qt
  // windows in a Qt host or with OLCONN97_UI=qt (ui/qt_loader.h).
  ui::Desktop& desktop();

  // The caller keeps ownership; pass nullptr to go back to the default.
  void SetRegistry(registry::Registry* registry) { registry_ = registry; }
  void SetShell(shell::Shell* shell) { shell_ = shell; }
  void SetClock(shell::Clock* clock) { clock_ = clock; }
  void SetMessageBoxes(ui::MessageBoxes* boxes) { message_boxes_ = boxes; }
  void SetDesktop(ui::Desktop* desktop) { desktop_ = desktop; }

  // Takes over the services another instance had installed (not its defaults).
  void KeepInstalledFrom(const Services& other);

  Services();
  ~Services();
  Services(const Services&) = delete;
  Services& operator=(const Services&) = delete;

 private:
  registry::Registry* registry_ = nullptr;
  shell::Shell* shell_ = nullptr;
  shell::Clock* clock_ = nullptr;
  ui::MessageBoxes* message_boxes_ = nullptr;
  ui::Desktop* desktop_ = nullptr;
  std::unique_ptr<registry::Registry> default_registry_;
  std::unique_ptr<shell::Shell> default_shell_;
  std::unique_ptr<shell::Clock> default_clock_;
  std::unique_ptr<ui::MessageBoxes> default_message_boxes_;
  std::unique_ptr<ui::Desktop> default_desktop_;
};

struct SharedState {
  Services services;

  // Start-up.
  bool gDriverReady = false;
  bool gInitializing = false;
  bool gFirstLaunch = false;

  // The connection to the contact store (released by ClosePIM) and the top
  // folder of the store that holds the default Inbox.
  com::ComPtr<pim::Application> gOutlookApp;
  com::ComPtr<pim::NameSpace> gNameSpace;
  com::ComPtr<pim::MAPIFolder> gRootFolder;

  // The database engine (created once), the workspace, the open cache
  // Connector.mdb and the employee directory stx.mdb.
  std::unique_ptr<jet::DBEngine> db_engine;
  std::unique_ptr<jet::Workspace> gWorkspace;
  // Shared: a search cursor keeps the database its result came from.
  std::shared_ptr<jet::Database> gCacheDatabase;
  std::shared_ptr<jet::Database> gSTXDatabase;

  // The search cursors handed to the host and still alive: each one leaves
  // the list when the host releases it.
  std::vector<cContactRecord*> gContactRecords;

  // The action list handed to the host, made by start-up and released by
  // the end of any driver object.
  com::ComPtr<PIMActions> gDefaultActions;

  // The one cache maintainer, and the window its walks run behind.
  Owned<DataCache> gDataCache;
  Owned<frmCreateCache> progress_window;
  // The configuration window, created on first use (ConfigWindow()).
  Owned<frmConfigPIM> config_window;
  // The folder selection window, created on first use (FolderSelectionWindow()).
  Owned<frmOutSelFolder> folder_window;
  // What this process's start-up did about a cache file it could not use
  // (one line), or empty.
  std::string cache_recovery;
  // Set before the driver is created by a command that rebuilds the cache
  // right after start-up: start-up then opens the cache without refreshing
  // it, as the rebuild reads every contact anyway. A cache that start-up
  // must build (first launch, or one moved aside) is still built: that walk
  // is a whole rebuild already.
  bool cache_rebuild_follows = false;
  // Why the last start-up could not open the contact store (one line), or
  // empty.
  std::string store_problem;
  // The log has said why number matching cannot be on (no region known):
  // it says so once per process.
  bool number_region_reported = false;

  // Diagnostics: the developer log is on (set by the log window's load).
  bool gLogEnabled = false;
  // The log window, created on first use (diag::LogWindow()).
  Owned<diag::FLog> log_window;
  // Lines that came before the log window was loaded (diag::LogWhenLoaded).
  std::vector<std::string> log_lines_waiting;
  // The error file's path, fixed by the first LogError.
  std::string error_file_name;
  // Headless, a shown log window prints its lines on stderr (tests turn it off).
  bool echo_log_window = true;
  // The message window, created on first use (diag::MessageForm()). Like
  // every window here it is declared after `services`, so it goes before
  // the desktop it lives on.
  Owned<diag::frmMessageForm> message_form;

  // The selected contact folders (at most 16, packed from index 0).
  bool gAllFoldersSelected = false;
  std::array<std::string, 16> gSelectedEntryIds;
  std::array<std::string, 16> gSelectedStoreIds;

  // Data paths, computed once per process.
  std::string gDataPath;
  bool gPerUserDataPath = false;
  std::string gStxFileName;

  // Product identity.
  std::string gProductFullName;
  std::string gProductExtName;
  std::string gProductName;

  // Character set of the user's language.
  int16_t gCharset = 0;
  // The language table, the text resources (gTextResources) and the
  // catalogs read so far.
  Owned<LocalizationState> localization;

  // The hidden timer form, loaded on first use (TimerForm()). Declared after
  // `services`, so it goes before the desktop it lives on.
  std::unique_ptr<ui::FTimer> timer_form;

  SharedState();
  ~SharedState();
  SharedState(const SharedState&) = delete;
  SharedState& operator=(const SharedState&) = delete;
};

// The one accessor.
SharedState& Shared();

// The timer form FTimer, created on the desktop on first use.
ui::FTimer& TimerForm();

// Drops the whole shared state and starts afresh, as a new process would;
// services installed by the test are kept.
void ResetSharedStateForTesting();

}  // namespace olconn97

#endif  // OLCONN97_CORE_SHARED_STATE_H_
