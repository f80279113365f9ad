// FTimer: a hidden window holding one timer control, `Timer`, for the
// driver's start-up. Its load sets the timer to 50 milliseconds; each tick
// only disables the timer. Start-up touches the timer (which loads the
// window), disables it and sets its interval to 10 milliseconds.
#ifndef OLCONN97_OUTSIDE_UI_TIMER_FORM_H_
#define OLCONN97_OUTSIDE_UI_TIMER_FORM_H_

#include "outside/ui/desktop.h"
#include "outside/ui/timer_control.h"
#include "outside/ui/window_model.h"

namespace olconn97::ui {

class FTimer final : public WindowModel {
 public:
  static constexpr int kLoadInterval = 50;  // milliseconds

  explicit FTimer(Desktop& desktop);

  // Loads the window first when it is not loaded.
  TimerControl& Timer();

 private:
  void CreateControls() override;
  void OnLoad() override;

  TimerControl* timer_ = nullptr;
};

}  // namespace olconn97::ui

#endif  // OLCONN97_OUTSIDE_UI_TIMER_FORM_H_
