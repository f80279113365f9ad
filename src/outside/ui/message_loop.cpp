#include "outside/ui/message_loop.h"

#include <algorithm>
#include <tuple>
#include <utility>
#include <vector>

namespace olconn97::ui {
namespace {

// The loops alive on this thread, the current one last. A stack rather than
// one pointer, so a loop destroyed out of order never leaves a dangling one.
std::vector<MessageLoop*>& ThreadLoops() {
  // Initial-exec: see the error information's thread-local.
  [[gnu::tls_model("initial-exec")]] thread_local std::vector<MessageLoop*> loops;
  return loops;
}

LoopDuration NotNegative(LoopDuration interval) { return std::max(interval, LoopDuration::zero()); }

}  // namespace

MessageLoop::MessageLoop(LoopClock& clock) : clock_(clock) { ThreadLoops().push_back(this); }

MessageLoop::~MessageLoop() {
  std::vector<MessageLoop*>& loops = ThreadLoops();
  loops.erase(std::remove(loops.begin(), loops.end(), this), loops.end());
}

MessageLoop* MessageLoop::Current() {
  const std::vector<MessageLoop*>& loops = ThreadLoops();
  return loops.empty() ? nullptr : loops.back();
}

void MessageLoop::Post(Task task) {
  tasks_.push_back(PendingTask{next_task_sequence_++, std::move(task)});
  TellNative();
}

TimerId MessageLoop::StartTimer(LoopDuration interval, bool repeating, Task callback) {
  interval = NotNegative(interval);
  const uint64_t id = next_timer_id_++;
  timers_.emplace(id, Timer{interval, repeating, std::make_shared<Task>(std::move(callback)),
                            clock_.Now() + interval, next_start_order_++});
  TellNative();
  return TimerId{id};
}

void MessageLoop::StopTimer(TimerId id) { timers_.erase(id.value); }

Status MessageLoop::SetInterval(TimerId id, LoopDuration interval) {
  auto it = timers_.find(id.value);
  if (it == timers_.end()) return Status::NotFound("The timer is not running", "MessageLoop");
  it->second.interval = NotNegative(interval);
  it->second.due = clock_.Now() + it->second.interval;
  it->second.start_order = next_start_order_++;
  TellNative();
  return Status::Ok();
}

bool MessageLoop::IsTimerActive(TimerId id) const { return timers_.contains(id.value); }

int MessageLoop::YieldOnce() {
  if (native_ != nullptr) native_->ProcessPendingEvents();
  const int tasks = RunPostedTasks();
  const int ran = tasks + RunDueTimers(clock_.Now());
  // A repeating timer that fired is due again later.
  TellNative();
  return ran;
}

int MessageLoop::Pump(LoopDuration max_wait) {
  const LoopTime now = clock_.Now();
  if (!HasDueWork(now)) {
    const LoopTime deadline = NextDueBefore(now + NotNegative(max_wait));
    if (native_ != nullptr) {
      native_->WaitUntil(deadline);
    } else {
      clock_.WaitUntil(deadline);
    }
  }
  return YieldOnce();
}

std::optional<LoopTime> MessageLoop::NextDue() const {
  if (!tasks_.empty()) return clock_.Now();
  std::optional<LoopTime> next;
  for (const auto& [id, timer] : timers_) {
    if (!timer.in_callback && (!next || timer.due < *next)) next = timer.due;
  }
  return next;
}

void MessageLoop::SetNativeEventLoop(NativeEventLoop* native) {
  native_ = native;
  TellNative();
}

bool MessageLoop::RunUntil(const std::function<bool()>& done, LoopDuration timeout) {
  const LoopTime limit = clock_.Now() + NotNegative(timeout);
  while (!done()) {
    const LoopTime before = clock_.Now();
    if (before >= limit) return false;
    const int ran = Pump(limit - before);
    if (ran == 0 && clock_.Now() == before) return false;
  }
  return true;
}

int MessageLoop::RunPostedTasks() {
  // Only the tasks posted before this yield; a nested yield inside one of
  // them runs the following ones first, so the order of posting holds.
  const uint64_t end = next_task_sequence_;
  int ran = 0;
  while (!tasks_.empty() && tasks_.front().sequence < end) {
    Task task = std::move(tasks_.front().task);
    tasks_.pop_front();
    task();
    ++ran;
  }
  return ran;
}

int MessageLoop::RunDueTimers(LoopTime now) {
  std::vector<std::tuple<LoopTime, uint64_t, uint64_t>> due;  // due, start order, id
  for (const auto& [id, timer] : timers_) {
    if (!timer.in_callback && timer.due <= now) due.emplace_back(timer.due, timer.start_order, id);
  }
  std::sort(due.begin(), due.end());
  int ran = 0;
  for (const auto& [when, order, id] : due) {
    // An earlier callback may have stopped, restarted or (by a nested yield)
    // already fired this timer.
    if (FireTimer(id, now)) ++ran;
  }
  return ran;
}

bool MessageLoop::FireTimer(uint64_t id, LoopTime now) {
  auto it = timers_.find(id);
  if (it == timers_.end() || it->second.in_callback || it->second.due > now) return false;
  std::shared_ptr<Task> callback = it->second.callback;
  const bool repeating = it->second.repeating;
  if (repeating) {
    it->second.due = now + it->second.interval;
    it->second.in_callback = true;
  } else {
    timers_.erase(it);
  }
  (*callback)();
  if (repeating) {
    // Looked up again: the callback may have stopped the timer.
    auto again = timers_.find(id);
    if (again != timers_.end()) again->second.in_callback = false;
  }
  return true;
}

bool MessageLoop::HasDueWork(LoopTime now) const {
  if (!tasks_.empty()) return true;
  return std::any_of(timers_.begin(), timers_.end(), [now](const auto& entry) {
    return !entry.second.in_callback && entry.second.due <= now;
  });
}

LoopTime MessageLoop::NextDueBefore(LoopTime limit) const {
  LoopTime next = limit;
  for (const auto& [id, timer] : timers_) {
    if (!timer.in_callback) next = std::min(next, timer.due);
  }
  return next;
}

void LoopTimer::Start(LoopDuration interval, bool repeating, MessageLoop::Task callback) {
  Stop();
  id_ = loop_.StartTimer(interval, repeating, std::move(callback));
}

void LoopTimer::Stop() {
  if (id_.valid()) loop_.StopTimer(id_);
  id_ = TimerId{};
}

}  // namespace olconn97::ui
