#include "test_support.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

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
  std::string command = "OLCONN97_REGISTRY_DIR='" + home.path() + "' XDG_DATA_HOME='" +
                        home.Child("data") + "' XDG_CONFIG_HOME='" + home.Child("config") + "' '" +
                        OLCONN97_HOST_PATH + "' " + arguments + " 2>'" + home.Child("stderr") + "'";
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

}  // namespace olconn97::testing
