#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <vector>

#include "outside/shell/shell.h"
#include "test_support.h"

namespace olconn97::shell {
namespace {

using ::olconn97::testing::ReadFile;
using ::olconn97::testing::ScopedEnv;
using ::olconn97::testing::TempDir;
using ::olconn97::testing::WriteFile;

mode_t ModeOf(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return 0;
  return info.st_mode & 07777;
}

// Sets the umask for the lifetime of the object.
class ScopedUmask {
 public:
  explicit ScopedUmask(mode_t mask) : old_(umask(mask)) {}
  ~ScopedUmask() { umask(old_); }

 private:
  mode_t old_;
};

TEST(PosixShellTest, AppPathIsTheFolderOfTheLoadedCode) {
  // Linked statically into the test program, the code lives in its file.
  char self[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  ASSERT_GT(length, 0);
  std::string program(self, static_cast<size_t>(length));
  PosixShell shell;
  EXPECT_EQ(shell.AppPath(), program.substr(0, program.rfind('/')));
  EXPECT_EQ(PosixShell("/opt/driver").AppPath(), "/opt/driver");
}

TEST(PosixShellTest, UserDataFolderFollowsXdgThenHomeAndIsCreated) {
  TempDir temp;
  PosixShell shell;
  {
    ScopedEnv xdg("XDG_DATA_HOME", temp.Child("x/y/share"));
    Result<std::string> folder = shell.UserDataFolder();
    ASSERT_TRUE(folder.ok()) << folder.status().ToString();
    EXPECT_EQ(folder.value(), temp.Child("x/y/share"));
    EXPECT_TRUE(shell.DirectoryExists(temp.Child("x/y/share")));
  }
  {
    // A relative XDG_DATA_HOME is not valid and gives way to the home folder.
    ScopedEnv xdg("XDG_DATA_HOME", "relative/share");
    ScopedEnv home("HOME", temp.Child("home"));
    Result<std::string> folder = shell.UserDataFolder();
    ASSERT_TRUE(folder.ok()) << folder.status().ToString();
    EXPECT_EQ(folder.value(), temp.Child("home/.local/share"));
    EXPECT_TRUE(shell.DirectoryExists(folder.value()));
  }
}

TEST(PosixShellTest, TelephoneRegionComesFromTheLocaleThatGovernsTelephoneNumbers) {
  EXPECT_EQ(RegionOfLocale("de_DE.UTF-8"), "DE");
  EXPECT_EQ(RegionOfLocale("fr_ch@euro"), "CH");
  EXPECT_EQ(RegionOfLocale("C.UTF-8"), "");
  EXPECT_EQ(RegionOfLocale("POSIX"), "");
  EXPECT_EQ(RegionOfLocale("es_419.UTF-8"), "");
  PosixShell shell;
  ScopedEnv all("LC_ALL", ""), telephone("LC_TELEPHONE", "en_GB.UTF-8"), lang("LANG", "de_AT");
  EXPECT_EQ(shell.TelephoneRegion(), "GB");
  {
    ScopedEnv over("LC_ALL", "C");  // LC_ALL rules every category, without a region here
    EXPECT_EQ(shell.TelephoneRegion(), "");
  }
  ScopedEnv unset("LC_TELEPHONE", "");
  EXPECT_EQ(shell.TelephoneRegion(), "AT");
}

TEST(PosixShellTest, UserDataFolderThatCannotBeCreatedIsNotFound) {
  TempDir temp;
  WriteFile(temp.Child("file"), "x");
  ScopedEnv xdg("XDG_DATA_HOME", temp.Child("file/share"));
  Result<std::string> folder = PosixShell().UserDataFolder();
  ASSERT_FALSE(folder.ok());
  EXPECT_EQ(folder.status().code(), Code::kNotFound);
}

TEST(PosixShellTest, SystemErrorTexts) {
  PosixShell shell;
  EXPECT_EQ(shell.SystemErrorText(ENOENT), std::strerror(ENOENT));
  EXPECT_EQ(shell.SystemErrorText(99999), "Unknown Error.");
  EXPECT_EQ(shell.SystemErrorText(-3), "Unknown Error.");
}

TEST(PosixShellTest, DebugOutputEchoesToStderrOnlyWhenAsked) {
  PosixShell shell;
  {
    ScopedEnv debug("OLCONN97_DEBUG", "1");
    ::testing::internal::CaptureStderr();
    shell.DebugOutput("hello from the driver");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "hello from the driver\n");
  }
  {
    ScopedEnv debug("OLCONN97_DEBUG", "");
    ::testing::internal::CaptureStderr();
    shell.DebugOutput("quiet");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  }
}

TEST(PosixShellTest, MakeDirectoryAppliesAnExactModeDespiteTheUmask) {
  TempDir temp;
  PosixShell shell;
  ScopedUmask mask(077);
  const mode_t everyone = 0777;
  ASSERT_TRUE(shell.MakeDirectory(temp.Child("shared"), &everyone).ok());
  EXPECT_EQ(ModeOf(temp.Child("shared")), 0777u);
  ASSERT_TRUE(shell.MakeDirectory(temp.Child("own"), nullptr).ok());
  EXPECT_EQ(ModeOf(temp.Child("own")), 0700u);

  Status again = shell.MakeDirectory(temp.Child("own"), nullptr);
  EXPECT_EQ(again.code(), Code::kAlreadyExists);
  EXPECT_EQ(again.os_error(), EEXIST);
  EXPECT_EQ(shell.MakeDirectory(temp.Child("no/such"), nullptr).os_error(), ENOENT);
}

TEST(PosixShellTest, FileExistsOnlyForReadableFiles) {
  TempDir temp;
  PosixShell shell;
  WriteFile(temp.Child("f"), "x");
  EXPECT_TRUE(shell.FileExists(temp.Child("f")));
  EXPECT_FALSE(shell.FileExists(temp.Child("missing")));
  EXPECT_FALSE(shell.FileExists(temp.path()));  // a folder is no file
  ASSERT_EQ(mkfifo(temp.Child("fifo").c_str(), 0600), 0);
  EXPECT_TRUE(shell.FileExists(temp.Child("fifo")));  // and does not hang
}

TEST(PosixShellTest, CopyFileHonoursFailIfExists) {
  TempDir temp;
  PosixShell shell;
  WriteFile(temp.Child("a"), "new content");
  WriteFile(temp.Child("b"), "old");
  Status refused = shell.CopyFile(temp.Child("a"), temp.Child("b"), true);
  EXPECT_EQ(refused.code(), Code::kAlreadyExists);
  EXPECT_EQ(ReadFile(temp.Child("b")), "old");

  ASSERT_TRUE(shell.CopyFile(temp.Child("a"), temp.Child("b"), false).ok());
  EXPECT_EQ(ReadFile(temp.Child("b")), "new content");
  ASSERT_TRUE(shell.CopyFile(temp.Child("a"), temp.Child("c"), true).ok());
  EXPECT_EQ(ReadFile(temp.Child("c")), "new content");

  EXPECT_TRUE(shell.CopyFile(temp.Child("missing"), temp.Child("d"), false).IsNotFound());
  EXPECT_FALSE(shell.FileExists(temp.Child("d")));
}

// A copy appears whole under its name or not at all: nothing of it is left
// beside the target, and a move never replaces a file.
TEST(PosixShellTest, CopiesAndMovesLeaveNothingHalfDone) {
  TempDir temp;
  PosixShell shell;
  WriteFile(temp.Child("template"), std::string(200000, 'x'));
  ASSERT_TRUE(shell.CopyFile(temp.Child("template"), temp.Child("copy"), true).ok());
  EXPECT_EQ(ReadFile(temp.Child("copy")).size(), 200000u);
  EXPECT_FALSE(shell.CopyFile(temp.Child("template"), temp.Child("copy"), true).ok());
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(temp.path())) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"copy", "template"}));

  WriteFile(temp.Child("other"), "other");
  EXPECT_EQ(shell.MoveFile(temp.Child("other"), temp.Child("copy")).code(), Code::kAlreadyExists);
  EXPECT_EQ(ReadFile(temp.Child("other")), "other");
  ASSERT_TRUE(shell.MoveFile(temp.Child("other"), temp.Child("moved")).ok());
  EXPECT_FALSE(shell.FileExists(temp.Child("other")));
  EXPECT_EQ(ReadFile(temp.Child("moved")), "other");
}

