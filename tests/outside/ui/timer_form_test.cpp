#include "outside/ui/timer_form.h"

#include <gtest/gtest.h>

#include <chrono>

#include "outside/ui/desktop.h"
#include "outside/ui/window_backend.h"

namespace olconn97::ui {
namespace {

using std::chrono::milliseconds;

class FTimerTest : public ::testing::Test {
 protected:
  void After(milliseconds delta) {
    clock_.Advance(delta);
    desktop_.loop().YieldOnce();
  }

  ManualLoopClock clock_;
  HeadlessWindowBackend backend_;
  Desktop desktop_{clock_, backend_};
  FTimer form_{desktop_};
};

TEST_F(FTimerTest, TouchingTheTimerLoadsTheHiddenWindow) {
  EXPECT_FALSE(desktop_.IsLoaded("FTimer"));
  TimerControl& timer = form_.Timer();
  EXPECT_TRUE(form_.loaded());
  EXPECT_FALSE(form_.visible());
  EXPECT_TRUE(desktop_.IsLoaded("FTimer"));
  EXPECT_EQ(timer.name(), "Timer");
  EXPECT_EQ(&form_.Timer(), &timer);
}

TEST_F(FTimerTest, LoadRunsTheTimerAtFiftyMillisecondsAndItsTickDisablesIt) {
  TimerControl& timer = form_.Timer();
  EXPECT_EQ(timer.interval(), FTimer::kLoadInterval);
  EXPECT_TRUE(timer.enabled());
  After(milliseconds(49));
  EXPECT_TRUE(timer.enabled());
  After(milliseconds(1));
  EXPECT_FALSE(timer.enabled());
  EXPECT_FALSE(timer.running());
  EXPECT_TRUE(form_.loaded());
  EXPECT_EQ(timer.interval(), FTimer::kLoadInterval);
}

TEST_F(FTimerTest, TheStartUpSettingsLeaveItStill) {
  form_.Timer().set_enabled(false);
  ASSERT_TRUE(form_.Timer().SetInterval(10).ok());
  After(milliseconds(100));
  EXPECT_FALSE(form_.Timer().enabled());
  EXPECT_FALSE(form_.Timer().running());
  EXPECT_EQ(form_.Timer().interval(), 10);

  // Loaded again, it starts from its design and its load once more.
  form_.Unload();
  EXPECT_TRUE(form_.Timer().running());
  EXPECT_EQ(form_.Timer().interval(), FTimer::kLoadInterval);
}

}  // namespace
}  // namespace olconn97::ui
