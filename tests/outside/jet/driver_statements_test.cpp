// The driver's own statements against the cache and the employee directory.
#include <gtest/gtest.h>

#include "export/directory_schema.h"
#include "outside/jet/database.h"
#include "outside/jet/jet_test_support.h"
#include "outside/jet/like.h"

namespace olconn97::jet {
namespace {

using testing::CacheRow;
using testing::JetTest;

constexpr char kNameSearch[] = "Select * From TCache Where Name Like ? Order By Name";
constexpr char kPhoneSearch[] = "Select * From TCache Where PhoneNumber Like ? Order By Name";

class JetCacheStatementsTest : public JetTest {
 protected:
  void SetUp() override {
    db_ = OpenCache();
    ASSERT_NE(db_, nullptr);
    AddCacheRows(*db_, {{"0123456", "E1", "Müller, Hans"},
                        {"0987654", "E1", "Müller, Hans"},
                        {"0123999", "E2", "zimmer, Anna"},
                        {"5550123", "E3", "Muller, Ute"},
                        {"", "E4", "&&&"},
                        {"0123777", "E5", "Adams, Bo"}});
  }
  std::vector<std::string> Names(const char* select, const std::string& pattern) {
    return Select(*db_, select, {{pattern}}, "Name");
  }

  std::unique_ptr<Database> db_;
};

TEST_F(JetCacheStatementsTest, SearchesMatchLikeAndSortByName) {
  EXPECT_EQ(Names(kPhoneSearch, "0123*"),
            (std::vector<std::string>{"Adams, Bo", "Müller, Hans", "zimmer, Anna"}));
  EXPECT_EQ(Names(kPhoneSearch, "*0123"), (std::vector<std::string>{"Muller, Ute"}));
  EXPECT_EQ(Names(kPhoneSearch, "0987654"), (std::vector<std::string>{"Müller, Hans"}));
  EXPECT_EQ(Names(kPhoneSearch, "12[#]4"), (std::vector<std::string>{}));
  // Accents beside their letter, case ignored, equal names in written order.
  EXPECT_EQ(Names(kNameSearch, "*"),
            (std::vector<std::string>{"&&&", "Adams, Bo", "Müller, Hans", "Müller, Hans",
                                      "Muller, Ute", "zimmer, Anna"}));
  EXPECT_EQ(Names(kNameSearch, "MÜ*"), (std::vector<std::string>{"Müller, Hans", "Müller, Hans"}));
  EXPECT_EQ(Names(kNameSearch, "Z*"), (std::vector<std::string>{"zimmer, Anna"}));
  EXPECT_EQ(Select(*db_, kNameSearch, {{"Müller*"}}, "PhoneNumber"),
            (std::vector<std::string>{"0123456", "0987654"}));
  // A statement run again keeps its literals and takes the new values.
  const char* mixed = "Select * From TCache Where Name Like \"*n*\" And EntryID = ? Order By Name";
  EXPECT_EQ(Select(*db_, mixed, {{"E1"}}, "PhoneNumber"),
            (std::vector<std::string>{"0123456", "0987654"}));
  EXPECT_EQ(Select(*db_, mixed, {{"E2"}}, "PhoneNumber"), (std::vector<std::string>{"0123999"}));
  EXPECT_EQ(Select(*db_, mixed, {{"E3"}}, "PhoneNumber"), (std::vector<std::string>{}));
  EXPECT_EQ(Select(*db_, mixed, {}, "PhoneNumber"),
            (std::vector<std::string>{"<Too few parameters. Expected 1, given 0.>"}));
  // The literal spelling of the same statements.
  EXPECT_EQ(Select(*db_, "Select * From TCache Where Name Like \"A*\" Order By Name", {}, "Name"),
            (std::vector<std::string>{"Adams, Bo"}));
}

// How a caller narrows a phone search to an index range: the pattern's
// literal prefix bounds the rows, Like decides.
TEST_F(JetCacheStatementsTest, LikeCombinesWithAPrefixRange) {
  const char* ranged =
      "Select * From TCache Where PhoneNumber Like ? And PhoneNumber >= ? And PhoneNumber < ? "
      "Order By Name";
  for (const char* pattern : {"0123*", "01239#9", "0987654"}) {
    Result<LikePattern> compiled = LikePattern::Compile(pattern);
    ASSERT_TRUE(compiled.ok());
    std::string prefix = compiled.value().LiteralPrefix();
    std::optional<std::string> bound = PrefixUpperBound(prefix);
    ASSERT_TRUE(bound.has_value());
    std::vector<std::string> found =
        Select(*db_, ranged, {{pattern}, {prefix}, {*bound}}, "PhoneNumber");
    EXPECT_FALSE(found.empty()) << pattern;
    EXPECT_EQ(found, Select(*db_, kPhoneSearch, {{pattern}}, "PhoneNumber")) << pattern;
  }
}

TEST_F(JetCacheStatementsTest, DeletesEmptyByEntryIdOrEverything) {
  EXPECT_EQ(db_->Execute("Delete * From TCache Where EntryID = ?", {{"E1"}}).value_or(-1), 2);
  EXPECT_EQ(db_->Execute("Delete * From TCache Where EntryID = \"E2\"", {}).value_or(-1), 1);
  EXPECT_EQ(Names(kNameSearch, "*"), (std::vector<std::string>{"&&&", "Adams, Bo", "Muller, Ute"}));
  EXPECT_EQ(db_->Execute("Delete * From TCache", {}).value_or(-1), 3);
  EXPECT_EQ(Names(kNameSearch, "*"), (std::vector<std::string>{}));
}

TEST_F(JetCacheStatementsTest, HostileValuesAreFoundLiterallyAndHarmNothing) {
  const std::vector<std::string> hostile = {"say \"hi\"", "'; DROP TABLE TCache; --",
                                            std::string("nul\0inside", 10),
                                            std::string(10 * 1024, 'x') + "\"'", "\" Or \"\"=\""};
  for (size_t i = 0; i < hostile.size(); ++i) {
    AddCacheRows(*db_, {{"1", hostile[i], hostile[i]}});
  }
  for (const std::string& value : hostile) {
    // As a Like pattern (none holds a wildcard) and as an equality.
    EXPECT_EQ(Select(*db_, kNameSearch, {{value}}, "EntryID"), (std::vector<std::string>{value}));
    EXPECT_EQ(db_->Execute("Delete * From TCache Where EntryID = ?", {{value}}).value_or(-1), 1);
  }
  EXPECT_EQ(Names(kNameSearch, "*").size(), 6u);  // the table and its other rows are intact
}

class JetDirectoryTest : public JetTest {
 protected:
  void SetUp() override {
    db_ = CreateAndOpen("stx.mdb", std::string(DirectorySchemaSql()).c_str());
    ASSERT_NE(db_, nullptr);
    const char* setup[] = {
        "Insert Into Employees (EmployeeId, LastName, FirstName, AssistantID) "
        "Values (1, 'Hall', 'Reception', Null)",
        "Insert Into Employees (EmployeeId, LastName, FirstName, AssistantID) "
        "Values (2, 'Berg', 'Ida', 7)",
        "Insert Into Employees (EmployeeId, LastName, FirstName) Values (3, 'Cole', 'Max')",
        "Insert Into BLFPagesContents Values (1, 1, 0)",
        "Insert Into BLFPagesContents Values (2, 1, 2)",
        "Insert Into BLFPagesContents Values (2, 2, 0)",
        "Insert Into BLFPagesContents Values (3, 2, 0)",
        "Insert Into [Default] (MobilePhoneLabel) Values ('Handy')",
    };
    for (const char* statement : setup) {
      ASSERT_TRUE(db_->Execute(statement, {}).ok()) << statement;
    }
  }
  std::unique_ptr<Database> db_;
};

TEST_F(JetDirectoryTest, PageQueriesJoinWithQualifiedFieldNames) {
  const char* page1 =
      "Select * from BLFPagesContents, Employees where Employees.EmployeeId = "
      "BLFPagesContents.EmployeeId and BindToEmployee = 0 and BLFpageId = 1";
  const char* page2 =
      "Select * from BLFPagesContents, Employees where Employees.EmployeeId = "
      "BLFPagesContents.EmployeeId and BLFpageId = 2";
  EXPECT_EQ(Select(*db_, page1, {}, "Employees.EmployeeID"), (std::vector<std::string>{"1"}));
  EXPECT_EQ(Select(*db_, page2, {}, "employees.employeeid"), (std::vector<std::string>{"2", "3"}));
  EXPECT_EQ(Select(*db_, page2, {}, "LastName"), (std::vector<std::string>{"Berg", "Cole"}));

  auto rows = db_->OpenRecordset(page2, RecordsetType::kDynaset, {});
  ASSERT_TRUE(rows.ok());
  Recordset& page = *rows.value();
  EXPECT_EQ(page.GetField("BLFPagesContents.BLFpageId").value(), Value(int64_t{2}));
  // Both tables have the column: the bare name is no answer.
  EXPECT_EQ(page.GetField("EmployeeId").status().code(), Code::kNotFound);
  // An update reaches the table the field comes from.
  JET_ASSERT_OK(page.Edit());
  JET_ASSERT_OK(page.SetField("Employees.FirstName", "Ida Maria"));
  JET_ASSERT_OK(page.Update());
  EXPECT_EQ(
      Select(*db_, "Select * from Employees where EmployeeId = ?", {{int64_t{2}}}, "FirstName"),
      (std::vector<std::string>{"Ida Maria"}));
  EXPECT_EQ(page.Delete().code(), Code::kInvalidArgument);
}

TEST_F(JetDirectoryTest, EmployeeAndDefaultRecords) {
  auto employee = db_->OpenRecordset("Select * from Employees where EmployeeId = ?",
                                     RecordsetType::kDynaset, {{"2"}});  // text finds the number
  ASSERT_TRUE(employee.ok());
  EXPECT_FALSE(employee.value()->Eof());
  EXPECT_EQ(employee.value()->GetField("AssistantID").value().AsInt32().value_or(0), 7);

  auto reception = db_->OpenRecordset("Select * from Employees where EmployeeId = ?",
                                      RecordsetType::kDynaset, {{int64_t{1}}});
  ASSERT_TRUE(reception.ok());
  EXPECT_FALSE(reception.value()->GetField("AssistantID").value().AsInt32().ok());  // null

  auto nobody = db_->OpenRecordset("Select * from Employees where EmployeeId = ?",
                                   RecordsetType::kDynaset, {{"1 or 1=1"}});
  ASSERT_TRUE(nobody.ok());
  EXPECT_TRUE(nobody.value()->Eof());

  EXPECT_EQ(Select(*db_, "select * from Default", {}, "MobilePhoneLabel"),
            (std::vector<std::string>{"Handy"}));
}

}  // namespace
}  // namespace olconn97::jet
