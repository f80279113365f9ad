// The employee directory made from CSV files, then read by the driver's own
// directory queries.
#include "export/directory_import.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "outside/jet/dao.h"
#include "outside/jet/jet_test_support.h"

namespace olconn97 {
namespace {

using jet::Value;
using testing::ReadFile;
using testing::WriteFile;

constexpr char kPage1[] =
    "Select * from BLFPagesContents, Employees where Employees.EmployeeId = "
    "BLFPagesContents.EmployeeId and BindToEmployee = 0 and BLFpageId = 1";
constexpr char kPage2[] =
    "Select * from BLFPagesContents, Employees where Employees.EmployeeId = "
    "BLFPagesContents.EmployeeId and BLFpageId = 2";

class DirectoryImportTest : public jet::testing::JetTest {
 protected:
  // Writes `text` to `name` in the temporary folder and gives its path.
  std::string Csv(const std::string& name, const std::string& text) {
    WriteFile(Path(name), text);
    return Path(name);
  }

  Result<DirectoryImport> Import(const std::vector<std::string>& files) {
    return ImportDirectoryCsv(shell_, Path("stx.mdb"), files);
  }

  std::unique_ptr<jet::Database> OpenDirectory() {
    auto opened = engine_.OpenDatabase(Path("stx.mdb"));
    EXPECT_TRUE(opened.ok()) << opened.status().ToString();
    return opened.ok() ? std::move(opened).value() : nullptr;
  }

  // `field` of every row of `select` in the directory.
  std::vector<std::string> Query(const std::string& select, const std::string& field) {
    auto db = OpenDirectory();
    return db ? Select(*db, select, {}, field) : std::vector<std::string>{};
  }

  bool Exists(const std::string& name) { return std::filesystem::exists(Path(name)); }

  // A directory of three people: a reception desk (a phone set on page 1),
  // and two employees on page 2, one of them also bound on page 1.
  std::vector<std::string> ThreePeople() {
    return {Csv("Employees.csv",
                "employeeid,LASTNAME,FirstName,Department,AssistantID,MobilePhoneLabel\n"
                "1,Reception,Desk,,,\n"
                "2,Berg,Ida,Sales,3,Handy\n"
                "3,Cole,Max,Sales,,\n"),
            Csv("BLFPagesContents.csv",
                "EmployeeId,BLFpageId,BindToEmployee\n1,1,0\n2,1,2\n2,2,0\n3,2,0\n"),
            Csv("Default.csv", "BusinessPhoneLabel,MobilePhoneLabel\nOffice,Mobile\n")};
  }

