#include "outside/ui/qt_loader.h"

#include <dlfcn.h>

#include <array>
#include <cstdlib>
#include <cstring>

#include "outside/ui/loop_clock.h"
#include "outside/ui/qt_plugin.h"

namespace olconn97::ui {

namespace {

// QCoreApplication::self, the application object of a Qt process.
constexpr char kQtApplicationSymbol[] = "_ZN16QCoreApplication4selfE";

}  // namespace

bool WantsQtBackend(const char* ui_setting, bool qt_application_running) {
  if (ui_setting == nullptr || *ui_setting == '\0') return qt_application_running;
  return std::strcmp(ui_setting, "qt") == 0;
}

bool QtApplicationRunning() {
  // Looked up among the libraries already loaded: a process without Qt has
  // no such symbol, and this library never loads Qt itself.
  void* const* self = static_cast<void* const*>(dlsym(RTLD_DEFAULT, kQtApplicationSymbol));
  return self != nullptr && *self != nullptr;
}

std::unique_ptr<WindowBackend> LoadQtBackend(const std::string& folder, std::string* why) {
  const std::string path = folder + "/" + kQtPluginFile;
  // Never closed: Qt cannot be unloaded from a running process.
  void* plugin = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (plugin == nullptr) {
    const char* error = dlerror();
    *why = error != nullptr ? error : "cannot load " + path;
    return nullptr;
  }
  auto entry = reinterpret_cast<QtBackendEntry>(dlsym(plugin, kQtPluginEntry));
  if (entry == nullptr) {
    *why = path + " has no entry point " + kQtPluginEntry;
    return nullptr;
  }
  std::array<char, 512> reason{};
  std::unique_ptr<WindowBackend> backend(entry(reason.data(), reason.size()));
  if (!backend) *why = reason.data();
  return backend;
}

std::unique_ptr<Desktop> CreateDesktop(const std::string& plugin_folder, std::FILE* report) {
  if (WantsQtBackend(std::getenv(kUiVariable), QtApplicationRunning())) {
    std::string why;
    if (std::unique_ptr<WindowBackend> qt = LoadQtBackend(plugin_folder, &why)) {
      return std::make_unique<Desktop>(std::make_unique<SteadyLoopClock>(), std::move(qt));
    }
    std::fprintf(report, "olconn97: the windows stay headless: %s\n", why.c_str());
    std::fflush(report);
  }
  return Desktop::CreateHeadless();
}

}  // namespace olconn97::ui
