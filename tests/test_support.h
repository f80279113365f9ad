// A fresh driver process for each test: empty shared state, settings in
// memory, a controllable clock (local time UTC, 2026-12-04 10:50:05),
// recorded message boxes, and a real shell
// whose folders (the driver's own folder, the user's data folder) lie in a
// temporary folder that the test removes.
#ifndef OLCONN97_TESTS_TEST_SUPPORT_H_
#define OLCONN97_TESTS_TEST_SUPPORT_H_

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/shared_state.h"
#include "outside/registry/registry.h"
#include "outside/shell/clock.h"
#include "outside/shell/shell.h"
#include "outside/ui/desktop.h"
#include "outside/ui/loop_clock.h"
#include "outside/ui/message_box.h"
#include "outside/ui/window_backend.h"

namespace olconn97::testing {

// A temporary folder, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string Child(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& content);

// Sets an environment variable for the lifetime of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  bool had_value_ = false;
  std::string old_value_;
};

// The folder of other projects' test files (vCard, iCalendar) beside the
// project, or "" in a checkout without it.
std::string SharedTestDataDir();

// Skips the test, saying why, where the shared test files are absent.
#define OLC_SKIP_WITHOUT_SHARED_TESTDATA()                                      \
  if (::olconn97::testing::SharedTestDataDir().empty())                         \
  GTEST_SKIP() << "the shared test files are not in this checkout (looked for " \
               << OLCONN97_SHARED_TESTDATA_DIR << ")"

// One run of the reference host as a separate process.
struct ToolRun {
  int exit_code;
  std::string out;  // stdout; stderr goes to home/stderr
};

// Runs `olconn97 <arguments>` (shell words) with its settings, data and
// configuration all inside `home`.
ToolRun RunHostTool(const TempDir& home, const std::string& arguments);

// Runs a shell command line; its exit code and stdout (-1 when the shell
// could not start or the command ended by a signal).
ToolRun RunShellCommand(const std::string& command);
// What a shell command line wrote on its output and errors, together.
std::string ShellOutput(const std::string& command);

// A process started in the background (its input /dev/null, its output and
// errors to `output`), killed at the end unless stopped before.
class BackgroundProcess {
 public:
  BackgroundProcess(const std::vector<std::string>& argv,
                    const std::vector<std::string>& environment, const std::string& output);
  ~BackgroundProcess();
  BackgroundProcess(const BackgroundProcess&) = delete;
  BackgroundProcess& operator=(const BackgroundProcess&) = delete;

  bool started() const { return pid_ > 0; }
  // Ends the process with SIGTERM: its exit status, -1 when it had to be
  // killed or ended by a signal.
  int Stop();
  // Waits for the process to end by itself: its exit status, -1 when a
  // signal ended it.
  int Wait();
  // Ends the process at once (SIGKILL) and waits for it.
  void Kill();

 private:
  int pid_ = -1;
  bool exited_ = false;
};

// The environment that keeps the reference host's settings, data and
// configuration inside `home` (as RunHostTool does), without a session bus.
std::vector<std::string> HostEnvironment(const TempDir& home);

// Checks `done` until it holds, for at most 15 seconds; whether it held.
bool WaitFor(const std::function<bool()>& done);

class DriverTest : public ::testing::Test {
 protected:
  DriverTest();
  ~DriverTest() override;

  // The driver's own folder (AppPath) and the user's data home.
  std::string app_path() const { return temp_.Child("app"); }
  std::string data_home() const { return temp_.Child("data"); }

  TempDir temp_;
  ScopedEnv xdg_data_home_;
  ScopedEnv time_zone_;  // local time is UTC; the process locale stays "C"
  registry::MemoryRegistry registry_;
  shell::ManualClock clock_;
  ui::RecordedMessageBoxes message_boxes_;
  std::unique_ptr<shell::PosixShell> shell_;
  // The message loop runs on a clock the test advances.
  ui::ManualLoopClock loop_clock_;
  ui::HeadlessWindowBackend window_backend_;
  ui::Desktop desktop_{loop_clock_, window_backend_};

  // Lets `delay` pass on the loop's clock and runs what became due.
  void LetTimePass(std::chrono::milliseconds delay);
};

}  // namespace olconn97::testing

#endif  // OLCONN97_TESTS_TEST_SUPPORT_H_