TEST(PosixShellTest, CopyFileOntoItselfKeepsTheFile) {
  TempDir temp;
  PosixShell shell;
  WriteFile(temp.Child("a"), "precious");
  EXPECT_FALSE(shell.CopyFile(temp.Child("a"), temp.Child("a"), false).ok());
  EXPECT_EQ(ReadFile(temp.Child("a")), "precious");
}

TEST(PosixShellTest, OpenForWritingAppendsOrTruncates) {
  TempDir temp;
  PosixShell shell;
  ScopedUmask mask(022);
  const std::string path = temp.Child("log");
  for (const char* line : {"one\r\n", "two\r\n"}) {
    auto file = shell.OpenForWriting(path, OpenMode::kAppend);
    ASSERT_TRUE(file.ok());
    ASSERT_TRUE(file.value()->Append(line).ok());
  }
  EXPECT_EQ(ReadFile(path), "one\r\ntwo\r\n");
  EXPECT_EQ(ModeOf(path), 0644u);
  {
    auto file = shell.OpenForWriting(path, OpenMode::kTruncate);
    ASSERT_TRUE(file.ok());
    EXPECT_EQ(ReadFile(path), "");
    ASSERT_TRUE(file.value()->Append("three").ok());
    // Written through at once: visible before the file is closed.
    EXPECT_EQ(ReadFile(path), "three");
  }
  EXPECT_FALSE(shell.OpenForWriting(temp.Child("no/such"), OpenMode::kAppend).ok());
}

}  // namespace
}  // namespace olconn97::shell
