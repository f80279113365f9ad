#include "outside/ui/loop_clock.h"

#include <thread>

namespace olconn97::ui {

LoopTime SteadyLoopClock::Now() { return std::chrono::steady_clock::now(); }

void SteadyLoopClock::WaitUntil(LoopTime deadline) { std::this_thread::sleep_until(deadline); }

void ManualLoopClock::WaitUntil(LoopTime deadline) {
  ++wait_count_;
  last_wait_deadline_ = deadline;
  if (advance_when_waiting_ && deadline > now_) now_ = deadline;
}

}  // namespace olconn97::ui
