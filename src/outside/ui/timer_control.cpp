#include "outside/ui/timer_control.h"

#include <chrono>
#include <string>
#include <utility>

#include "outside/ui/window_model.h"

namespace olconn97::ui {

TimerControl::TimerControl(WindowModel& window, std::string name)
    : Control(window, std::move(name), ControlKind::kTimer), timer_(window.desktop().loop()) {
  set_visible(false);
}

Status TimerControl::SetInterval(int milliseconds) {
  if (milliseconds < 0 || milliseconds > kMaxInterval) {
    return Status::InvalidArgument("Invalid interval " + std::to_string(milliseconds), name());
  }
  interval_ = milliseconds;
  // Setting the interval restarts the count even when it does not change.
  Restart();
  Changed();
  return Status::Ok();
}

void TimerControl::Restart() {
  timer_.Stop();
  if (retired() || !enabled() || interval_ == 0) return;
  timer_.Start(std::chrono::milliseconds(interval_), /*repeating=*/true, [this] { Tick(); });
}

void TimerControl::Tick() { Raise(on_tick); }

}  // namespace olconn97::ui
