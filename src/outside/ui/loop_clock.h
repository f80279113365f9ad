// The time the message loop reads, and the one place where it blocks.
//
// The loop never reads the system's clock itself: it is given a LoopClock,
// the steady one in a real process, a ManualLoopClock in tests, so no test
// depends on how fast the machine runs. Waiting belongs to the clock for the
// same reason: a manual clock never sleeps.
#ifndef OLCONN97_OUTSIDE_UI_LOOP_CLOCK_H_
#define OLCONN97_OUTSIDE_UI_LOOP_CLOCK_H_

#include <chrono>

namespace olconn97::ui {

// Monotonic time: unaffected by changes of the wall clock.
using LoopTime = std::chrono::steady_clock::time_point;
using LoopDuration = std::chrono::steady_clock::duration;

class LoopClock {
 public:
  LoopClock() = default;
  virtual ~LoopClock() = default;
  LoopClock(const LoopClock&) = delete;
  LoopClock& operator=(const LoopClock&) = delete;

  virtual LoopTime Now() = 0;
  // Blocks the calling thread until `deadline` at the latest; returns at once
  // when it has passed.
  virtual void WaitUntil(LoopTime deadline) = 0;
};

class SteadyLoopClock final : public LoopClock {
 public:
  LoopTime Now() override;
  void WaitUntil(LoopTime deadline) override;
};

// Stands still until the test advances it; advancing runs nothing by itself.
// WaitUntil never sleeps: it notes the deadline and, only when asked to,
// jumps to it, as if the wait had passed.
class ManualLoopClock final : public LoopClock {
 public:
  LoopTime Now() override { return now_; }
  void WaitUntil(LoopTime deadline) override;

  void Advance(LoopDuration delta) { now_ += delta; }
  void set_advance_when_waiting(bool advance) { advance_when_waiting_ = advance; }

  int wait_count() const { return wait_count_; }
  // The deadline of the latest WaitUntil.
  LoopTime last_wait_deadline() const { return last_wait_deadline_; }
  // Time since the clock was made, for readable test expectations.
  LoopDuration Elapsed() const { return now_ - LoopTime(); }

 private:
  LoopTime now_{};
  bool advance_when_waiting_ = false;
  int wait_count_ = 0;
  LoopTime last_wait_deadline_{};
};

}  // namespace olconn97::ui

#endif  // OLCONN97_OUTSIDE_UI_LOOP_CLOCK_H_
