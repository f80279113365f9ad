#include "diag/log_error.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <vector>

#include "test_support.h"

namespace olconn97::diag {
namespace {

using ::olconn97::testing::ReadFile;

class NamedShell : public shell::ShellWrapper {
 public:
  using ShellWrapper::ShellWrapper;
  std::string LoginName() override { return login; }
  void DebugOutput(std::string_view text) override { debug_lines.emplace_back(text); }

  std::string login = "ann";
  std::vector<std::string> debug_lines;
};

class LogErrorTest : public testing::DriverTest {
 protected:
  LogErrorTest() : named_(*shell_) {
    Shared().services.SetShell(&named_);
    Shared().gDataPath = app_path();
  }
  std::string ErrorFile() { return ReadFile(app_path() + "/error_ann.log"); }

  NamedShell named_;
};

TEST_F(LogErrorTest, NothingPendingGivesDashes) {
  LogError("modMultiUser.MakeDir", "", "");
  EXPECT_EQ(ErrorFile(), "04/12/2026 10:50:05 Err: Corvanta - modMultiUser.MakeDir - - -\r\n");
}

TEST_F(LogErrorTest, CaughtFailureWithSourceLineAndNumber) {
  Status failure = Status::Failed("Access denied", "DAO.Database").WithNumber(5);
  LogError("localize.SplitLanguageChoice", "bad choice", "01/02/2003 04:05:06", failure, 12);
  EXPECT_EQ(ErrorFile(),
            "01/02/2003 04:05:06 Err: DAO.Database - localize.SplitLanguageChoice line 12 "
            "bad choice Access denied - 5 (0x5) -\r\n");
}

TEST_F(LogErrorTest, NegativeNumbersInTwosComplementHex) {
  LogError("m.R", "", "", Status::Failed("Denied").WithNumber(static_cast<int32_t>(0x80070005u)));
  LogError("m.R", "", "", Status::Failed("Odd").WithNumber(-1));
  EXPECT_EQ(ErrorFile(),
            "04/12/2026 10:50:05 Err: Corvanta - m.R - Denied - -2147024891 (0x80070005) -\r\n"
            "04/12/2026 10:50:05 Err: Corvanta - m.R - Odd - -1 (0xFFFFFFFF) -\r\n");
}

TEST_F(LogErrorTest, SystemErrorTextsKnownAndUnknown) {
  LogError("m.R", "", "", Status::FromErrno(ENOENT, "").WithNumber(0));
  LogError("m.R", "", "", Status::FromErrno(99999, "").WithNumber(0));
  EXPECT_EQ(ErrorFile(),
            "04/12/2026 10:50:05 Err: Corvanta - m.R - - No such file or directory - 2 (0x2)\r\n"
            "04/12/2026 10:50:05 Err: Corvanta - m.R - - Unknown Error. - 99999 (0x1869F)\r\n");
  EXPECT_EQ(SystemErrorText(99999), "Unknown Error.");
}

TEST_F(LogErrorTest, UnknownLoginNameGivesBareErrorFileName) {
  named_.login = "";
  LogError("m.R", "x", "");
  EXPECT_EQ(ReadFile(app_path() + "/error_.log"),
            "04/12/2026 10:50:05 Err: Corvanta - m.R x - -\r\n");
}

TEST_F(LogErrorTest, FileNameFixedOnFirstCallAndNeverTruncated) {
  testing::WriteFile(app_path() + "/error_ann.log", "earlier\r\n");
  LogError("m.One", "", "");
  Shared().gDataPath = temp_.Child("elsewhere");
  named_.login = "bob";
  LogError("m.Two", "", "");
  EXPECT_EQ(ErrorFile(),
            "earlier\r\n"
            "04/12/2026 10:50:05 Err: Corvanta - m.One - - -\r\n"
            "04/12/2026 10:50:05 Err: Corvanta - m.Two - - -\r\n");
}

TEST_F(LogErrorTest, FileThatCannotBeOpenedGoesToDebugOutput) {
  Shared().error_file_name = temp_.Child("no/such/folder/error_ann.log");
  LogError("m.R", "", "");
  ASSERT_EQ(named_.debug_lines.size(), 2u);
  for (const std::string& line : named_.debug_lines) {
    EXPECT_EQ(line.rfind("mLogError.LogError - ", 0), 0u) << line;
  }
  EXPECT_NE(named_.debug_lines[0].find("No such file or directory"), std::string::npos);
}

}  // namespace
}  // namespace olconn97::diag
