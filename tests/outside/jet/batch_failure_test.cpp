// A batch of writes (a walk's) whose one write fails is undone whole: a
// contact's rows are deleted and written again in one batch, and keeping
// the deletion without all the new rows would lose the contact.
#include <gtest/gtest.h>

#include "outside/jet/dao.h"
#include "outside/jet/database.h"
#include "outside/jet/jet_test_support.h"

namespace olconn97::jet {
namespace {

using testing::JetTest;

int64_t Count(Database& database, const std::string& entry_id) {
  Result<std::unique_ptr<Recordset>> rows = database.OpenRecordset(
      "Select * From TCache Where EntryID = ?", RecordsetType::kDynaset, {{entry_id}});
  if (!rows.ok()) return -1;
  (void)rows.value()->MoveLast();
  return rows.value()->RecordCount().value_or(-1);
}

TEST_F(JetTest, AFailedWriteUndoesItsWholeBatchAndTheNextBatchStartsAfresh) {
  auto db = OpenCache();
  ASSERT_TRUE(db);
  JET_ASSERT_OK(db->Execute("Insert Into TCache (EntryID) Values (?)", {{"E1"}}).status());
  db->SetCommitEvery(100);
  // E1's rows replaced: the deletion, then a write that fails.
  JET_ASSERT_OK(db->Execute("Delete * From TCache Where EntryID = ?", {{"E1"}}).status());
  EXPECT_EQ(Count(*db, "E1"), 0);
  EXPECT_FALSE(db->Execute("Insert Into TCache (EntryIdd) Values (?)", {{"E1"}}).ok());
  EXPECT_EQ(Count(*db, "E1"), 1);  // the deletion went with it
  JET_ASSERT_OK(db->Commit());
  // Later writes make a batch of their own, which commits as usual.
  JET_ASSERT_OK(db->Execute("Insert Into TCache (EntryID) Values (?)", {{"E2"}}).status());
  JET_ASSERT_OK(db->Commit());
  auto other = engine_.OpenDatabase(Path("Connector.mdb"));
  ASSERT_TRUE(other.ok());
  EXPECT_EQ(Count(*other.value(), "E1"), 1);
  EXPECT_EQ(Count(*other.value(), "E2"), 1);
}

}  // namespace
}  // namespace olconn97::jet
