// The process's message loop: posted tasks and timers on the host's one
// user-interface thread.
//
//   ui::ManualLoopClock clock;
//   ui::MessageLoop loop(clock);
//   ui::LoopTimer start(loop);
//   start.Start(250ms, /*repeating=*/false, [&] { RunTheWalk(); });
//   clock.Advance(250ms);
//   loop.YieldOnce();  // RunTheWalk(), which may itself call YieldOnce()
//
// Threads: every member is called on the thread that made the loop; nothing
// is locked, because a UI thread is the only one that ever touches it.
//
// Re-entrancy, as in a desktop UI: a task or a timer callback may call
// YieldOnce, Pump or RunUntil (a long walk yields after every contact), may
// post, start and stop timers, its own included. A timer is never entered
// again while its own callback runs. Tasks run in the order they were
// posted; timers due at the same time fire in the order they were started.
// A timer that fires late fires once, not once per missed interval, and
// counts its next interval from the moment it fired.
//
// The loop must outlive its timers and must not be destroyed from inside
// one of its own callbacks.
//
// Inside a window system's event loop (the Qt back end), the loop lends it
// the work: it tells the NativeEventLoop whenever work is scheduled, so the
// window system wakes at the next due time instead of polling, a yield also
// runs the window system's pending events (repaints, the user's clicks), as
// a yield does on a desktop, and Pump waits in the window system's loop
// rather than asleep.
#ifndef OLCONN97_OUTSIDE_UI_MESSAGE_LOOP_H_
#define OLCONN97_OUTSIDE_UI_MESSAGE_LOOP_H_

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "base/status.h"
#include "outside/ui/loop_clock.h"

namespace olconn97::ui {

struct TimerId {
  uint64_t value = 0;  // 0: no timer
  bool valid() const { return value != 0; }
  friend bool operator==(const TimerId&, const TimerId&) = default;
};

// A window system's event loop that the message loop runs inside.
class NativeEventLoop {
 public:
  NativeEventLoop() = default;
  virtual ~NativeEventLoop() = default;
  NativeEventLoop(const NativeEventLoop&) = delete;
  NativeEventLoop& operator=(const NativeEventLoop&) = delete;

  // Work was posted, a timer started or restarted, or a yield ended: the
  // next due time (MessageLoop::NextDue) may have changed.
  virtual void WorkScheduled() = 0;
  // Runs the window system's pending events without waiting.
  virtual void ProcessPendingEvents() = 0;
  // Runs the window system's events until `deadline`, or until the
  // message loop has work due, whichever comes first.
  virtual void WaitUntil(LoopTime deadline) = 0;
  // Whether a shown window waits for its user.
  virtual bool WindowsAwaitUser() const = 0;
};

class MessageLoop {
 public:
  using Task = std::function<void()>;

  // `clock` outlives the loop. The new loop becomes its thread's current one
  // until it is destroyed.
  explicit MessageLoop(LoopClock& clock);
  ~MessageLoop();
  MessageLoop(const MessageLoop&) = delete;
  MessageLoop& operator=(const MessageLoop&) = delete;

  // The loop most recently made on the calling thread and still alive, or
  // nullptr: what a host without a loop of its own pumps.
  static MessageLoop* Current();

  LoopClock& clock() { return clock_; }

  // Runs `task` at the next yield.
  void Post(Task task);

  // Fires `callback` `interval` from now, then every `interval` if
  // `repeating`, until stopped; a one-shot timer stops after firing. A
  // negative interval counts as zero (due at the next yield).
  TimerId StartTimer(LoopDuration interval, bool repeating, Task callback);
  // Stopping a timer that fired its one shot or was stopped already does
  // nothing.
  void StopTimer(TimerId id);
  // Restarts a running timer with a new interval, counted from now.
  // NotFound when the timer is not running.
  Status SetInterval(TimerId id, LoopDuration interval);
  bool IsTimerActive(TimerId id) const;

  // The driver's "yield to the message loop": runs the tasks posted before
  // the call and then the timers due now, once each, without waiting. A task
  // posted meanwhile runs at the next yield. Returns how many tasks and
  // timer callbacks ran.
  int YieldOnce();
  // For a host's idle loop: yields when something is due; otherwise waits
  // until the next timer is due, at most `max_wait`, and then yields.
  int Pump(LoopDuration max_wait);
  // Pumps until `done()` holds (true), `timeout` passed on the loop's clock,
  // or the loop can make no more progress: nothing ran and the clock stood
  // still while the loop waited (a manual clock that is not advanced).
  bool RunUntil(const std::function<bool()>& done, LoopDuration timeout);
  // No task posted and no timer running: nothing can happen until someone
  // posts or starts one.
  bool Idle() const { return tasks_.empty() && timers_.empty(); }

  // When work is next due: now while a task is posted, else the earliest
  // timer that may fire; nothing when no work is scheduled.
  std::optional<LoopTime> NextDue() const;
  // `native` (nullptr for none) outlives the loop or is unset first.
  void SetNativeEventLoop(NativeEventLoop* native);
  // A window shown by the native event loop waits for its user: a host that
  // pumps until the driver has nothing under way keeps pumping.
  bool WindowsAwaitUser() const { return native_ != nullptr && native_->WindowsAwaitUser(); }

 private:
  struct PendingTask {
    uint64_t sequence;
    Task task;
  };
  struct Timer {
    LoopDuration interval;
    bool repeating;
    // Shared, so stopping the timer from its own callback leaves the
    // running callback alive.
    std::shared_ptr<Task> callback;
    LoopTime due;
    uint64_t start_order;
    bool in_callback = false;
  };

  int RunPostedTasks();
  int RunDueTimers(LoopTime now);
  bool FireTimer(uint64_t id, LoopTime now);
  bool HasDueWork(LoopTime now) const;
  // When the earliest timer that may fire is due, or `limit` if none is
  // earlier.
  LoopTime NextDueBefore(LoopTime limit) const;
  void TellNative() {
    if (native_ != nullptr) native_->WorkScheduled();
  }

  LoopClock& clock_;
  NativeEventLoop* native_ = nullptr;
  std::deque<PendingTask> tasks_;
  uint64_t next_task_sequence_ = 0;
  std::map<uint64_t, Timer> timers_;  // by TimerId::value
  uint64_t next_timer_id_ = 1;
  uint64_t next_start_order_ = 0;
};

// A timer owned by one object: stopped when the owner stops it, restarts it
// or is destroyed.
class LoopTimer {
 public:
  explicit LoopTimer(MessageLoop& loop) : loop_(loop) {}
  ~LoopTimer() { Stop(); }
  LoopTimer(const LoopTimer&) = delete;
  LoopTimer& operator=(const LoopTimer&) = delete;

  // Stops the timer if it runs, then starts it afresh.
  void Start(LoopDuration interval, bool repeating, MessageLoop::Task callback);
  void Stop();
  bool IsActive() const { return loop_.IsTimerActive(id_); }

 private:
  MessageLoop& loop_;
  TimerId id_;
};

}  // namespace olconn97::ui

#endif  // OLCONN97_OUTSIDE_UI_MESSAGE_LOOP_H_