  shell::PosixShell shell_;
};

TEST_F(DirectoryImportTest, ANewDirectoryAnswersTheDirectoryPageQueries) {
  Result<DirectoryImport> imported = Import(ThreePeople());
  ASSERT_TRUE(imported.ok()) << imported.status().ToString();
  EXPECT_TRUE(imported.value().created);
  ASSERT_EQ(imported.value().tables.size(), 3u);
  EXPECT_EQ(imported.value().tables[1].table, "BLFPagesContents");
  EXPECT_EQ(imported.value().tables[1].rows, 4);
  EXPECT_FALSE(imported.value().tables[1].created);

  EXPECT_EQ(Query(kPage1, "Employees.EmployeeID"), (std::vector<std::string>{"1"}));
  EXPECT_EQ(Query(kPage2, "Employees.EmployeeID"), (std::vector<std::string>{"2", "3"}));
  EXPECT_EQ(Query(kPage2, "LastName"), (std::vector<std::string>{"Berg", "Cole"}));
  EXPECT_EQ(Query(kPage2, "AssistantID"), (std::vector<std::string>{"3", ""}));
  EXPECT_EQ(Query("select * from Default", "MobilePhoneLabel"),
            (std::vector<std::string>{"Mobile"}));
  auto db = OpenDirectory();
  auto employee = db->OpenRecordset("Select * from Employees where EmployeeId = 2",
                                    jet::RecordsetType::kDynaset, {});
  ASSERT_TRUE(employee.ok());
  EXPECT_EQ(employee.value()->GetField("AssistantID").value(), Value(int64_t{3}));
  EXPECT_EQ(employee.value()->GetField("Department").value(), Value("Sales"));
  // Not given: empty, not null, so a contact takes the "Default" label.
  EXPECT_EQ(employee.value()->GetField("HomePhoneLabel").value(), Value(""));
  EXPECT_FALSE(Exists("stx.mdb.importing"));
}

TEST_F(DirectoryImportTest, FieldsAreReadAsRfc4180WritesThem) {
  std::string employees =
      "\xEF\xBB\xBF"
      "EmployeeId,LastName,FirstName,BillingInformation,Categories\r\n"
      "7,\"Hall, Jr.\",\"Ann \"\"Nan\"\"\",\"line one\r\nline two\",\r\n"
      "+8,Ödegård,\"\",\"a,b\nc\",2 (Employees)\r\n";
  ASSERT_TRUE(Import({Csv("Employees.CSV", employees)}).ok());
  auto db = OpenDirectory();
  auto rows = db->OpenRecordset("Employees", jet::RecordsetType::kTable, {});
  ASSERT_TRUE(rows.ok());
  jet::Recordset& row = *rows.value();
  EXPECT_EQ(row.GetField("EmployeeId").value(), Value(int64_t{7}));
  EXPECT_EQ(row.GetField("LastName").value(), Value("Hall, Jr."));
  EXPECT_EQ(row.GetField("FirstName").value(), Value("Ann \"Nan\""));
  EXPECT_EQ(row.GetField("BillingInformation").value(), Value("line one\r\nline two"));
  EXPECT_EQ(row.GetField("Categories").value(), Value(""));
  ASSERT_TRUE(row.MoveNext().ok());
  EXPECT_EQ(row.GetField("EmployeeId").value(), Value(int64_t{8}));
  EXPECT_EQ(row.GetField("LastName").value(), Value("Ödegård"));
  EXPECT_EQ(row.GetField("FirstName").value(), Value(""));
  EXPECT_EQ(row.GetField("BillingInformation").value(), Value("a,b\nc"));
  EXPECT_EQ(row.GetField("Categories").value(), Value("2 (Employees)"));
}

// Any failure leaves the directory as it was: nothing of the files that
// were read before the failing one, no table made from a header, and no
// directory file where there was none.
TEST_F(DirectoryImportTest, AFailureLeavesTheDirectoryAsItWas) {
  std::vector<std::string> broken = {
      Csv("Employees.csv", "EmployeeId,LastName\n10,New\n"), Csv("Rooms.csv", "Room,Floor\nA1,1\n"),
      Csv("BLFPagesContents.csv", "EmployeeId,BLFpageId,BindToEmployee\n10,2,0\n10,two,0\n")};
  Result<DirectoryImport> into_nothing = Import(broken);
  EXPECT_EQ(into_nothing.status().description(),
            Path("BLFPagesContents.csv") +
                ":3: \"two\" is no number, and the column BLFpageId holds numbers");
  EXPECT_FALSE(Exists("stx.mdb"));
  EXPECT_FALSE(Exists("stx.mdb.importing"));

  ASSERT_TRUE(Import(ThreePeople()).ok());
  EXPECT_FALSE(Import(broken).ok());
  EXPECT_EQ(Query("Select * From Employees", "LastName"),
            (std::vector<std::string>{"Reception", "Berg", "Cole"}));
  EXPECT_EQ(Query("Select * From Rooms", "Room").at(0).rfind("<", 0), 0u);  // no such table

  // A key used twice fails at its line.
  Result<DirectoryImport> twice =
      Import({Csv("Employees.csv", "EmployeeId,LastName\n20,Dunn\n2,Again\n")});
  EXPECT_EQ(twice.status().description().rfind(Path("Employees.csv") + ":3: ", 0), 0u)
      << twice.status().description();
  EXPECT_EQ(Query("Select * From Employees Where EmployeeId = 20", "LastName"),
            std::vector<std::string>{});
  // Records that do not fit the header.
  EXPECT_EQ(Import({Csv("Default.csv", "MobilePhoneLabel,HomePhoneLabel\nMobile\n")})
                .status()
                .description(),
            Path("Default.csv") + ":2: 1 fields where the header names 2 columns");
}

TEST_F(DirectoryImportTest, AColumnTheTableLacksIsRefused) {
  ASSERT_TRUE(Import(ThreePeople()).ok());
  Result<DirectoryImport> unknown =
      Import({Csv("Employees.csv", "EmployeeId,LastName,Nickname\n30,Eck,Ed\n")});
  EXPECT_EQ(unknown.status().code(), Code::kInvalidArgument);
  EXPECT_EQ(unknown.status().description(),
            Path("Employees.csv") + ":1: the table Employees has no column \"Nickname\"");
  EXPECT_EQ(Query("Select * From Employees Where EmployeeId = 30", "LastName"),
            std::vector<std::string>{});
}

TEST_F(DirectoryImportTest, ANewTableTakesItsTypesFromItsFields) {
  ASSERT_TRUE(Import(ThreePeople()).ok());
  Result<DirectoryImport> rooms =
      Import({Csv("Rooms.csv", "Room,Floor,Area,Phone\nA1,1,20.5,0123\nB2,,18,\n")});
  ASSERT_TRUE(rooms.ok()) << rooms.status().ToString();
  EXPECT_FALSE(rooms.value().created);
  EXPECT_TRUE(rooms.value().tables[0].created);
  auto db = OpenDirectory();
  std::vector<std::string> types;
  for (const jet::TableDef& table : db->TableDefs().value()) {
    if (table.name != "Rooms") continue;
    for (const jet::FieldDef& field : table.fields) types.push_back(field.name + " " + field.type);
  }
  // A number written with a leading zero is text that only looks like one.
  EXPECT_EQ(types,
            (std::vector<std::string>{"Room TEXT", "Floor INTEGER", "Area REAL", "Phone TEXT"}));
  EXPECT_EQ(Query("Select * From Rooms", "Phone"), (std::vector<std::string>{"0123", ""}));
  EXPECT_EQ(Query("Select * From Rooms Where Area > 19", "Room"), (std::vector<std::string>{"A1"}));
}

TEST_F(DirectoryImportTest, AJetFileIsNotImportedInto) {
  OLC_SKIP_WITHOUT_SHARED_TESTDATA();
  const std::string jet = testing::SharedTestDataDir() + "/jet/testV1997.mdb";
  if (!std::filesystem::exists(jet)) GTEST_SKIP() << "no Jet test file at " << jet;
  WriteFile(Path("stx.mdb"), ReadFile(jet));
  Result<DirectoryImport> refused = Import(ThreePeople());
  EXPECT_EQ(refused.status().code(), Code::kInvalidArgument);
  EXPECT_NE(refused.status().description().find("is a Jet file"), std::string::npos)
      << refused.status().description();
  EXPECT_EQ(ReadFile(Path("stx.mdb")), ReadFile(jet));
}

}  // namespace
}  // namespace olconn97
