// How a back end reaches the window models: the user's actions, and the
// driver's work that falls due while the back end's own event loop runs.
//
// The desktop implements it and hands it to its back end (Attach). Every
// member is virtual, so a back end built as a plugin (the Qt one) reaches
// the driver through this table alone and needs none of the library's
// symbols, which stay unexported. Called on the UI thread only.
#ifndef OLCONN97_OUTSIDE_UI_USER_INPUT_H_
#define OLCONN97_OUTSIDE_UI_USER_INPUT_H_

#include <optional>

#include "outside/ui/loop_clock.h"

namespace olconn97::ui {

class Control;
class ListBox;
class WindowModel;

class UserInput {
 public:
  UserInput() = default;
  virtual ~UserInput() = default;
  UserInput(const UserInput&) = delete;
  UserInput& operator=(const UserInput&) = delete;

  // The control's user-event members (control.h); each answers whether the
  // event was delivered. Click takes a button or a check box.
  virtual bool Click(Control& control) = 0;
  virtual bool CheckRow(ListBox& list, int row, bool checked) = 0;
  virtual bool MouseMove(ListBox& list, float x, float y) = 0;
  // The window's (window_model.h): whether the window is unloaded.
  virtual bool RequestClose(WindowModel& window) = 0;
  virtual void Activate(WindowModel& window) = 0;
  virtual void Deactivate(WindowModel& window) = 0;
  virtual void Resize(WindowModel& window, int width, int height) = 0;

  // The message loop's: one yield, and how long until work is next due.
  virtual int RunDueWork() = 0;
  virtual std::optional<LoopDuration> TimeUntilDue() = 0;
};

}  // namespace olconn97::ui

#endif  // OLCONN97_OUTSIDE_UI_USER_INPUT_H_
