#include "test_support.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace olconn97::testing {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "olconn97-test-XXXXXX").string();
  char* made = mkdtemp(pattern.data());
  if (made == nullptr) std::abort();
  path_ = made;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path_, ignored);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

std::string SharedTestDataDir() {
  std::error_code ignored;
  return std::filesystem::is_directory(OLCONN97_SHARED_TESTDATA_DIR, ignored)
             ? std::string(OLCONN97_SHARED_TESTDATA_DIR)
             : std::string();
}

ScopedEnv::ScopedEnv(const char* name, const std::string& value) : name_(name) {
  if (const char* old = std::getenv(name)) {
    had_value_ = true;
    old_value_ = old;
  }
  setenv(name, value.c_str(), 1);
}

ScopedEnv::~ScopedEnv() {
  if (had_value_) {
    setenv(name_.c_str(), old_value_.c_str(), 1);
  } else {
    unsetenv(name_.c_str());
  }
}

DriverTest::DriverTest()
    : xdg_data_home_("XDG_DATA_HOME", temp_.Child("data")),
      time_zone_("TZ", "UTC"),
      clock_(std::chrono::system_clock::from_time_t(1796381405)),  // 2026-12-04 10:50:05 UTC
      shell_(std::make_unique<shell::PosixShell>(temp_.Child("app"))) {
  tzset();
  mkdir(app_path().c_str(), 0755);
  // The catalogs beside the driver, as an installation has them.
  std::filesystem::create_directories(app_path() + "/lang");
  for (const char* language : {"us", "fr"}) {
    std::filesystem::copy_file(std::string(OLCONN97_SOURCE_DATA_DIR) + "/lang/" + language + ".po",
                               app_path() + "/lang/" + language + ".po");
  }
  ResetSharedStateForTesting();
  Services& services = Shared().services;
  services.SetRegistry(&registry_);
  services.SetClock(&clock_);
  services.SetMessageBoxes(&message_boxes_);
  services.SetShell(shell_.get());
  services.SetDesktop(&desktop_);
  Shared().echo_log_window = false;
}

void DriverTest::LetTimePass(std::chrono::milliseconds delay) {
  loop_clock_.Advance(delay);
  desktop_.loop().YieldOnce();
}

DriverTest::~DriverTest() {
  ResetSharedStateForTesting();
  Services& services = Shared().services;
  services.SetRegistry(nullptr);
  services.SetClock(nullptr);
  services.SetMessageBoxes(nullptr);
  services.SetShell(nullptr);
  services.SetDesktop(nullptr);
}

ToolRun RunHostTool(const TempDir& home, const std::string& arguments) {
  return RunShellCommand("OLCONN97_REGISTRY_DIR='" + home.path() + "' XDG_DATA_HOME='" +
                         home.Child("data") + "' XDG_CONFIG_HOME='" + home.Child("config") + "' '" +
                         OLCONN97_HOST_PATH + "' " + arguments + " 2>'" + home.Child("stderr") +
                         "'");
}

ToolRun RunShellCommand(const std::string& command) {
  FILE* pipe = popen(command.c_str(), "r");
  ToolRun run{-1, {}};
  if (pipe == nullptr) return run;
  char buffer[4096];
  size_t read;
  while ((read = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, read);
  int status = pclose(pipe);
  run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

std::string ShellOutput(const std::string& command) {
  return RunShellCommand(command + " 2>&1").out;
}

BackgroundProcess::BackgroundProcess(const std::vector<std::string>& argv,
                                     const std::vector<std::string>& environment,
                                     const std::string& output) {
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  std::vector<std::string> env_text(environment);
  for (char** entry = environ; *entry != nullptr; ++entry) env_text.emplace_back(*entry);
  std::vector<char*> env;
  for (std::string& entry : env_text) env.push_back(entry.data());
  env.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  pid_t pid = -1;
  if (posix_spawn(&pid, args[0], &actions, nullptr, args.data(), env.data()) == 0) pid_ = pid;
  posix_spawn_file_actions_destroy(&actions);
}

BackgroundProcess::~BackgroundProcess() { Kill(); }

int BackgroundProcess::Wait() {
  if (pid_ <= 0 || exited_) return -1;
  int status = 0;
  if (waitpid(pid_, &status, 0) != pid_) return -1;
  exited_ = true;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void BackgroundProcess::Kill() {
  if (pid_ <= 0 || exited_) return;
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  exited_ = true;
}

int BackgroundProcess::Stop() {
  if (pid_ <= 0 || exited_) return -1;
  kill(pid_, SIGTERM);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  int status = 0;
  while (std::chrono::steady_clock::now() < deadline) {
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      exited_ = true;
      return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return -1;
}

std::vector<std::string> HostEnvironment(const TempDir& home) {
  return {"OLCONN97_REGISTRY_DIR=" + home.path(), "XDG_DATA_HOME=" + home.Child("data"),
          "XDG_CONFIG_HOME=" + home.Child("config"), "DBUS_SESSION_BUS_ADDRESS="};
}

bool WaitFor(const std::function<bool()>& done) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
  while (std::chrono::steady_clock::now() < deadline) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return done();
}

}  // namespace olconn97::testing
