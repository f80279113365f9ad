#include "outside/ui/window_model.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "outside/ui/desktop.h"
#include "outside/ui/timer_control.h"
#include "test_support.h"

namespace olconn97::ui {
namespace {

using std::chrono::milliseconds;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

// A window shaped like the driver's: a label, an OK button that unloads the
// window, a check list whose first row cannot be cleared, a progress bar, a
// clip, and a timer whose tick disables itself and then unloads the window.
class TestWindow final : public WindowModel {
 public:
  TestWindow(Desktop& desktop, std::string name) : WindowModel(desktop, std::move(name)) {}

  Label& label() { return *FindAs<Label>("Label1"); }
  Button& ok() { return *FindAs<Button>("CmdOK"); }
  ListBox& list() { return *FindAs<ListBox>("listFolder"); }
  ui::ProgressBar& progress() { return *FindAs<ui::ProgressBar>("ProgressBar"); }
  ui::Animation& clip() { return *FindAs<ui::Animation>("Animation1"); }
  TimerControl& timer() { return *FindAs<TimerControl>("Timer"); }

  bool refuse_user_close = false;
  bool resizable_design = false;
  std::vector<std::string> events;

 private:
  void CreateControls() override {
    set_caption("#15000#Design");
    set_resizable(resizable_design);
    Add<Label>("Label1").set_text("Folder:");
    Button& ok = Add<Button>("CmdOK");
    ok.on_click = [this, &ok] {
      Unload();
      events.push_back("clicked " + ok.name());  // still usable after the unload
    };
    ListBox& list = Add<ListBox>("listFolder");
    list.on_check = [this, &list](int row) {
      events.push_back("check " + std::to_string(row));
      if (row == 0) (void)list.SetChecked(0, true);
    };
    list.on_mouse_move = [&list](float, float y) {
      list.set_tool_tip("row at " + std::to_string(y));
    };
    Add<ui::ProgressBar>("ProgressBar");
    Add<ui::Animation>("Animation1");
    TimerControl& timer = Add<TimerControl>("Timer");
    timer.on_tick = [this, &timer] {
      timer.set_enabled(false);
      events.push_back("tick");
      Unload();
      events.push_back("tick ends with timer " + std::string(timer.retired() ? "retired" : "live"));
    };
  }
  void OnLoad() override { events.push_back("load"); }
  bool OnQueryUnload(UnloadMode mode) override {
    events.push_back(mode == UnloadMode::kUser ? "query user" : "query code");
    return !(refuse_user_close && mode == UnloadMode::kUser);
  }
  void OnUnload() override { events.push_back("unload"); }
  void OnActivate() override { events.push_back("activate"); }
  void OnDeactivate() override { events.push_back("deactivate"); }
  void OnResize() override {
    events.push_back("resize " + std::to_string(bounds().width) + "x" +
                     std::to_string(bounds().height));
  }
};

class WindowTest : public ::testing::Test {
 protected:
  ManualLoopClock clock_;
  RecordingWindowBackend backend_;
  Desktop desktop_{clock_, backend_};
  TestWindow window_{desktop_, "frmTest"};
};

using WindowLifecycleTest = WindowTest;

TEST_F(WindowLifecycleTest, LoadMakesTheDesignAndRunsTheLoadEventOnce) {
  EXPECT_TRUE(window_.controls().empty());
  window_.Load();
  window_.Load();
  EXPECT_TRUE(window_.loaded());
  EXPECT_FALSE(window_.visible());
  EXPECT_EQ(window_.caption(), "#15000#Design");
  std::vector<std::string> names;
  for (const auto& control : window_.controls()) names.push_back(control->name());
  EXPECT_THAT(names,
              ElementsAre("Label1", "CmdOK", "listFolder", "ProgressBar", "Animation1", "Timer"));
  EXPECT_THAT(window_.events, ElementsAre("load"));
  EXPECT_THAT(backend_.events, ElementsAre("load frmTest"));  // design changes are not news
}

TEST_F(WindowLifecycleTest, ACloseRequestCanBeRefusedTheCodesUnloadGoesThrough) {
  window_.refuse_user_close = true;
  ASSERT_TRUE(window_.Show().ok());
  EXPECT_FALSE(window_.RequestClose());
  EXPECT_TRUE(window_.loaded());
  EXPECT_TRUE(window_.visible());
  EXPECT_TRUE(window_.Unload());
  EXPECT_FALSE(window_.loaded());
  EXPECT_FALSE(window_.visible());
  EXPECT_TRUE(window_.controls().empty());
  EXPECT_THAT(window_.events, ElementsAre("load", "query user", "query code", "unload"));
  EXPECT_THAT(backend_.events, ElementsAre("load frmTest", "show frmTest", "unload frmTest"));
}

TEST_F(WindowLifecycleTest, AWindowLoadedAgainStartsFromItsDesign) {
  window_.Load();
  window_.set_caption("Changed");
  window_.label().set_text("Inbox");
  window_.Unload();
  window_.Load();
  EXPECT_EQ(window_.caption(), "#15000#Design");
  EXPECT_EQ(window_.label().text(), "Folder:");
}

TEST_F(WindowLifecycleTest, AButtonThatUnloadsItsWindowOnlyWhenTheUserCanReachIt) {
  window_.Load();
  EXPECT_FALSE(window_.ok().Click());  // hidden window
  ASSERT_TRUE(window_.Show().ok());
  window_.ok().set_enabled(false);
  EXPECT_FALSE(window_.ok().Click());
  window_.ok().set_enabled(true);
  EXPECT_TRUE(window_.ok().Click());
  EXPECT_FALSE(window_.loaded());
  EXPECT_THAT(window_.events, ElementsAre("load", "query code", "unload", "clicked CmdOK"));
}

TEST_F(WindowLifecycleTest, AModalShowReturnsWhenTheUserAnswers) {
  backend_.modal_user = [this](WindowModel& window) {
    EXPECT_TRUE(window.modal());
    window_.ok().Click();
  };
  ASSERT_TRUE(window_.Show(ShowMode::kModal).ok());
  EXPECT_FALSE(window_.loaded());
  EXPECT_THAT(backend_.events,
              ElementsAre("load frmTest", "show frmTest modal", "modal frmTest", "unload frmTest"));

  ASSERT_TRUE(window_.Show().ok());
  EXPECT_FALSE(window_.Show(ShowMode::kModal).ok());  // already shown
}

TEST_F(WindowLifecycleTest, ActivationEventsOnlyOnChange) {
  window_.Activate();  // not loaded: nothing
  ASSERT_TRUE(window_.Show().ok());
  window_.Activate();
  window_.Activate();
  window_.Deactivate();
  EXPECT_THAT(window_.events, ElementsAre("load", "activate", "deactivate"));
}

using WindowListTest = WindowTest;

TEST_F(WindowListTest, LoadedWindowsInLoadOrderByExactName) {
  TestWindow second(desktop_, "frmSecond");
  {
    TestWindow third(desktop_, "frmThird");
    window_.Load();
    second.Load();
    third.Load();
    window_.Unload();
    window_.Load();
    std::vector<std::string> names;
    for (WindowModel* window : desktop_.loaded_windows()) names.push_back(window->name());
    EXPECT_THAT(names, ElementsAre("frmSecond", "frmThird", "frmTest"));
    EXPECT_TRUE(desktop_.IsLoaded("frmThird"));
    EXPECT_FALSE(desktop_.IsLoaded("frmthird"));
  }
  // Destroyed while loaded: out of the list.
  EXPECT_FALSE(desktop_.IsLoaded("frmThird"));
  EXPECT_EQ(desktop_.loaded_windows().size(), 2u);
}

using WindowControlsTest = WindowTest;

TEST_F(WindowControlsTest, ChangesReachTheBackEndWhileLoaded) {
  window_.Load();
  backend_.events.clear();
  window_.label().set_text("Contacts");
  window_.label().set_text("Contacts");
  window_.label().set_font_charset(238);
  window_.set_caption("Title");
  EXPECT_THAT(backend_.events,
              ElementsAre("change frmTest.Label1", "change frmTest.Label1", "change frmTest"));
}

TEST_F(WindowControlsTest, CheckListRowsByCodeAndByTheUser) {
  ASSERT_TRUE(window_.Show().ok());
  ListBox& list = window_.list();
  list.AddItem("Contacts");
  list.AddItem("Contacts\\Staff");
  ASSERT_TRUE(list.SetChecked(0, true).ok());
  EXPECT_TRUE(list.SetChecked(2, true).code() == Code::kInvalidArgument);
  EXPECT_THAT(window_.events, ElementsAre("load"));  // code raises no event

  EXPECT_TRUE(list.UserCheck(1, true));
  EXPECT_TRUE(list.UserCheck(0, false));  // its handler checks it again
  EXPECT_FALSE(list.UserCheck(5, true));
  EXPECT_THAT(list.rows(),
              ElementsAre(ListRow{"Contacts", true}, ListRow{"Contacts\\Staff", true}));
  EXPECT_THAT(window_.events, ElementsAre("load", "check 1", "check 0"));

  EXPECT_TRUE(list.MouseMove(10, 240));
  EXPECT_EQ(list.tool_tip(), "row at 240.000000");
  window_.set_enabled(false);
  EXPECT_FALSE(list.UserCheck(1, false));
  list.Clear();
  EXPECT_EQ(list.ListCount(), 0);
}

TEST_F(WindowControlsTest, AProgressBarKeepsItsValueWithinItsRange) {
  window_.Load();
  ui::ProgressBar& bar = window_.progress();
  ASSERT_TRUE(bar.set_max(5).ok());
  ASSERT_TRUE(bar.set_value(5).ok());
  EXPECT_FALSE(bar.set_value(6).ok());
  EXPECT_FALSE(bar.set_value(-1).ok());
  EXPECT_FALSE(bar.set_max(0).ok());
  EXPECT_EQ(bar.value(), 5);
  ASSERT_TRUE(bar.set_max(3).ok());
  EXPECT_EQ(bar.value(), 3);
}

TEST_F(WindowControlsTest, AClipPlaysOnlyOnceItCouldBeOpened) {
  testing::TempDir dir;
  window_.Load();
  ui::Animation& clip = window_.clip();
  EXPECT_FALSE(clip.Play().ok());
  EXPECT_TRUE(clip.Open(dir.Child("filecopy.avi")).IsNotFound());
  testing::WriteFile(dir.Child("filecopy.avi"), "RIFF");
  ASSERT_TRUE(clip.Open(dir.Child("filecopy.avi")).ok());
  ASSERT_TRUE(clip.Play().ok());
  EXPECT_TRUE(clip.playing());
  clip.Stop();
  EXPECT_FALSE(clip.playing());
}

using WindowTimerTest = WindowTest;

TEST_F(WindowTimerTest, EnablingStartsDisablingStopsSettingTheIntervalRestarts) {
  window_.Load();
  TimerControl& timer = window_.timer();
  EXPECT_FALSE(timer.running());  // enabled, but no interval yet
  ASSERT_TRUE(timer.SetInterval(100).ok());
  EXPECT_TRUE(timer.running());
  clock_.Advance(milliseconds(60));
  ASSERT_TRUE(timer.SetInterval(100).ok());  // counts again from 60
  clock_.Advance(milliseconds(60));
  desktop_.loop().YieldOnce();
  EXPECT_THAT(window_.events, ElementsAre("load"));
  timer.set_enabled(false);
  clock_.Advance(milliseconds(100));
  desktop_.loop().YieldOnce();
  EXPECT_THAT(window_.events, ElementsAre("load"));
  EXPECT_FALSE(timer.SetInterval(-1).ok());
  EXPECT_FALSE(timer.SetInterval(TimerControl::kMaxInterval + 1).ok());
  EXPECT_EQ(timer.interval(), 100);
}

TEST_F(WindowTimerTest, ALastTickThatUnloadsItsWindow) {
  window_.Load();
  ASSERT_TRUE(window_.timer().SetInterval(250).ok());
  clock_.Advance(milliseconds(250));
  desktop_.loop().YieldOnce();
  EXPECT_FALSE(window_.loaded());
  EXPECT_THAT(window_.events,
              ElementsAre("load", "tick", "query code", "unload", "tick ends with timer retired"));
  clock_.Advance(milliseconds(250));
  EXPECT_EQ(desktop_.loop().YieldOnce(), 0);
}

TEST_F(WindowTimerTest, UnloadStopsARunningTimer) {
  window_.Load();
  ASSERT_TRUE(window_.timer().SetInterval(10).ok());
  window_.Unload();
  clock_.Advance(milliseconds(10));
  EXPECT_EQ(desktop_.loop().YieldOnce(), 0);
}

using WindowUserInputTest = WindowTest;

// What a back end delivers reaches the models' own user-event members,
// with their rules: a refused close, a row the handler checks again, a
// size only for a window the user may resize.
TEST_F(WindowUserInputTest, TheBackEndsUserReachesTheModels) {
  ASSERT_NE(backend_.input, nullptr);
  UserInput& user = *backend_.input;
  window_.refuse_user_close = true;
  ASSERT_TRUE(window_.Show().ok());
  window_.list().AddItem("Contacts");
  EXPECT_TRUE(user.CheckRow(window_.list(), 0, false));
  EXPECT_TRUE(window_.list().rows()[0].checked);
  EXPECT_TRUE(user.MouseMove(window_.list(), 0, 15));
  EXPECT_EQ(window_.list().tool_tip(), "row at 15.000000");
  user.Activate(window_);
  user.Deactivate(window_);
  user.Resize(window_, 900, 600);  // not resizable: nothing
  EXPECT_FALSE(user.RequestClose(window_));
  EXPECT_FALSE(user.Click(window_.label()));  // a label takes no click
  EXPECT_TRUE(user.Click(window_.ok()));
  EXPECT_FALSE(window_.loaded());
  EXPECT_THAT(window_.events, ElementsAre("load", "check 0", "activate", "deactivate",
                                          "query user", "query code", "unload", "clicked CmdOK"));

  TestWindow sizable(desktop_, "frmSizable");
  sizable.resizable_design = true;
  sizable.Load();
  user.Resize(sizable, 900, 600);
  EXPECT_EQ(sizable.bounds(), (Bounds{0, 0, 900, 600}));
  EXPECT_THAT(sizable.events, ElementsAre("load", "resize 900x600"));

  // The loop's work, as a back end's event loop runs it.
  EXPECT_FALSE(user.TimeUntilDue());
  desktop_.loop().StartTimer(milliseconds(250), false, [] {});
  clock_.Advance(milliseconds(100));
  EXPECT_EQ(user.TimeUntilDue(), milliseconds(150));
  clock_.Advance(milliseconds(200));
  EXPECT_EQ(user.TimeUntilDue(), LoopDuration::zero());
  EXPECT_EQ(user.RunDueWork(), 1);
}

TEST_F(WindowControlsTest, AListKeepsItsSelectionWithinItsRows) {
  window_.Load();
  ListBox& list = window_.list();
  list.AddItem("a");
  list.AddItem("b");
  ASSERT_TRUE(list.set_list_index(1).ok());
  EXPECT_EQ(list.set_list_index(2).code(), Code::kInvalidArgument);
  EXPECT_EQ(list.list_index(), 1);
  list.Clear();
  EXPECT_EQ(list.list_index(), -1);
}

using ScreenTest = WindowTest;

TEST_F(ScreenTest, MousePointerDefaultsAndIsRendered) {
  Screen& screen = desktop_.screen();
  EXPECT_EQ(screen.MousePointer(), kMousePointerDefault);
  screen.SetMousePointer(kMousePointerHourglass);
  screen.SetMousePointer(kMousePointerHourglass);
  EXPECT_EQ(screen.MousePointer(), 11);
  screen.SetMousePointer(kMousePointerDefault);
  EXPECT_THAT(backend_.events, ElementsAre("pointer 11", "pointer 0"));
}

}  // namespace
}  // namespace olconn97::ui
