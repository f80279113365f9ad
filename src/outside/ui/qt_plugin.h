// The Qt back end's plugin, libolconn97-qt.so, as the library loads it:
// one C entry point that makes the back end, or says why it cannot.
//
// The plugin links Qt; the library does not, so a process without Qt (the
// command line, a host without windows) never loads it. The back end it
// makes reaches the driver only through virtual members (UserInput,
// WindowBackend, NativeEventLoop), so the plugin needs none of the
// library's unexported symbols.
#ifndef OLCONN97_OUTSIDE_UI_QT_PLUGIN_H_
#define OLCONN97_OUTSIDE_UI_QT_PLUGIN_H_

#include <cstddef>

#include "outside/ui/window_backend.h"

namespace olconn97::ui {

inline constexpr char kQtPluginFile[] = "libolconn97-qt.so";
inline constexpr char kQtPluginEntry[] = "olconn97_qt_backend";

// Makes the Qt back end on the calling thread, which becomes the windows'
// thread. It uses the process's QApplication, or makes one when there is
// none and a display is named (DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM).
// Null, with the reason in `why` (at most `why_size` bytes with the NUL),
// when it cannot: no display, or a Qt application without widgets. The
// caller owns the back end.
using QtBackendEntry = WindowBackend* (*)(char* why, size_t why_size);

}  // namespace olconn97::ui

#endif  // OLCONN97_OUTSIDE_UI_QT_PLUGIN_H_
