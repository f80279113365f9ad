// A window's timer control. It runs on the desktop's message loop while it
// is enabled and its interval is above zero: enabling starts it, disabling
// stops it, setting the interval restarts it. Each tick runs `on_tick`; the
// timer keeps ticking until it is disabled or its window unloads.
#ifndef OLCONN97_OUTSIDE_UI_TIMER_CONTROL_H_
#define OLCONN97_OUTSIDE_UI_TIMER_CONTROL_H_

#include <functional>
#include <string>

#include "base/status.h"
#include "outside/ui/control.h"
#include "outside/ui/message_loop.h"

namespace olconn97::ui {

class TimerControl final : public Control {
 public:
  // The largest interval a timer takes, in milliseconds.
  static constexpr int kMaxInterval = 65535;

  TimerControl(WindowModel& window, std::string name);

  // Milliseconds; 0 (the design default) keeps the timer still.
  int interval() const { return interval_; }
  // InvalidArgument, changing nothing, outside 0 to kMaxInterval.
  Status SetInterval(int milliseconds);
  // Whether ticks are coming: enabled, an interval, its window not unloaded.
  bool running() const { return timer_.IsActive(); }

  std::function<void()> on_tick;

 private:
  void OnEnabledChanged() override { Restart(); }
  void OnRetired() override { timer_.Stop(); }
  void Restart();
  void Tick();

  int interval_ = 0;
  LoopTimer timer_;
};

}  // namespace olconn97::ui

#endif  // OLCONN97_OUTSIDE_UI_TIMER_CONTROL_H_
