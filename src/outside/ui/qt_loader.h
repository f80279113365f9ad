// Which back end renders the process's windows.
//
// The Qt back end, a plugin beside the library, serves when OLCONN97_UI is
// "qt", or when it is unset and the host already runs a Qt application;
// otherwise, or when the plugin cannot serve, the headless one does. A
// plugin that was wanted and cannot serve is reported in one line, and the
// driver goes on headless.
#ifndef OLCONN97_OUTSIDE_UI_QT_LOADER_H_
#define OLCONN97_OUTSIDE_UI_QT_LOADER_H_

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "outside/ui/desktop.h"
#include "outside/ui/window_backend.h"

namespace olconn97::ui {

// The setting that chooses: "qt" or "headless"; unset or empty, the host
// decides by running a Qt application or not.
inline constexpr char kUiVariable[] = "OLCONN97_UI";

// Whether the Qt back end is wanted, given OLCONN97_UI's value (null when
// unset) and whether the process runs a Qt application.
bool WantsQtBackend(const char* ui_setting, bool qt_application_running);

// Whether the process has a Qt application object, found without linking Qt.
bool QtApplicationRunning();

// Loads the plugin from `folder` and makes its back end: null, with the
// reason in `why`, when it cannot.
std::unique_ptr<WindowBackend> LoadQtBackend(const std::string& folder, std::string* why);

// The process's desktop: the steady clock and the back end chosen as above,
// the plugin looked for in `plugin_folder` (the driver's own folder). A
// wanted plugin that cannot serve is reported on `report`.
std::unique_ptr<Desktop> CreateDesktop(const std::string& plugin_folder,
                                       std::FILE* report = stderr);

}  // namespace olconn97::ui

#endif  // OLCONN97_OUTSIDE_UI_QT_LOADER_H_
