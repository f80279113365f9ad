#include "outside/ui/message_loop.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "olconn97/olconn97.h"
#include "outside/ui/loop_clock.h"

namespace olconn97::ui {
namespace {

using std::chrono::milliseconds;
using ::testing::ElementsAre;

class LoopTest : public ::testing::Test {
 protected:
  MessageLoop::Task Note(std::string what) {
    return [this, what] { log_.push_back(what); };
  }
  // Advances the clock, then yields once.
  void At(milliseconds delta) {
    clock_.Advance(delta);
    loop_.YieldOnce();
  }

  ManualLoopClock clock_;
  MessageLoop loop_{clock_};
  std::vector<std::string> log_;
};

using LoopTimersTest = LoopTest;

TEST_F(LoopTimersTest, FireAtTheirIntervalsAndInStartOrderWhenDueTogether) {
  loop_.StartTimer(milliseconds(30), true, Note("A"));
  TimerId b = loop_.StartTimer(milliseconds(20), false, Note("B"));
  loop_.StartTimer(milliseconds(30), true, Note("C"));
  At(milliseconds(10));
  EXPECT_TRUE(log_.empty());
  At(milliseconds(10));
  EXPECT_THAT(log_, ElementsAre("B"));
  EXPECT_FALSE(loop_.IsTimerActive(b));
  At(milliseconds(10));
  At(milliseconds(30));
  EXPECT_THAT(log_, ElementsAre("B", "A", "C", "A", "C"));
}

TEST_F(LoopTimersTest, ALateTimerFiresOnceAndCountsOnFromWhenItFired) {
  loop_.StartTimer(milliseconds(10), true, Note("tick"));
  At(milliseconds(35));
  EXPECT_EQ(log_.size(), 1u);
  At(milliseconds(5));  // 40: the next tick is due at 45
  EXPECT_EQ(log_.size(), 1u);
  At(milliseconds(5));
  EXPECT_EQ(log_.size(), 2u);
}

TEST_F(LoopTimersTest, SetIntervalRestartsFromNowAndCountsAsAStart) {
  TimerId a = loop_.StartTimer(milliseconds(20), true, Note("A"));
  loop_.StartTimer(milliseconds(20), true, Note("B"));
  ASSERT_TRUE(loop_.SetInterval(a, milliseconds(20)).ok());
  At(milliseconds(20));
  EXPECT_THAT(log_, ElementsAre("B", "A"));

  ASSERT_TRUE(loop_.SetInterval(a, milliseconds(50)).ok());
  At(milliseconds(40));  // 60: only B
  At(milliseconds(10));  // 70: A, 50 after its restart at 20
  EXPECT_THAT(log_, ElementsAre("B", "A", "B", "A"));

  loop_.StopTimer(a);
  EXPECT_TRUE(loop_.SetInterval(a, milliseconds(10)).IsNotFound());
  loop_.StopTimer(a);  // twice: nothing happens
}

using LoopTasksTest = LoopTest;

TEST_F(LoopTasksTest, RunInPostingOrderBeforeTimersAndLaterPostsWaitForTheNextYield) {
  loop_.StartTimer(milliseconds(0), false, Note("timer"));
  loop_.Post([this] {
    log_.push_back("A");
    loop_.Post(Note("posted by A"));
  });
  loop_.Post(Note("B"));
  EXPECT_EQ(loop_.YieldOnce(), 3);
  EXPECT_THAT(log_, ElementsAre("A", "B", "timer"));
  EXPECT_EQ(loop_.YieldOnce(), 1);
  EXPECT_EQ(log_.back(), "posted by A");
  EXPECT_EQ(loop_.YieldOnce(), 0);
}

TEST_F(LoopTasksTest, AYieldInsideATaskRunsTheNextTasksFirst) {
  loop_.Post([this] {
    log_.push_back("A begins");
    loop_.Post(Note("C"));
    loop_.YieldOnce();
    log_.push_back("A ends");
  });
  loop_.Post(Note("B"));
  loop_.YieldOnce();
  EXPECT_THAT(log_, ElementsAre("A begins", "B", "C", "A ends"));
}

using LoopReentrancyTest = LoopTest;

// The cache walk: a one-shot start timer whose callback yields after every
// contact while the window's other timers and posted work go on.
TEST_F(LoopReentrancyTest, AWalkYieldingAfterEveryContactLetsTheRestRun) {
  int walks = 0;
  int repaints = 0;
  int host_calls = 0;
  loop_.StartTimer(milliseconds(250), false, [&] {
    ++walks;
    loop_.Post([&] { ++host_calls; });
    for (int contact = 0; contact < 1000; ++contact) {
      clock_.Advance(milliseconds(1));
      loop_.YieldOnce();
    }
  });
  loop_.StartTimer(milliseconds(100), true, [&] { ++repaints; });
  At(milliseconds(250));
  EXPECT_EQ(walks, 1);
  EXPECT_EQ(host_calls, 1);
  // Once late at 250 (due at 100), then at 350, 450, ... 1250.
  EXPECT_EQ(repaints, 11);
  At(milliseconds(1000));
  EXPECT_EQ(walks, 1);
}

TEST_F(LoopReentrancyTest, ATimerIsNotEnteredAgainByItsOwnYields) {
  int depth = 0;
  int deepest = 0;
  int entries = 0;
  int others = 0;
  loop_.StartTimer(milliseconds(10), true, [&] {
    ++entries;
    deepest = std::max(deepest, ++depth);
    for (int i = 0; i < 5; ++i) {
      clock_.Advance(milliseconds(10));
      loop_.YieldOnce();
    }
    --depth;
  });
  loop_.StartTimer(milliseconds(10), true, [&] { ++others; });
  At(milliseconds(10));
  EXPECT_EQ(entries, 1);
  EXPECT_EQ(deepest, 1);
  EXPECT_EQ(others, 5);  // at 20 to 60, from the nested yields
  At(milliseconds(10));  // overdue since the long callback: fires again now
  EXPECT_EQ(entries, 2);
}

TEST_F(LoopReentrancyTest, TimersStoppedAndRestartedFromCallbacks) {
  TimerId b;
  TimerId self;
  TimerId restarted;
  loop_.StartTimer(milliseconds(10), true, [&] {
    log_.push_back("A stops B");
    loop_.StopTimer(b);
  });
  b = loop_.StartTimer(milliseconds(10), true, Note("B"));
  self = loop_.StartTimer(milliseconds(10), true, [&] {
    log_.push_back("self");
    loop_.StopTimer(self);
    loop_.StartTimer(milliseconds(5), false, Note("successor"));
  });
  restarted = loop_.StartTimer(milliseconds(10), true, [&] {
    log_.push_back("restarted");
    ASSERT_TRUE(loop_.SetInterval(restarted, milliseconds(30)).ok());
  });
  At(milliseconds(10));
  At(milliseconds(5));
  At(milliseconds(5));   // 20: A only
  At(milliseconds(20));  // 40: A, and the restarted one 30 after 10
  EXPECT_THAT(log_, ElementsAre("A stops B", "self", "restarted", "successor", "A stops B",
                                "A stops B", "restarted"));
  EXPECT_FALSE(loop_.IsTimerActive(self));
}

using LoopPumpTest = LoopTest;

TEST_F(LoopPumpTest, WithAManualClockItNeverSleepsAndWaitsOnlyUntilTheNextTimer) {
  EXPECT_EQ(loop_.Pump(milliseconds(100)), 0);
  EXPECT_EQ(clock_.wait_count(), 1);
  EXPECT_EQ(clock_.last_wait_deadline(), LoopTime() + milliseconds(100));
  EXPECT_EQ(clock_.Elapsed(), LoopDuration::zero());

  loop_.StartTimer(milliseconds(30), false, Note("timer"));
  EXPECT_EQ(loop_.Pump(milliseconds(100)), 0);
  EXPECT_EQ(clock_.last_wait_deadline(), LoopTime() + milliseconds(30));

  loop_.Post(Note("task"));
  EXPECT_EQ(loop_.Pump(milliseconds(100)), 1);
  EXPECT_EQ(clock_.wait_count(), 2);  // work was due: no wait
}

TEST_F(LoopPumpTest, RunsWhatBecameDueWhileWaiting) {
  clock_.set_advance_when_waiting(true);
  loop_.StartTimer(milliseconds(30), false, Note("timer"));
  EXPECT_EQ(loop_.Pump(milliseconds(100)), 1);
  EXPECT_EQ(clock_.Elapsed(), milliseconds(30));
}

TEST_F(LoopPumpTest, WithTheSteadyClockItReturns) {
  SteadyLoopClock steady;
  MessageLoop loop(steady);
  bool fired = false;
  loop.StartTimer(milliseconds(1), false, [&] { fired = true; });
  EXPECT_EQ(loop.Pump(std::chrono::seconds(10)), 1);
  EXPECT_TRUE(fired);
  EXPECT_EQ(loop.Pump(milliseconds(1)), 0);
}

TEST_F(LoopPumpTest, RunUntilEndsWhenDoneTimedOutOrStuck) {
  int ticks = 0;
  loop_.StartTimer(milliseconds(100), true, [&] { ++ticks; });
  EXPECT_FALSE(loop_.RunUntil([] { return false; }, std::chrono::seconds(1)));  // stuck
  EXPECT_EQ(ticks, 0);

  clock_.set_advance_when_waiting(true);
  EXPECT_TRUE(loop_.RunUntil([&] { return ticks == 3; }, std::chrono::seconds(1)));
  EXPECT_EQ(clock_.Elapsed(), milliseconds(300));
  EXPECT_FALSE(loop_.RunUntil([] { return false; }, std::chrono::seconds(1)));
  EXPECT_EQ(clock_.Elapsed(), milliseconds(1300));
  EXPECT_EQ(ticks, 13);
}

TEST_F(LoopPumpTest, TheExportedPumpServesTheThreadsCurrentLoop) {
  EXPECT_EQ(MessageLoop::Current(), &loop_);
  ManualLoopClock other_clock;
  auto inner = std::make_unique<MessageLoop>(other_clock);
  EXPECT_EQ(MessageLoop::Current(), inner.get());
  inner->Post(Note("inner"));
  EXPECT_EQ(olconn97_pump(0), 0);  // nothing left after it
  loop_.Post(Note("outer"));
  inner.reset();
  // A one-shot timer keeps the driver busy until it has fired.
  loop_.StartTimer(milliseconds(250), false, Note("timer"));
  EXPECT_EQ(olconn97_pump(0), 1);
  clock_.Advance(milliseconds(250));
  EXPECT_EQ(olconn97_pump(0), 0);
  EXPECT_THAT(log_, ElementsAre("inner", "outer", "timer"));
}

// A window system's loop, as the Qt back end is one: it notes what the
// message loop tells it.
class FakeNativeLoop final : public NativeEventLoop {
 public:
  explicit FakeNativeLoop(MessageLoop& loop) : loop_(loop) {}
  void WorkScheduled() override {
    std::optional<LoopTime> due = loop_.NextDue();
    scheduled.push_back(due ? due->time_since_epoch() : LoopDuration::max());
  }
  void ProcessPendingEvents() override { ++processed; }
  void WaitUntil(LoopTime deadline) override { waits.push_back(deadline.time_since_epoch()); }
  bool WindowsAwaitUser() const override { return awaiting; }

