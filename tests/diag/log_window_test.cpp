#include "diag/log_window.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include "core/data_paths.h"
#include "core/settings.h"
#include "diag/log.h"
#include "test_support.h"

namespace olconn97::diag {
namespace {

using ::olconn97::testing::ReadFile;
using ::olconn97::testing::WriteFile;

constexpr char kStamp[] = "12/04/26 10:50:05";  // "%x %X" in the "C" locale

class LogWindowTest : public testing::DriverTest {
 protected:
  void SetMode(std::string_view mode) {
    ASSERT_TRUE(RegWriteString(Hive::kCurrentUser, kPopupKey, "Developper", mode));
  }
  std::string LogFile() { return app_path() + "/olconn97.log"; }
  std::string PreviousLogFile() { return app_path() + "/olconn97_o.log"; }
  // A new host process: the log window is loaded afresh.
  void Restart() {
    ResetSharedStateForTesting();
    LogWindow();
  }
};

TEST_F(LogWindowTest, OnlyExactModesSwitchTheLogOn) {
  for (const char* mode : {"1 ", "01", "true", " 2", ""}) {
    SetMode(mode);
    Restart();
    EXPECT_FALSE(Shared().gLogEnabled) << '"' << mode << '"';
    EXPECT_FALSE(LogWindow().visible());
    EXPECT_EQ(LogWindow().title(), "olconn97 Log");
  }
  EXPECT_FALSE(LogWindow().LogToFile());
  EXPECT_TRUE(message_boxes_.shown.empty());
  struct stat info {};
  EXPECT_NE(stat(LogFile().c_str(), &info), 0);
}

TEST_F(LogWindowTest, WindowModeKeepsLinesInTheList) {
  SetMode("1");
  FLog& log = LogWindow();
  std::vector<std::string> echoed;
  log.SetLineObserver([&](const std::string& line) { echoed.push_back(line); });
  EXPECT_TRUE(Shared().gLogEnabled);
  EXPECT_TRUE(log.visible());
  EXPECT_FALSE(log.LogToFile());

  log.Addlog("x");
  EXPECT_EQ(log.repaint_count(), 1);
  EXPECT_EQ(log.LLog().list_index, -1);
  log.AddSimpleLog("banner");
  EXPECT_EQ(log.repaint_count(), 1);  // no repaint for plain lines
  EXPECT_EQ(log.LLog().list_index, 1);
  const std::vector<std::string> expected{std::string(kStamp) + ": x", "banner"};
  EXPECT_EQ(log.LLog().items, expected);
  EXPECT_EQ(echoed, expected);
}

TEST_F(LogWindowTest, FileModeWritesCrLfLinesAtOnce) {
  SetMode("2");
  FLog& log = LogWindow();
  EXPECT_TRUE(Shared().gLogEnabled);
  EXPECT_TRUE(log.LogToFile());
  EXPECT_FALSE(log.visible());
  log.Addlog("x");
  log.AddSimpleLog("x");
  // Readable while the driver runs, so a crash keeps it.
  EXPECT_EQ(ReadFile(LogFile()), std::string(kStamp) + ": x\r\nx\r\n");
  EXPECT_TRUE(log.LLog().items.empty());
}

TEST_F(LogWindowTest, EachStartKeepsOneOlderGeneration) {
  SetMode("2");
  WriteFile(PreviousLogFile(), "ancient\r\n");
  LogWindow().AddSimpleLog("first run");
  Restart();
  EXPECT_EQ(ReadFile(PreviousLogFile()), "first run\r\n");
  EXPECT_EQ(ReadFile(LogFile()), "");
  LogWindow().AddSimpleLog("second run");
  Restart();
  EXPECT_EQ(ReadFile(PreviousLogFile()), "second run\r\n");
  EXPECT_EQ(ReadFile(LogFile()), "");
}

TEST_F(LogWindowTest, AnotherProcessStartingMeanwhileLosesNoLineOfEither) {
  SetMode("2");
  LogWindow().AddSimpleLog("phone host, before");
  // A command starts its own driver: it empties the file and logs.
  WriteFile(LogFile(), "");
  {
    std::FILE* other = std::fopen(LogFile().c_str(), "a");
    ASSERT_NE(other, nullptr);
    std::fputs("command\r\n", other);
    std::fclose(other);
  }
  LogWindow().AddSimpleLog("phone host, after");
  // Written at the end, not where this process had got to: no hole, no
  // line written over.
  EXPECT_EQ(ReadFile(LogFile()), "command\r\nphone host, after\r\n");
}

TEST_F(LogWindowTest, LogFileThatCannotBeOpenedIsShownOnceThenLinesAreDropped) {
  SetMode("2");
  ASSERT_EQ(mkdir(LogFile().c_str(), 0755), 0);  // a folder where the file should be
  FLog& log = LogWindow();
  ASSERT_EQ(message_boxes_.shown.size(), 1u);
  const ui::MessageBoxRecord& box = message_boxes_.shown[0];
  EXPECT_EQ(box.caption, "olconn97");
  EXPECT_EQ(box.text.rfind("Error: " + LogFile(), 0), 0u) << box.text;
  EXPECT_NE(box.text.find("Is a directory in olconn97"), std::string::npos) << box.text;
  EXPECT_TRUE(Shared().gLogEnabled);
  EXPECT_TRUE(log.LogToFile());
  log.Addlog("lost");
  log.AddSimpleLog("lost");
  EXPECT_EQ(message_boxes_.shown.size(), 1u);
  EXPECT_TRUE(log.LLog().items.empty());
}

// An installed driver's folder (/usr/lib/...) is not the user's to write.
class ReadOnlyAppFolderShell : public shell::ShellWrapper {
 public:
  using ShellWrapper::ShellWrapper;
  Result<std::unique_ptr<shell::WritableFile>> OpenForWriting(const std::string& path,
                                                              shell::OpenMode mode) override {
    if (path.rfind(AppPath() + "/", 0) == 0) return Status::FromErrno(EACCES, path);
    return ShellWrapper::OpenForWriting(path, mode);
  }
};

TEST_F(LogWindowTest, AFolderTheUserCannotWriteSendsTheLogToTheDataFolder) {
  ReadOnlyAppFolderShell read_only(*shell_);
  Shared().services.SetShell(&read_only);
  SetMode("2");
  FLog& log = LogWindow();
  log.Addlog("kept");
  EXPECT_TRUE(message_boxes_.shown.empty());
  EXPECT_EQ(ReadFile(DataPath() + "/olconn97.log"), std::string(kStamp) + ": kept\r\n");
  Shared().services.SetShell(shell_.get());
}

TEST_F(LogWindowTest, ResizeFollowsTheWindowOrComplains) {
  FLog& log = LogWindow();
  EXPECT_EQ(log.LLog().width, 8115);
  log.Resize(8280, 4890);
  EXPECT_EQ(log.LLog().width, 8040);
  EXPECT_EQ(log.LLog().height, 4410);
  log.Resize(1000, 100);  // width fits, height does not: the width stays changed
  EXPECT_EQ(log.LLog().width, 760);
  EXPECT_EQ(log.LLog().height, 4410);
  log.Resize(100, 9000);  // nothing changes after the width fails
  EXPECT_EQ(log.LLog().width, 760);
  EXPECT_EQ(log.LLog().height, 4410);
  ASSERT_EQ(message_boxes_.shown.size(), 2u);
  EXPECT_EQ(message_boxes_.shown[1].text, "Error: Invalid property value in olconn97");
  EXPECT_EQ(log.LLog().left, 60);
  EXPECT_EQ(log.LLog().top, 60);
}

TEST_F(LogWindowTest, LogHelpersWriteOnlyWhileEnabled) {
  Log("ignored");
  LogFailure("Error (SetValues): ", Status::Failed("boom", "DAO"));
  EXPECT_EQ(Shared().log_window, nullptr);  // not even loaded

  SetMode("2");
  LogWindow();  // loaded by the driver's start-up
  Log("a");
  LogPlain("b");
  LogFailure("Error (SetValues): ", Status::Failed("boom", "DAO"));
  EXPECT_EQ(ReadFile(LogFile()),
            std::string(kStamp) + ": a\r\nb\r\n" + kStamp + ": Error (SetValues): boom in DAO\r\n");
}

}  // namespace
}  // namespace olconn97::diag

