// The screen's mouse pointer: start-up shows the hourglass while it runs and
// sets the pointer back afterwards; the back end renders it.
#ifndef OLCONN97_OUTSIDE_UI_SCREEN_H_
#define OLCONN97_OUTSIDE_UI_SCREEN_H_

#include "outside/ui/window_backend.h"

namespace olconn97::ui {

// Pointer values, as the system numbers them.
inline constexpr int kMousePointerDefault = 0;
inline constexpr int kMousePointerHourglass = 11;

class Screen {
 public:
  // `backend` outlives the screen.
  explicit Screen(WindowBackend& backend) : backend_(backend) {}
  Screen(const Screen&) = delete;
  Screen& operator=(const Screen&) = delete;

  int MousePointer() const { return mouse_pointer_; }
  // Tells the back end when the value changes.
  void SetMousePointer(int pointer);

 private:
  WindowBackend& backend_;
  int mouse_pointer_ = kMousePointerDefault;
};

}  // namespace olconn97::ui

#endif  // OLCONN97_OUTSIDE_UI_SCREEN_H_
