#include "core/data_paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <optional>
#include <vector>

#include "core/settings.h"
#include "test_support.h"

namespace olconn97 {
namespace {

using ::olconn97::testing::ReadFile;
using ::olconn97::testing::WriteFile;

mode_t ModeOf(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return 0;
  return info.st_mode & 07777;
}

// The real shell, with the folders it creates and its debugger output
// recorded, and a user data folder that can be made to fail.
class RecordingShell : public shell::ShellWrapper {
 public:
  using ShellWrapper::ShellWrapper;
  Result<std::string> UserDataFolder() override {
    if (data_folder_failure) return *data_folder_failure;
    return target().UserDataFolder();
  }
  std::string LoginName() override { return "ann"; }
  void DebugOutput(std::string_view text) override { debug_lines.emplace_back(text); }
  Status MakeDirectory(const std::string& path, const mode_t* exact_mode) override {
    made.push_back(path);
    return target().MakeDirectory(path, exact_mode);
  }

  std::optional<Status> data_folder_failure;
  std::vector<std::string> made;
  std::vector<std::string> debug_lines;
};

class DataPathsTest : public testing::DriverTest {
 protected:
  DataPathsTest() : recording_(*shell_), old_umask_(umask(022)) {
    Shared().services.SetShell(&recording_);
  }
  ~DataPathsTest() override { umask(old_umask_); }

  void SetMachine(std::string_view name, std::string_view value) {
    ASSERT_TRUE(RegWriteString(Hive::kLocalMachine, kInstallKey, name, value));
  }
  std::string ErrorFile(const std::string& folder) { return ReadFile(folder + "/error_ann.log"); }

