#include "core/shared_state.h"

#include "core/settings.h"
#include "outside/jet/dao.h"
#include "outside/pim/objects.h"
#include "outside/registry/file_registry.h"
#include "outside/registry/registry.h"
#include "outside/shell/clock.h"
#include "outside/shell/shell.h"
#include "outside/ui/desktop.h"
#include "outside/ui/message_box.h"
#include "outside/ui/qt_loader.h"
#include "outside/ui/timer_form.h"

namespace olconn97 {

Services::Services() = default;
Services::~Services() = default;

registry::Registry& Services::registry() {
  if (registry_ != nullptr) return *registry_;
  if (!default_registry_) default_registry_ = registry::OpenDefaultRegistry(ReportSettingsFile);
  return *default_registry_;
}

shell::Shell& Services::shell() {
  if (shell_ != nullptr) return *shell_;
  if (!default_shell_) default_shell_ = std::make_unique<shell::PosixShell>();
  return *default_shell_;
}

shell::Clock& Services::clock() {
  if (clock_ != nullptr) return *clock_;
  if (!default_clock_) default_clock_ = std::make_unique<shell::SystemClock>();
  return *default_clock_;
}

ui::MessageBoxes& Services::message_boxes() {
  if (message_boxes_ != nullptr) return *message_boxes_;
  if (!default_message_boxes_) default_message_boxes_ = std::make_unique<ui::PrintedMessageBoxes>();
  return *default_message_boxes_;
}

void Services::KeepInstalledFrom(const Services& other) {
  registry_ = other.registry_;
  shell_ = other.shell_;
  clock_ = other.clock_;
  message_boxes_ = other.message_boxes_;
  desktop_ = other.desktop_;
}

ui::Desktop& Services::desktop() {
  if (desktop_ != nullptr) return *desktop_;
  // Qt windows when the host runs Qt or OLCONN97_UI asks for them; the
  // plugin lies beside the library.
  if (!default_desktop_) default_desktop_ = ui::CreateDesktop(shell().AppPath());
  return *default_desktop_;
}

SharedState::SharedState() = default;
SharedState::~SharedState() = default;

namespace {

// Never destroyed: the host may call into the driver until the very end of
// the process, after static destructors have begun to run.
SharedState*& Instance() {
  static SharedState* instance = new SharedState();
  return instance;
}

}  // namespace

SharedState& Shared() { return *Instance(); }

ui::FTimer& TimerForm() {
  SharedState& shared = Shared();
  if (!shared.timer_form)
    shared.timer_form = std::make_unique<ui::FTimer>(shared.services.desktop());
  return *shared.timer_form;
}

void ResetSharedStateForTesting() {
  SharedState*& instance = Instance();
  auto* fresh = new SharedState();
  fresh->services.KeepInstalledFrom(instance->services);
  delete instance;
  instance = fresh;
}

}  // namespace olconn97
