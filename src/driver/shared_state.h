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
#ifndef OLCONN97_DRIVER_SHARED_STATE_H_
#define OLCONN97_DRIVER_SHARED_STATE_H_

#include <cstdint>
#include <memory>
#include <string>

namespace olconn97 {

namespace registry {
class Registry;
}
namespace shell {
class Shell;
class Clock;
}  // namespace shell
namespace ui {
class MessageBoxes;
}
namespace diag {
class FLog;
}

// The platform services. Each is created on first use with its real
// implementation unless a test or host installed another one.
class Services {
 public:
  registry::Registry& registry();
  shell::Shell& shell();
  shell::Clock& clock();
  ui::MessageBoxes& message_boxes();

  // The caller keeps ownership; pass nullptr to go back to the default.
  void SetRegistry(registry::Registry* registry) { registry_ = registry; }
  void SetShell(shell::Shell* shell) { shell_ = shell; }
  void SetClock(shell::Clock* clock) { clock_ = clock; }
  void SetMessageBoxes(ui::MessageBoxes* boxes) { message_boxes_ = boxes; }

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
  std::unique_ptr<registry::Registry> default_registry_;
  std::unique_ptr<shell::Shell> default_shell_;
  std::unique_ptr<shell::Clock> default_clock_;
  std::unique_ptr<ui::MessageBoxes> default_message_boxes_;
};

struct SharedState {
  Services services;

  // Start-up.
  bool gDriverReady = false;
  bool gInitializing = false;
  bool gFirstLaunch = false;

  // Diagnostics: the developer log is on (set by the log window's load).
  bool gLogEnabled = false;
  // The log window, created on first use (diag::LogWindow()).
  std::unique_ptr<diag::FLog> log_window;
  // The error file's path, fixed by the first LogError.
  std::string error_file_name;

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

  SharedState();
  ~SharedState();
  SharedState(const SharedState&) = delete;
  SharedState& operator=(const SharedState&) = delete;
};

// The one accessor.
SharedState& Shared();

// Drops the whole shared state and starts afresh, as a new process would;
// services installed by the test are kept.
void ResetSharedStateForTesting();

}  // namespace olconn97

#endif  // OLCONN97_DRIVER_SHARED_STATE_H_