namespace olconn97::diag {
namespace {

// Where windows are drawn, window mode shows the list in a window of its
// own, which the user may resize and which never holds a pumping host.
TEST_F(LogWindowTest, WhereWindowsAreDrawnTheListIsAWindowOfItsOwn) {
  ui::ManualLoopClock clock;
  ui::RecordingWindowBackend drawing;
  drawing.shows_windows = true;
  ui::Desktop desktop(clock, drawing);
  Shared().services.SetDesktop(&desktop);
  SetMode("1");
  FLog& log = LogWindow();
  ASSERT_NE(log.form(), nullptr);
  LogForm& form = *log.form();
  EXPECT_TRUE(form.visible());
  EXPECT_EQ(form.caption(), "olconn97 Log");
  EXPECT_TRUE(form.resizable());
  EXPECT_TRUE(form.ends_with_host());
  EXPECT_FALSE(form.LLog().check_boxes());

  log.Addlog("x");
  log.AddSimpleLog("banner");
  EXPECT_EQ(form.repaint_count(), 1);  // Addlog shows its line at once
  ASSERT_EQ(form.LLog().ListCount(), 2);
  EXPECT_EQ(form.LLog().rows()[0].text, std::string(kStamp) + ": x");
  EXPECT_EQ(form.LLog().list_index(), 1);

  ASSERT_NE(drawing.input, nullptr);
  drawing.input->Resize(form, 6000, 3000);
  EXPECT_EQ(log.LLog().width, 6000 - 240);
  EXPECT_EQ(form.LLog().bounds(), (ui::Bounds{60, 60, 6000 - 240, 3000 - 480}));

  ResetSharedStateForTesting();  // the window goes before its desktop
  Shared().services.SetDesktop(&desktop_);
}

}  // namespace
}  // namespace olconn97::diag
