#include "outside/jet/recordset.h"

#include <gtest/gtest.h>

#include "outside/jet/jet_test_support.h"

namespace olconn97::jet {
namespace {

using testing::CacheRow;
using testing::JetTest;

constexpr char kByName[] = "Select * From TCache Where Name Like ? Order By Name";

class JetRecordsetTest : public JetTest {
 protected:
  void SetUp() override {
    db_ = OpenCache();
    ASSERT_NE(db_, nullptr);
  }
  std::unique_ptr<Recordset> Open(const char* source, RecordsetType type,
                                  std::vector<Value> params = {}) {
    Result<std::unique_ptr<Recordset>> opened = db_->OpenRecordset(source, type, params);
    EXPECT_TRUE(opened.ok()) << source << ": " << opened.status().ToString();
    return opened.ok() ? std::move(opened).value() : nullptr;
  }
  int64_t Count(Recordset& recordset) { return recordset.RecordCount().value_or(-1); }
  void AddFive() {
    AddCacheRows(*db_, {{"5", "E5", "Eve"},
                        {"1", "E1", "Adam"},
                        {"3", "E3", "Carl"},
                        {"2", "E2", "Bea"},
                        {"4", "E4", "Dora"}});
  }

  std::unique_ptr<Database> db_;
};

void ExpectNoCurrentRecord(const Status& status) {
  EXPECT_EQ(status.code(), Code::kNotFound);
  EXPECT_EQ(status.description(), "No current record.");
}

TEST_F(JetRecordsetTest, EmptyResultsOfBothTypes) {
  auto table = Open("TCache", RecordsetType::kTable);
  auto dynaset = Open(kByName, RecordsetType::kDynaset, {"*"});
  ASSERT_TRUE(table && dynaset);
  for (Recordset* recordset : {table.get(), dynaset.get()}) {
    EXPECT_TRUE(recordset->Eof());
    EXPECT_TRUE(recordset->Bof());
    EXPECT_EQ(Count(*recordset), 0);
    ExpectNoCurrentRecord(recordset->MoveFirst());
    ExpectNoCurrentRecord(recordset->MoveLast());
    ExpectNoCurrentRecord(recordset->MoveNext());
    ExpectNoCurrentRecord(recordset->MovePrevious());
    ExpectNoCurrentRecord(recordset->GetField("Name").status());
    ExpectNoCurrentRecord(recordset->Edit());
    ExpectNoCurrentRecord(recordset->Delete());
    EXPECT_TRUE(recordset->Eof() && recordset->Bof());
  }
}

TEST_F(JetRecordsetTest, OneRowWalkedPastBothEnds) {
  AddCacheRows(*db_, {{"0123", "E1", "Smith"}});
  auto table = Open("TCache", RecordsetType::kTable);
  auto dynaset = Open(kByName, RecordsetType::kDynaset, {"sm*"});
  ASSERT_TRUE(table && dynaset);
  for (Recordset* recordset : {table.get(), dynaset.get()}) {
    EXPECT_FALSE(recordset->Eof() || recordset->Bof());
    EXPECT_EQ(Count(*recordset), 1);
    EXPECT_EQ(recordset->GetField("name").value(), Value("Smith"));
    JET_EXPECT_OK(recordset->MoveNext());
    EXPECT_TRUE(recordset->Eof());
    EXPECT_FALSE(recordset->Bof());
    ExpectNoCurrentRecord(recordset->GetField("Name").status());
    ExpectNoCurrentRecord(recordset->MoveNext());
    JET_EXPECT_OK(recordset->MovePrevious());  // back from the end to the last row
    EXPECT_EQ(recordset->GetField("EntryID").value(), Value("E1"));
    JET_EXPECT_OK(recordset->MovePrevious());
    EXPECT_TRUE(recordset->Bof());
    EXPECT_FALSE(recordset->Eof());
    ExpectNoCurrentRecord(recordset->MovePrevious());
    JET_EXPECT_OK(recordset->MoveNext());  // from before the first to the first
    EXPECT_EQ(recordset->GetField("PhoneNumber").value(), Value("0123"));
  }
}

TEST_F(JetRecordsetTest, DynasetCountsRowsReachedAndKeepsQueryOrder) {
  AddFive();
  auto dynaset = Open(kByName, RecordsetType::kDynaset, {"*"});
  ASSERT_TRUE(dynaset);
  EXPECT_EQ(Count(*dynaset), 1);
  JET_EXPECT_OK(dynaset->MoveNext());
  EXPECT_EQ(Count(*dynaset), 2);
  JET_EXPECT_OK(dynaset->MoveLast());
  EXPECT_EQ(Count(*dynaset), 5);
  EXPECT_EQ(dynaset->GetField("Name").value(), Value("Eve"));
  JET_EXPECT_OK(dynaset->MoveFirst());
  EXPECT_EQ(Count(*dynaset), 5);
  EXPECT_EQ(Walk(*dynaset, "Name"),
            (std::vector<std::string>{"Adam", "Bea", "Carl", "Dora", "Eve"}));
}

// A snapshot is the result as it was when it opened: later changes do not
// reach it, and it changes nothing.
TEST_F(JetRecordsetTest, SnapshotReadsEveryRowOnceAndIsReadOnly) {
  AddFive();
  auto snapshot = Open(kByName, RecordsetType::kSnapshot, {"*"});
  ASSERT_TRUE(snapshot);
  EXPECT_EQ(Count(*snapshot), 1);
  ASSERT_TRUE(db_->Execute("Delete * From TCache Where Name = ?", {"Bea"}).ok());
  JET_ASSERT_OK(db_->Execute("Update TCache Set Name = ? Where Name = ?", {"Zoe", "Eve"}).status());
  EXPECT_EQ(Walk(*snapshot, "Name"),
            (std::vector<std::string>{"Adam", "Bea", "Carl", "Dora", "Eve"}));
  EXPECT_EQ(Count(*snapshot), 5);
  JET_EXPECT_OK(snapshot->MoveFirst());
  for (Status refused : {snapshot->Edit(), snapshot->Delete(), snapshot->AddNew()}) {
    EXPECT_EQ(refused.description(), "Database or object is read-only.");
  }
  EXPECT_EQ(snapshot->GetField("EntryID").value(), Value("E1"));
  auto empty = Open(kByName, RecordsetType::kSnapshot, {"nobody"});
  ASSERT_TRUE(empty);
  EXPECT_TRUE(empty->Eof() && empty->Bof());
}

TEST_F(JetRecordsetTest, TableTypeWalksTheWholeTableAsItIsNow) {
  AddFive();
  auto table = Open("tcache", RecordsetType::kTable);
  ASSERT_TRUE(table);
  EXPECT_EQ(Count(*table), 5);
  JET_ASSERT_OK(table->MoveLast());
  EXPECT_EQ(table->GetField("Name").value(), Value("Dora"));
  // A row added now is counted, and the cursor stays where it was.
  JET_ASSERT_OK(table->AddNew());
  JET_ASSERT_OK(table->SetField("Name", "Fred"));
  EXPECT_EQ(table->GetField("Name").value(), Value("Fred"));  // the pending row
  EXPECT_TRUE(table->GetField("PhoneNumber").value().is_null());
  JET_ASSERT_OK(table->Update());
  EXPECT_EQ(Count(*table), 6);
  EXPECT_EQ(table->GetField("Name").value(), Value("Dora"));
  JET_ASSERT_OK(table->MoveFirst());
  EXPECT_EQ(Walk(*table, "Name"),
            (std::vector<std::string>{"Eve", "Adam", "Carl", "Bea", "Dora", "Fred"}));
  EXPECT_EQ(db_->OpenRecordset("Select * From TCache", RecordsetType::kTable, {}).status().code(),
            Code::kInvalidArgument);  // not a table name
  Result<std::unique_ptr<Recordset>> missing =
      db_->OpenRecordset("NoSuchTable", RecordsetType::kTable, {});
  EXPECT_EQ(missing.status().code(), Code::kNotFound);
}

// A writer that finds its fields once and sets them by position, row after
// row; a row the table refuses stays pending with every value set.
TEST_F(JetRecordsetTest, FieldsSetByPositionAndARefusedRowStaysPending) {
  JET_ASSERT_OK(db_->ExecuteSchema("CREATE TABLE Strict (Name TEXT, AutoSelect INTEGER NOT NULL)"));
  auto table = Open("Strict", RecordsetType::kTable);
  ASSERT_TRUE(table);
  Result<size_t> name = table->FieldPosition("name");
  Result<size_t> auto_select = table->FieldPosition("AutoSelect");
  ASSERT_TRUE(name.ok() && auto_select.ok());
  EXPECT_EQ(table->FieldPosition("Nope").status().code(), Code::kNotFound);
  EXPECT_EQ(table->SetFieldAt(name.value(), "Fred").code(), Code::kFailed);  // nothing pending
  JET_ASSERT_OK(table->AddNew());
  EXPECT_EQ(table->SetFieldAt(99, "x").code(), Code::kNotFound);
  JET_ASSERT_OK(table->SetFieldAt(name.value(), "Fred"));
  JET_ASSERT_OK(table->SetFieldAt(auto_select.value(), Value()));
  EXPECT_FALSE(table->Update().ok());
  EXPECT_EQ(table->GetField("Name").value(), Value("Fred"));
  JET_ASSERT_OK(table->SetFieldAt(auto_select.value(), Value::Boolean(true)));
  JET_ASSERT_OK(table->Update());
  JET_ASSERT_OK(table->MoveFirst());
  EXPECT_EQ(table->GetField("Name").value(), Value("Fred"));
}

TEST_F(JetRecordsetTest, EditUpdateAndCancelChangeTheRowByItsKey) {
  AddCacheRows(*db_, {{"1", "E1", "&&&"}, {"2", "E2", "&&&"}, {"3", "E3", "Zoe"}});
  auto dynaset = Open(kByName, RecordsetType::kDynaset, {"&&&"});
  ASSERT_TRUE(dynaset);
  EXPECT_EQ(dynaset->SetField("Name", "x").description(),
            "Update or CancelUpdate without AddNew or Edit.");
  EXPECT_FALSE(dynaset->Update().ok());
  EXPECT_FALSE(dynaset->CancelUpdate().ok());

  JET_ASSERT_OK(dynaset->Edit());
  JET_ASSERT_OK(dynaset->SetField("NAME", "Smith, Ann"));
  EXPECT_EQ(dynaset->GetField("Name").value(), Value("Smith, Ann"));
  JET_ASSERT_OK(dynaset->Update());
  EXPECT_EQ(dynaset->GetField("Name").value(), Value("Smith, Ann"));

  JET_ASSERT_OK(dynaset->MoveNext());
  JET_ASSERT_OK(dynaset->Edit());
  JET_ASSERT_OK(dynaset->SetField("Name", "dropped"));
  JET_ASSERT_OK(dynaset->CancelUpdate());
  EXPECT_EQ(dynaset->GetField("Name").value(), Value("&&&"));
  JET_ASSERT_OK(dynaset->Edit());
  JET_ASSERT_OK(dynaset->SetField("Name", "dropped by the move"));
  JET_ASSERT_OK(dynaset->MoveFirst());
  EXPECT_EQ(dynaset->SetField("Name", "x").code(), Code::kFailed);  // the move ended the edit

  EXPECT_EQ(Select(*db_, "Select * From TCache Order By EntryID", {}, "Name"),
            (std::vector<std::string>{"Smith, Ann", "&&&", "Zoe"}));
  EXPECT_EQ(dynaset->AddNew().code(), Code::kInvalidArgument);  // table-type only
}

TEST_F(JetRecordsetTest, DeleteRemovesTheCurrentRowAndMovesOnFromItsPlace) {
  AddFive();
  auto dynaset = Open(kByName, RecordsetType::kDynaset, {"*"});
  ASSERT_TRUE(dynaset);
  JET_ASSERT_OK(dynaset->MoveNext());  // Bea
  JET_ASSERT_OK(dynaset->MoveNext());  // Carl
  EXPECT_EQ(Count(*dynaset), 3);
  JET_ASSERT_OK(dynaset->Delete());
  EXPECT_EQ(dynaset->GetField("Name").status().description(), "Record is deleted.");
  EXPECT_EQ(dynaset->Delete().description(), "Record is deleted.");
  EXPECT_EQ(Count(*dynaset), 2);
  JET_ASSERT_OK(dynaset->MoveNext());
  EXPECT_EQ(dynaset->GetField("Name").value(), Value("Dora"));
  JET_ASSERT_OK(dynaset->MovePrevious());
  EXPECT_EQ(dynaset->GetField("Name").value(), Value("Bea"));
  JET_ASSERT_OK(dynaset->MoveLast());
  EXPECT_EQ(Count(*dynaset), 4);

  auto table = Open("TCache", RecordsetType::kTable);
  ASSERT_TRUE(table);
  JET_ASSERT_OK(table->Delete());  // Eve, the first row written
  EXPECT_EQ(table->GetField("Name").status().description(), "Record is deleted.");
  JET_ASSERT_OK(table->MoveNext());
  EXPECT_EQ(Walk(*table, "Name"), (std::vector<std::string>{"Adam", "Bea", "Dora"}));
}

TEST_F(JetRecordsetTest, RowsDeletedByOthersReadAsDeleted) {
  AddFive();
  auto dynaset = Open(kByName, RecordsetType::kDynaset, {"*"});
  auto other = Open(kByName, RecordsetType::kDynaset, {"B*"});
  ASSERT_TRUE(dynaset && other);
  ASSERT_EQ(db_->Execute("Delete * From TCache Where EntryID = ?", {{"E3"}}).value_or(-1), 1);
  JET_ASSERT_OK(other->Delete());  // Bea, through another cursor
  JET_ASSERT_OK(dynaset->MoveNext());
  EXPECT_EQ(dynaset->GetField("Name").status().description(), "Record is deleted.");
  EXPECT_EQ(dynaset->Edit().description(), "Record is deleted.");
  EXPECT_EQ(dynaset->Delete().description(), "Record is deleted.");
  JET_ASSERT_OK(dynaset->MoveNext());
  EXPECT_EQ(dynaset->GetField("Name").status().description(), "Record is deleted.");
  JET_ASSERT_OK(dynaset->MoveNext());
  EXPECT_EQ(dynaset->GetField("Name").value(), Value("Dora"));
  // The holes stay in place: the count covers every key taken at open.
  JET_ASSERT_OK(dynaset->MoveLast());
  EXPECT_EQ(Count(*dynaset), 5);
}

TEST_F(JetRecordsetTest, ValuesReadBackWithTheirTypes) {
  AddCacheRows(*db_, {{"", "E1", "Ann"}});
  ASSERT_TRUE(
      db_->Execute("Insert Into TCache (EntryID, AutoSelect) Values (\"E2\", True)", {}).ok());
  auto dynaset = Open("Select * From TCache Order By EntryID", RecordsetType::kDynaset);
  ASSERT_TRUE(dynaset);
  EXPECT_EQ(dynaset->GetField("PhoneNumber").value(), Value(""));  // empty, not null
  EXPECT_EQ(dynaset->GetField("AutoSelect").value(), Value::Boolean(false));
  JET_ASSERT_OK(dynaset->MoveNext());
  Value name = dynaset->GetField("Name").value();
  EXPECT_TRUE(name.is_null());
  EXPECT_EQ(name.ToText(), "");
  EXPECT_EQ(name.AsInt32().status().description(), "Invalid use of Null.");
  EXPECT_EQ(dynaset->GetField("AutoSelect").value(), Value::Boolean(true));
  EXPECT_EQ(dynaset->GetField("NoSuchField").status().code(), Code::kNotFound);
}

TEST_F(JetRecordsetTest, ClosedRecordsetsAndDatabasesFailCleanly) {
  AddFive();
  auto first = Open(kByName, RecordsetType::kDynaset, {"*"});
  auto second = Open("TCache", RecordsetType::kTable);
  ASSERT_TRUE(first && second);
  JET_ASSERT_OK(first->Close());
  EXPECT_FALSE(first->IsOpen());
  EXPECT_EQ(first->MoveNext().code(), Code::kUnavailable);
  EXPECT_EQ(first->GetField("Name").status().description(), "Object invalid or no longer set.");
  JET_ASSERT_OK(db_->Close());
  EXPECT_FALSE(second->IsOpen());
  EXPECT_EQ(second->MoveNext().code(), Code::kUnavailable);
  EXPECT_EQ(second->RecordCount().status().code(), Code::kUnavailable);
  EXPECT_EQ(second->AddNew().code(), Code::kUnavailable);
  EXPECT_EQ(db_->Execute("Delete * From TCache", {}).status().code(), Code::kUnavailable);
  EXPECT_EQ(db_->OpenRecordset("TCache", RecordsetType::kTable, {}).status().code(),
            Code::kUnavailable);
}

}  // namespace
}  // namespace olconn97::jet
