// The plugin's entry point: the Qt back end, on the process's QApplication
// or on one of its own.
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "outside/ui/qt/qt_backend.h"
#include "outside/ui/qt_plugin.h"

namespace {

bool Named(const char* variable) {
  const char* value = std::getenv(variable);
  return value != nullptr && *value != '\0';
}

olconn97::ui::WindowBackend* Refuse(char* why, size_t why_size, const char* reason) {
  if (why != nullptr && why_size > 0) std::snprintf(why, why_size, "%s", reason);
  return nullptr;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) olconn97::ui::WindowBackend* olconn97_qt_backend(
    char* why, size_t why_size) {
  // The check that the contract and the entry point agree.
  [[maybe_unused]] olconn97::ui::QtBackendEntry self = &olconn97_qt_backend;
  QCoreApplication* running = QCoreApplication::instance();
  if (running != nullptr && qobject_cast<QApplication*>(running) == nullptr) {
    return Refuse(why, why_size, "the host's Qt application has no widgets (not a QApplication)");
  }
  std::unique_ptr<QApplication> own;
  if (running == nullptr) {
    if (!Named("DISPLAY") && !Named("WAYLAND_DISPLAY") && !Named("QT_QPA_PLATFORM")) {
      return Refuse(why, why_size,
                    "no display (DISPLAY, WAYLAND_DISPLAY and QT_QPA_PLATFORM are not set)");
    }
    // QApplication keeps its arguments for its whole life.
    static int argc = 1;
    static char name[] = "olconn97";
    static char* argv[] = {name, nullptr};
    own = std::make_unique<QApplication>(argc, argv);
  }
  return new olconn97::ui::qt::QtWindowBackend(std::move(own));
}
