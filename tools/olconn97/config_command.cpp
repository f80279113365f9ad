// olconn97 config: the driver's configuration window, as the suite's host
// opens it, in a real window.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "commands.h"
#include "driver_library.h"
#include "host_values.h"

namespace host {

namespace {

constexpr char kConfigHelp[] =
    "usage: olconn97 config\n"
    "\n"
    "Opens the driver's configuration window, as the suite's host does: choose the\n"
    "contact folders the driver searches, refresh the contact cache (Synchronize)\n"
    "or rebuild it (Reinitialize). The command ends when the window is closed.\n"
    "The window needs a display (DISPLAY or WAYLAND_DISPLAY) and the driver's Qt\n"
    "back end (libolconn97-qt.so beside the library, Qt 6 Widgets installed).\n"
    "Exit status: 0 when the window was closed, 1 when it could not be shown.\n";

bool Named(const char* variable) {
  const char* value = std::getenv(variable);
  return value != nullptr && *value != '\0';
}

}  // namespace

int RunConfig(const Args& args) {
  if (WantsHelp(args)) {
    std::fputs(kConfigHelp, stdout);
    return 0;
  }
  if (!args.empty()) {
    std::fprintf(stderr, "olconn97 config: unexpected argument '%s'\n\n%s", args[0].c_str(),
                 kConfigHelp);
    return 2;
  }
  if (!Named("DISPLAY") && !Named("WAYLAND_DISPLAY") && !Named("QT_QPA_PLATFORM")) {
    std::fputs(
        "olconn97 config: no display (DISPLAY or WAYLAND_DISPLAY is not set): the "
        "configuration window needs one\n",
        stderr);
    return 1;
  }
  // The driver draws its windows with Qt when asked before it starts; this
  // host has no Qt application of its own, so the driver makes one.
  setenv("OLCONN97_UI", "qt", 1);
  std::string error;
  DataConnector* driver = Library().CreateDriver(&error);
  if (driver == nullptr) {
    std::fprintf(stderr, "olconn97 config: %s\n", error.c_str());
    return 1;
  }
  int status = 0;
  if (Api().olconn97_shows_windows() == 0) {
    std::fputs("olconn97 config: the driver cannot draw windows here (the reason is above)\n",
               stderr);
    status = 1;
  } else if (HRESULT hr = driver->Dataconnector_ConfigPIM(); FAILED(hr)) {
    std::fprintf(stderr, "olconn97 config: %s\n", FailureText(hr).c_str());
    status = 1;
  } else {
    FinishDriverWork();  // until the window is closed and its work is done
  }
  driver->Release();
  return status;
}

}  // namespace host
