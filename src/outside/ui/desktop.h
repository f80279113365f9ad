// The process's user interface: its message loop, its screen, the back end
// that renders the windows, and the list of loaded windows.
//
// One per process in the driver (the host's UI thread); tests make their own
// with a ManualLoopClock and a RecordingWindowBackend. Windows keep a
// reference to their desktop, so it outlives every window made on it. Called
// on the UI thread only.
#ifndef OLCONN97_OUTSIDE_UI_DESKTOP_H_
#define OLCONN97_OUTSIDE_UI_DESKTOP_H_

#include <memory>
#include <string_view>
#include <vector>

#include "outside/ui/loop_clock.h"
#include "outside/ui/message_loop.h"
#include "outside/ui/screen.h"
#include "outside/ui/user_input.h"
#include "outside/ui/window_backend.h"

namespace olconn97::ui {

class WindowModel;

class Desktop {
 public:
  // `clock` and `backend` outlive the desktop. The back end is attached to
  // the desktop's windows and, when it has an event loop of its own, the
  // message loop runs inside it.
  Desktop(LoopClock& clock, WindowBackend& backend);
  // Owns its clock and back end.
  Desktop(std::unique_ptr<LoopClock> clock, std::unique_ptr<WindowBackend> backend);
  ~Desktop();
  Desktop(const Desktop&) = delete;
  Desktop& operator=(const Desktop&) = delete;

  // The steady clock and the headless back end.
  static std::unique_ptr<Desktop> CreateHeadless();

  MessageLoop& loop() { return loop_; }
  Screen& screen() { return screen_; }
  WindowBackend& backend() { return backend_; }

  // Whether a window of exactly this name (case counts) is loaded.
  bool IsLoaded(std::string_view name) const;
  // The loaded windows, in the order they were loaded.
  const std::vector<WindowModel*>& loaded_windows() const { return loaded_; }

 private:
  friend class WindowModel;
  void AddLoaded(WindowModel* window) { loaded_.push_back(window); }
  void RemoveLoaded(WindowModel* window);
  void AttachBackend();

  std::unique_ptr<LoopClock> own_clock_;
  std::unique_ptr<WindowBackend> own_backend_;
  WindowBackend& backend_;
  MessageLoop loop_;
  Screen screen_;
  std::vector<WindowModel*> loaded_;
  std::unique_ptr<UserInput> input_;
};

}  // namespace olconn97::ui

#endif  // OLCONN97_OUTSIDE_UI_DESKTOP_H_
