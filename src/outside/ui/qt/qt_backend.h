// The Qt Widgets back end: every window model drawn as a real window, the
// user's actions delivered to the models, and the driver's message loop
// run inside Qt's event loop.
//
// The loop's work wakes a single-shot QTimer set for the next due time, so
// nothing polls; a yield also lets Qt process its pending events (at most
// every few milliseconds, so a walk that yields after every contact stays
// fast); a host's pump waits in a QEventLoop. A modal window runs a
// QEventLoop until it is hidden or unloaded.
//
// Made by the plugin's entry point (qt_entry.cpp) on the thread that runs
// the Qt application; called on that thread only.
#ifndef OLCONN97_OUTSIDE_UI_QT_QT_BACKEND_H_
#define OLCONN97_OUTSIDE_UI_QT_QT_BACKEND_H_

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <map>
#include <memory>
#include <string_view>
#include <vector>

#include "outside/ui/message_loop.h"
#include "outside/ui/qt/qt_window.h"
#include "outside/ui/user_input.h"
#include "outside/ui/window_backend.h"

namespace olconn97::ui::qt {

class QtWindowBackend final : public WindowBackend, public NativeEventLoop {
 public:
  // `own_application` is the application the plugin made, or null when the
  // host runs its own; it goes with the back end.
  explicit QtWindowBackend(std::unique_ptr<QApplication> own_application);
  ~QtWindowBackend() override;

  void Loaded(WindowModel& window) override;
  void Unloaded(WindowModel& window) override;
  void Shown(WindowModel& window) override;
  void Hidden(WindowModel& window) override;
  void RunModal(WindowModel& window) override;
  void Repaint(WindowModel& window) override;
  void BringToFront(WindowModel& window) override;
  void WindowChanged(WindowModel& window) override;
  void ControlChanged(Control& control) override;
  void MousePointerChanged(int pointer) override;
  bool ShowsWindows() const override { return true; }
  int TextWidth(std::string_view font_name, std::string_view text) override;
  Answer AskYesNoCancel(std::string_view caption, std::string_view text) override;
  void Attach(UserInput& input) override { input_ = &input; }
  NativeEventLoop* native_event_loop() override { return this; }

  void WorkScheduled() override;
  void ProcessPendingEvents() override;
  void WaitUntil(LoopTime deadline) override;
  bool WindowsAwaitUser() const override;

  // The window drawing `window` while it is loaded, else null.
  ModelWindow* WindowOf(const WindowModel& window) const;
  // How often the driver's timer woke Qt's loop: tests check that waiting
  // does not poll.
  int WakeupsForTesting() const { return wakeups_; }

 private:
  void RunDueWork();

  std::unique_ptr<QApplication> own_application_;
  UserInput* input_ = nullptr;
  std::map<const WindowModel*, ModelWindow*> windows_;
  std::map<const WindowModel*, QEventLoop*> modal_loops_;
  std::vector<QEventLoop*> waits_;
  QTimer driver_timer_;
  QElapsedTimer since_events_;
  bool cursor_overridden_ = false;
  int wakeups_ = 0;
};

}  // namespace olconn97::ui::qt

#endif  // OLCONN97_OUTSIDE_UI_QT_QT_BACKEND_H_
