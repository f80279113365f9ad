// "olconn97 directory import|show", in the library and through the host.
#include "export/directory_command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "test_support.h"

namespace olconn97 {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

struct CommandRun {
  int exit_code;
  std::string out, err;
};

class DirectoryCommandTest : public ::testing::Test {
 protected:
  CommandRun Run(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    int code = RunDirectoryCommand(args, shell_, out, err);
    return {code, out.str(), err.str()};
  }
  std::string Path(const std::string& name) const { return temp_.Child(name); }

  TempDir temp_;
  shell::PosixShell shell_;
};

TEST_F(DirectoryCommandTest, BadUsageExitsWithTwo) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {},
           {"list"},
           {"import", "Employees.csv"},
           {"import", "--into", "stx.mdb"},
           {"import", "Employees.csv", "--into"},
           {"import", "Employees.csv", "--into", "stx.mdb", "--json"},
           {"show"},
           {"show", "a.mdb", "b.mdb"},
           {"show", "a.mdb", "--into", "b.mdb"},
           {"show", "a.mdb", "--verbose"}}) {
    CommandRun run = Run(args);
    EXPECT_EQ(run.exit_code, 2) << ::testing::PrintToString(args);
    EXPECT_NE(run.err.find("usage: olconn97 directory import"), std::string::npos);
    EXPECT_EQ(run.out, "");
  }
  CommandRun help = Run({"show", "--help"});
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_EQ(help.out.rfind("usage: olconn97 directory import", 0), 0u);
}

TEST_F(DirectoryCommandTest, ImportThenShowTablesColumnsAndRows) {
  WriteFile(Path("Employees.csv"), "EmployeeId,LastName\n1,Hall\n2,Berg\n");
  WriteFile(Path("Rooms.csv"), "Room\nA1\n");
  CommandRun imported =
      Run({"import", Path("Employees.csv"), Path("Rooms.csv"), "--into", Path("stx.mdb")});
  ASSERT_EQ(imported.exit_code, 0) << imported.err;
  EXPECT_EQ(imported.out,
            "Created " + Path("stx.mdb") + "\n  Employees: 2 rows\n  Rooms: 1 row (new table)\n");

  CommandRun shown = Run({"show", Path("stx.mdb")});
  ASSERT_EQ(shown.exit_code, 0) << shown.err;
  EXPECT_EQ(shown.out.rfind("Directory: " + Path("stx.mdb") +
                                " (SQLite)\n\nEmployees: 2 rows\n"
                                "  EmployeeId" +
                                std::string(11, ' ') + "INTEGER\n" + "  FirstName" +
                                std::string(12, ' ') + "TEXT\n",
                            0),
            0u)
      << shown.out;
  EXPECT_NE(shown.out.find("\nDefault: 1 row\n  BusinessPhoneLabel   TEXT\n"), std::string::npos)
      << shown.out;
  EXPECT_NE(shown.out.find("\nRooms: 1 row\n  Room  TEXT\n"), std::string::npos);

  CommandRun json = Run({"show", "--json", Path("stx.mdb")});
  ASSERT_EQ(json.exit_code, 0);
  EXPECT_NE(json.out.find("\"format\":\"sqlite\",\"tables\":[{\"name\":\"Employees\",\"rows\":2,"
                          "\"columns\":[{\"name\":\"EmployeeId\",\"type\":\"INTEGER\"}"),
            std::string::npos)
      << json.out;

  CommandRun missing = Run({"show", Path("none.mdb")});
  EXPECT_EQ(missing.exit_code, 1);
  EXPECT_EQ(missing.err,
            "olconn97 directory show: Could not find file '" + Path("none.mdb") + "'.\n");
  CommandRun failed = Run({"import", Path("Nothing.csv"), "--into", Path("stx.mdb")});
  EXPECT_EQ(failed.exit_code, 1);
  EXPECT_EQ(failed.err.rfind("olconn97 directory import: " + Path("Nothing.csv") + ": ", 0), 0u)
      << failed.err;
}

// Through the reference host and the library's exported entry point, on a
// Jet file as the suite writes the directory.
TEST(DirectoryToolTest, TheHostShowsAJetDirectory) {
  OLC_SKIP_WITHOUT_SHARED_TESTDATA();
  const std::string jet = testing::SharedTestDataDir() + "/jet/testUnicodeCompV2003.mdb";
  if (!std::filesystem::exists(jet)) GTEST_SKIP() << "no Jet test file at " << jet;
  TempDir home;
  testing::ToolRun shown = testing::RunHostTool(home, "directory show --json '" + jet + "'");
  ASSERT_EQ(shown.exit_code, 0) << ReadFile(home.Child("stderr"));
  EXPECT_EQ(shown.out, "{\"file\":\"" + jet +
                           "\",\"format\":\"jet\",\"tables\":[{\"name\":\"Table\",\"rows\":8,"
                           "\"columns\":[{\"name\":\"ID\",\"type\":\"INTEGER\"},"
                           "{\"name\":\"Unicode\",\"type\":\"TEXT\"}]}]}\n");

  WriteFile(home.Child("cut.mdb"), ReadFile(jet).substr(0, 5000));
  testing::ToolRun cut =
      testing::RunHostTool(home, "directory show '" + home.Child("cut.mdb") + "'");
  EXPECT_EQ(cut.exit_code, 1);
  EXPECT_NE(ReadFile(home.Child("stderr")).find("is damaged: it is cut short"), std::string::npos);

  WriteFile(home.Child("Employees.csv"), "EmployeeId,LastName\n1,Hall\n");
  testing::ToolRun imported =
      testing::RunHostTool(home, "directory import '" + home.Child("Employees.csv") + "' --into '" +
                                     home.Child("stx.mdb") + "'");
  EXPECT_EQ(imported.exit_code, 0) << ReadFile(home.Child("stderr"));
  EXPECT_EQ(imported.out, "Created " + home.Child("stx.mdb") + "\n  Employees: 1 row\n");
}

}  // namespace
}  // namespace olconn97