  std::vector<LoopDuration> scheduled;  // the next due time, at each notice
  std::vector<LoopDuration> waits;
  int processed = 0;
  bool awaiting = false;

 private:
  MessageLoop& loop_;
};

class LoopNativeTest : public LoopTest {
 protected:
  LoopNativeTest() { loop_.SetNativeEventLoop(&native_); }
  ~LoopNativeTest() override { loop_.SetNativeEventLoop(nullptr); }
  FakeNativeLoop native_{loop_};
};

TEST_F(LoopNativeTest, TheWindowSystemHearsOfEveryChangeOfTheNextDueTime) {
  native_.scheduled.clear();
  EXPECT_FALSE(loop_.NextDue());
  TimerId timer = loop_.StartTimer(milliseconds(250), false, Note("timer"));
  ASSERT_TRUE(loop_.SetInterval(timer, milliseconds(100)).ok());
  loop_.Post(Note("task"));
  EXPECT_THAT(native_.scheduled, ElementsAre(milliseconds(250), milliseconds(100), milliseconds(0)));

  // A yield runs the window system's events first, and says what is next.
  At(milliseconds(100));
  EXPECT_EQ(native_.processed, 1);
  EXPECT_THAT(log_, ElementsAre("task", "timer"));
  EXPECT_EQ(native_.scheduled.back(), LoopDuration::max());  // nothing more
}

TEST_F(LoopNativeTest, APumpWaitsInTheWindowSystemNotOnTheClock) {
  loop_.StartTimer(milliseconds(30), true, Note("tick"));
  EXPECT_EQ(loop_.Pump(milliseconds(100)), 0);
  EXPECT_THAT(native_.waits, ElementsAre(milliseconds(30)));
  EXPECT_EQ(clock_.wait_count(), 0);
  // A repeating timer that fired is due again: the window system is told.
  At(milliseconds(30));
  EXPECT_EQ(native_.scheduled.back(), milliseconds(60));
}

TEST_F(LoopNativeTest, AWindowWaitingForItsUserKeepsAPumpingHostGoing) {
  EXPECT_EQ(olconn97_pump(0), 0);
  native_.awaiting = true;
  EXPECT_TRUE(loop_.WindowsAwaitUser());
  EXPECT_EQ(olconn97_pump(0), 1);
  native_.awaiting = false;
  EXPECT_EQ(olconn97_pump(0), 0);
}

}  // namespace
}  // namespace olconn97::ui