  RecordingShell recording_;
  mode_t old_umask_;
};

TEST_F(DataPathsTest, NothingSetGivesAPerUserFolderNamedAfterTheProduct) {
  const std::string expected = data_home() + "/Norvale Corvanta";
  EXPECT_EQ(DataPath(), expected);
  EXPECT_TRUE(Shared().gPerUserDataPath);
  EXPECT_EQ(ModeOf(expected), 0755u);  // per user: the umask decides
  EXPECT_EQ(StxFileName(), expected + "/stx.mdb");
  // Per user, files are left as they are.
  WriteFile(expected + "/Connector.mdb", "");
  chmod((expected + "/Connector.mdb").c_str(), 0600);
  EXPECT_EQ(SetFileEveryoneAccess(expected + "/Connector.mdb"), 0);
  EXPECT_EQ(ModeOf(expected + "/Connector.mdb"), 0600u);
}

TEST_F(DataPathsTest, TheUsersOwnDataPathWinsOverEverything) {
  ASSERT_TRUE(RegWriteString(Hive::kCurrentUser, kZepPhoneKey, "DataPath",
                             "  " + temp_.Child("mine/") + " "));
  SetMachine("MultiUser", "no");
  SetMachine("DataPath", temp_.Child("machine"));
  EXPECT_EQ(DataPath(), temp_.Child("mine"));
  EXPECT_TRUE(Shared().gPerUserDataPath);
  EXPECT_EQ(ModeOf(temp_.Child("mine")), 0755u);
  EXPECT_FALSE(recording_.DirectoryExists(temp_.Child("machine")));
}

TEST_F(DataPathsTest, MultiUserInAnyCaseAndTheProductNameOfTheInstallation) {
  SetMachine("MultiUser", " YES ");
  SetMachine("DataPath", temp_.Child("machine"));
  Shared().gProductFullName = "Other Product";
  EXPECT_EQ(DataPath(), data_home() + "/Other Product");
  EXPECT_TRUE(Shared().gPerUserDataPath);
}

TEST_F(DataPathsTest, SharedMachineFolderIsOpenToEveryone) {
  SetMachine("MultiUser", "no");
  SetMachine("DataPath", temp_.Child("shared/data"));
  EXPECT_EQ(DataPath(), temp_.Child("shared/data"));
  EXPECT_FALSE(Shared().gPerUserDataPath);
  EXPECT_EQ(ModeOf(temp_.Child("shared")), 0777u);
  EXPECT_EQ(ModeOf(temp_.Child("shared/data")), 0777u);
  EXPECT_NE(ModeOf(temp_.path()), 0777u);  // folders that existed are not touched

  const std::string file = temp_.Child("shared/data/Connector.mdb");
  WriteFile(file, "");
  EXPECT_EQ(SetFileEveryoneAccess(file), 0);
  EXPECT_EQ(ModeOf(file), 0666u);
  EXPECT_EQ(recording_.debug_lines,
            std::vector<std::string>{"Everyone FullControl Set on File: " + file});

  // A file that is not there: the OS error comes back and is written down.
  EXPECT_EQ(SetFileEveryoneAccess(temp_.Child("shared/data/none")), ENOENT);
  EXPECT_EQ(ErrorFile(temp_.Child("shared/data")),
            "04/12/2026 10:50:05 Err: Corvanta - modMultiUser.SetFileEveryoneAccess "
            "SetFileSecurity - Unable to Set New Security Descriptor to File : " +
                temp_.Child("shared/data/none") + " - No such file or directory - 2 (0x2)\r\n");
}

TEST_F(DataPathsTest, NotMultiUserWithoutMachinePathStaysInTheDriversFolder) {
  SetMachine("MultiUser", "no");
  EXPECT_EQ(DataPath(), app_path());
  EXPECT_FALSE(Shared().gPerUserDataPath);
}

TEST_F(DataPathsTest, UnavailableProfileFallsBackToTheSharedDriverFolder) {
  SetMachine("DataPath", temp_.Child("machine"));
  recording_.data_folder_failure = Status::InvalidArgument("no home");
  EXPECT_EQ(DataPath(), app_path());
  EXPECT_FALSE(Shared().gPerUserDataPath);
  EXPECT_FALSE(recording_.DirectoryExists(temp_.Child("machine")));
  EXPECT_EQ(ErrorFile(app_path()),
            "04/12/2026 10:50:05 Err: Corvanta - modMultiUser.GetUserProfilePath "
            "An invalid folder ID was specified - -\r\n");
}

TEST_F(DataPathsTest, ProfileFailuresReportedByKind) {
  Shared().gDataPath = app_path();
  recording_.data_folder_failure = Status::NotFound("gone");
  EXPECT_EQ(GetUserProfilePath(), "");
  recording_.data_folder_failure = Status::Error(Code::kIoError, "other");
  EXPECT_EQ(GetUserProfilePath(), "");
  EXPECT_EQ(ErrorFile(app_path()),
            "04/12/2026 10:50:05 Err: Corvanta - modMultiUser.GetUserProfilePath "
            "The folder does not exist - -\r\n");
}

TEST_F(DataPathsTest, DecidedOncePerProcess) {
  const std::string first = DataPath();
  const std::string stx = StxFileName();
  ASSERT_TRUE(RegWriteString(Hive::kCurrentUser, kZepPhoneKey, "DataPath", temp_.Child("later")));
  EXPECT_EQ(DataPath(), first);
  EXPECT_EQ(StxFileName(), stx);
  EXPECT_FALSE(recording_.DirectoryExists(temp_.Child("later")));
}

TEST_F(DataPathsTest, MakeSubDirCreatesEveryMissingLevelFromTheTop) {
  Shared().gPerUserDataPath = true;
  const std::string path = temp_.Child("a:b/c/d");
  MakeSubDir(path);
  EXPECT_EQ(recording_.made, (std::vector<std::string>{temp_.Child("a:b/"), temp_.Child("a:b/c/"),
                                                       temp_.Child("a:b/c/d")}));
  EXPECT_TRUE(recording_.DirectoryExists(path));
  recording_.made.clear();
  MakeSubDir(path);
  EXPECT_TRUE(recording_.made.empty());
}

TEST_F(DataPathsTest, MakeDirFailureNamesThePathAndTheSystemError) {
  Shared().gDataPath = app_path();
  WriteFile(temp_.Child("plain"), "x");
  MakeDir(temp_.Child("plain/sub"));
  EXPECT_EQ(ErrorFile(app_path()), "04/12/2026 10:50:05 Err: Corvanta - modMultiUser.MakeDir " +
                                       temp_.Child("plain/sub") +
                                       " - Not a directory - 20 (0x14)\r\n");
}

}  // namespace
}  // namespace olconn97
