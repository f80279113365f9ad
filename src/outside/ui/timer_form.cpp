#include "outside/ui/timer_form.h"

namespace olconn97::ui {

FTimer::FTimer(Desktop& desktop) : WindowModel(desktop, "FTimer") {}

TimerControl& FTimer::Timer() {
  Load();
  return *timer_;
}

void FTimer::CreateControls() {
  set_caption("FTimer");
  // A timer is designed enabled with no interval: still until load sets one.
  timer_ = &Add<TimerControl>("Timer");
  timer_->on_tick = [this] { timer_->set_enabled(false); };
}

void FTimer::OnLoad() {
  // A constant within range: setting it cannot fail.
  (void)timer_->SetInterval(kLoadInterval);
}

}  // namespace olconn97::ui
