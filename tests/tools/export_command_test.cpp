// olconn97 export: the directory mirrored into a folder through the
// library's public interface, and the changes counted from outside.
#include <gtest/gtest.h>

#include <string>

#include "export/directory_schema.h"
#include "outside/jet/dao.h"
#include "test_support.h"

namespace olconn97::testing {
namespace {

class ExportCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    directory_ = home_.Child("stx.mdb");
    ASSERT_TRUE(jet::DBEngine().CreateDatabase(directory_, DirectorySchemaSql()).ok());
    Change("INSERT INTO Employees (EmployeeId, FirstName, LastName, BusinessPhone) VALUES"
           " (1, 'Front', 'Desk', '+33 1 40 00 00 01'), (2, 'Ida', 'Berg', '+33 1 40 00 00 02'),"
           " (3, 'Max', 'Cole', '+33 1 40 00 00 03');"
           "INSERT INTO BLFPagesContents VALUES (1, 1, 0), (2, 2, 0), (3, 2, 0);");
  }
  void Change(const std::string& statements) {
    std::unique_ptr<jet::Database> db = jet::DBEngine().OpenDatabase(directory_).value();
    ASSERT_TRUE(db->ExecuteSchema(statements).ok());
    ASSERT_TRUE(db->Close().ok());
  }
  ToolRun Export(const std::string& operation) {
    return RunHostTool(home_, "export " + operation + " --from '" + directory_ +
                                  "' --folder Colleagues");
  }
  std::string Stderr() { return ReadFile(home_.Child("stderr")); }

  TempDir home_;
  std::string directory_;
};

TEST_F(ExportCommandTest, InitThenSyncCountWhatChangedInTheFolder) {
  ToolRun init = Export("init");
  ASSERT_EQ(init.exit_code, 0) << Stderr();
  EXPECT_NE(init.out.find("/olconn97/pim/Colleagues\n"), std::string::npos) << init.out;
  EXPECT_NE(init.out.find("created 3, updated 0, deleted 0, kept 0"), std::string::npos)
      << init.out;
  EXPECT_NE(Export("sync").out.find("created 0, updated 0, deleted 0, kept 3"), std::string::npos);

  Change("DELETE FROM BLFPagesContents WHERE EmployeeId = 3;"
         "UPDATE Employees SET BusinessPhone = '+33 1 40 00 00 99' WHERE EmployeeId = 1;"
         "INSERT INTO Employees (EmployeeId, FirstName, LastName, BusinessPhone)"
         " VALUES (4, 'Bo', 'Dahl', '+33 1 40 00 00 04');"
         "INSERT INTO BLFPagesContents VALUES (4, 2, 0);");
  ToolRun sync = RunHostTool(home_, "export sync --json --folder Colleagues --from '" +
                                        directory_ + "'");
  ASSERT_EQ(sync.exit_code, 0) << Stderr();
  EXPECT_NE(sync.out.find("\"created\": 1, \"updated\": 1, \"deleted\": 1, \"kept\": 1"),
            std::string::npos)
      << sync.out;
  // The cache followed: the new number finds its contact at once.
  ToolRun found = RunHostTool(home_, "lookup 33140000099 --first");
  EXPECT_EQ(found.exit_code, 0) << found.out << Stderr();
  EXPECT_NE(found.out.find("Desk"), std::string::npos) << found.out;
}

TEST_F(ExportCommandTest, MistakesAreSaidAndChangeNothing) {
  EXPECT_EQ(RunHostTool(home_, "export init --from x.mdb").exit_code, 2);  // no --folder
  EXPECT_EQ(RunHostTool(home_, "export copy --folder A").exit_code, 2);
  ToolRun missing = RunHostTool(home_, "export sync --from '" + home_.Child("none.mdb") +
                                           "' --folder Colleagues");
  EXPECT_EQ(missing.exit_code, 1);
  EXPECT_NE(Stderr().find("none.mdb: No such file or directory"), std::string::npos) << Stderr();
  // A folder name that is taken: the warning, and no export folder.
  ASSERT_EQ(RunHostTool(home_, "store folders").exit_code, 0);
  EXPECT_EQ(RunHostTool(home_, "export init --from '" + directory_ + "' --folder Contacts")
                .exit_code,
            1);
  EXPECT_NE(Stderr().find("A folder with this name already exists"), std::string::npos)
      << Stderr();
}

}  // namespace
}  // namespace olconn97::testing
