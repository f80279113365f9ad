#include "outside/jet/database.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "outside/jet/dao.h"
#include "outside/jet/jet_test_support.h"

namespace olconn97::jet {
namespace {

using olconn97::testing::ReadFile;
using olconn97::testing::WriteFile;
using testing::JetTest;
using testing::kCacheSchema;

class JetDatabaseTest : public JetTest {
 protected:
  int64_t CountRows(Database& database) {
    Result<std::unique_ptr<Recordset>> table =
        database.OpenRecordset("TCache", RecordsetType::kTable, {});
    return table.ok() ? table.value()->RecordCount().value_or(-1) : -1;
  }
  void Insert(Database& database, const std::string& entry_id) {
    Result<int64_t> inserted =
        database.Execute("Insert Into TCache (EntryID) Values (?)", {{entry_id}});
    ASSERT_TRUE(inserted.ok()) << inserted.status().ToString();
  }
};

TEST_F(JetDatabaseTest, OpeningNeverMakesADatabaseOutOfSomethingElse) {
  Result<std::unique_ptr<Database>> missing = engine_.OpenDatabase(Path("missing.mdb"));
  EXPECT_EQ(missing.status().code(), Code::kNotFound);
  EXPECT_EQ(missing.status().description(), "Could not find file '" + Path("missing.mdb") + "'.");

  WriteFile(Path("notes.mdb"), "this is not a database, only some text of a fair length\n");
  WriteFile(Path("empty.mdb"), "");
  ASSERT_EQ(mkdir(Path("folder.mdb").c_str(), 0700), 0);
  for (const char* file : {"notes.mdb", "empty.mdb", "folder.mdb"}) {
    Result<std::unique_ptr<Database>> opened = engine_.OpenDatabase(Path(file));
    ASSERT_FALSE(opened.ok()) << file;
    EXPECT_EQ(opened.status().code(), Code::kCorrupt) << file;
    EXPECT_NE(opened.status().description().find("Unrecognized database format"),
              std::string::npos);
  }
  EXPECT_EQ(ReadFile(Path("notes.mdb")),
            "this is not a database, only some text of a fair length\n");
  EXPECT_EQ(ReadFile(Path("empty.mdb")), "");
  struct stat info {};
  EXPECT_NE(stat(Path("empty.mdb-wal").c_str(), &info), 0);
}

TEST_F(JetDatabaseTest, CreationIsWholeOrNothingAndNeverReplacesAFile) {
  JET_ASSERT_OK(engine_.CreateDatabase(Path("a.mdb"), kCacheSchema));
  EXPECT_EQ(engine_.CreateDatabase(Path("a.mdb"), kCacheSchema).code(), Code::kAlreadyExists);
  Status broken = engine_.CreateDatabase(Path("b.mdb"), "CREATE TABLE T (a); CREATE TABLE T (b);");
  EXPECT_FALSE(broken.ok());
  struct stat info {};
  EXPECT_NE(stat(Path("b.mdb").c_str(), &info), 0);
  EXPECT_NE(stat(Path("b.mdb.partial").c_str(), &info), 0);

  auto db = engine_.OpenDatabase(Path("a.mdb"));
  ASSERT_TRUE(db.ok());
  Insert(*db.value(), "E1");
  EXPECT_EQ(stat(Path("a.mdb-wal").c_str(), &info), 0);  // write-ahead log
  JET_ASSERT_OK(engine_.CompactCopy(Path("a.mdb"), Path("copy.mdb")));
  EXPECT_EQ(engine_.CompactCopy(Path("a.mdb"), Path("copy.mdb")).code(), Code::kAlreadyExists);
  auto copy = engine_.OpenDatabase(Path("copy.mdb"));
  ASSERT_TRUE(copy.ok());
  EXPECT_EQ(CountRows(*copy.value()), 1);
}

TEST_F(JetDatabaseTest, WorkspacesAreJetForTheAdminOnly) {
  EXPECT_TRUE(engine_.CreateWorkspace("", "admin", "", WorkspaceType::kJet).ok());
  EXPECT_TRUE(engine_.CreateWorkspace("w", "Admin", "", WorkspaceType::kJet).ok());
  EXPECT_EQ(engine_.CreateWorkspace("", "guest", "", WorkspaceType::kJet).status().code(),
            Code::kAccessDenied);
  EXPECT_EQ(engine_.CreateWorkspace("", "admin", "secret", WorkspaceType::kJet).status().code(),
            Code::kAccessDenied);
  EXPECT_EQ(engine_.CreateWorkspace("", "admin", "", WorkspaceType::kOdbc).status().code(),
            Code::kInvalidArgument);

  JET_ASSERT_OK(engine_.CreateDatabase(Path("c.mdb"), kCacheSchema));
  auto workspace = std::move(engine_.CreateWorkspace("", "admin", "", WorkspaceType::kJet)).value();
  auto db = workspace->OpenDatabase(Path("c.mdb"));
  ASSERT_TRUE(db.ok());
  JET_ASSERT_OK(workspace->Close());
  EXPECT_FALSE(db.value()->IsOpen());
  EXPECT_EQ(db.value()->Execute("Delete * From TCache", {}).status().code(), Code::kUnavailable);
  EXPECT_EQ(workspace->OpenDatabase(Path("c.mdb")).status().code(), Code::kUnavailable);
}

TEST_F(JetDatabaseTest, ExecuteRunsChangesOnly) {
  auto db = OpenCache();
  ASSERT_TRUE(db);
  Insert(*db, "E1");
  Insert(*db, "E2");
  EXPECT_EQ(db->Execute("Select * From TCache", {}).status().code(), Code::kInvalidArgument);
  EXPECT_EQ(
      db->Execute("Update TCache Set Name = ? Where EntryID = ?", {{"Ann"}, {"E2"}}).value_or(-1),
      1);
  EXPECT_EQ(Select(*db, "Select * From TCache Where Name = ?", {{"Ann"}}, "EntryID"),
            (std::vector<std::string>{"E2"}));
  // A misspelt name fails instead of being read as a text value.
  EXPECT_FALSE(db->Execute("Delete * From TCache Where EntryIdd = ?", {{"E1"}}).ok());
  EXPECT_FALSE(db->Execute("Delete * From TCache Where [Entry] = ?", {{"E1"}}).ok());
  EXPECT_EQ(CountRows(*db), 2);
  // An invalid Like pattern fails the statement, as the engine reports it.
  Result<std::unique_ptr<Recordset>> bad = db->OpenRecordset(
      "Select * From TCache Where EntryID Like ?", RecordsetType::kDynaset, {{"E[1"}});
  EXPECT_EQ(bad.status().description(), "Invalid pattern string.");
}

TEST_F(JetDatabaseTest, BatchesAreSeenAtOnceHereAndByOthersOnCommit) {
  auto db = OpenCache();
  ASSERT_TRUE(db);
  auto other = engine_.OpenDatabase(Path("Connector.mdb"));
  ASSERT_TRUE(other.ok());
  db->SetCommitEvery(3);
  Insert(*db, "E1");
  Insert(*db, "E2");
  EXPECT_EQ(CountRows(*db), 2);
  EXPECT_EQ(CountRows(*other.value()), 0);
  Insert(*db, "E3");  // the third row commits the batch
  EXPECT_EQ(CountRows(*other.value()), 3);
  Insert(*db, "E4");
  EXPECT_EQ(Select(*db, "Select * From TCache Where EntryID = ?", {{"E4"}}, "EntryID"),
            (std::vector<std::string>{"E4"}));
  EXPECT_EQ(CountRows(*other.value()), 3);
  JET_ASSERT_OK(db->Commit());
  EXPECT_EQ(CountRows(*other.value()), 4);
  Insert(*db, "E5");
  JET_ASSERT_OK(db->Close());
  EXPECT_EQ(CountRows(*other.value()), 5);
}

// Two processes write to one database at once; the one that finds it
// locked waits, and no row is lost.
TEST_F(JetDatabaseTest, TwoProcessesWriteAtOnceWithoutLosingARow) {
  JET_ASSERT_OK(engine_.CreateDatabase(Path("shared.mdb"), kCacheSchema));
  constexpr int kRowsPerWriter = 400;
  pid_t writers[2];
  for (int w = 0; w < 2; ++w) {
    writers[w] = fork();
    ASSERT_GE(writers[w], 0);
    if (writers[w] == 0) {
      DBEngine engine;
      auto db = engine.OpenDatabase(Path("shared.mdb"));
      if (!db.ok()) _exit(10);
      db.value()->SetCommitEvery(w == 0 ? 1 : 50);  // one alone, one holding the lock longer
      for (int i = 0; i < kRowsPerWriter; ++i) {
        std::string id = std::to_string(w) + "-" + std::to_string(i);
        if (!db.value()->Execute("Insert Into TCache (EntryID) Values (?)", {{id}}).ok()) _exit(11);
      }
      _exit(db.value()->Close().ok() ? 0 : 12);
    }
  }
  for (pid_t writer : writers) {
    int status = 0;
    ASSERT_EQ(waitpid(writer, &status, 0), writer);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "exit " << WEXITSTATUS(status);
  }
  auto db = engine_.OpenDatabase(Path("shared.mdb"));
  ASSERT_TRUE(db.ok());
  EXPECT_EQ(CountRows(*db.value()), 2 * kRowsPerWriter);
  for (const char* last : {"0-399", "1-399"}) {
    EXPECT_EQ(Select(*db.value(), "Select * From TCache Where EntryID = ?", {{last}}, "EntryID"),
              (std::vector<std::string>{last}));
  }
}

// A transaction commits whole or not at all: batches that fill up inside it
// do not commit, another process sees nothing before CommitTrans, and a
// Rollback leaves nothing behind.
TEST_F(JetDatabaseTest, ATransactionCommitsWholeOrNotAtAll) {
  std::unique_ptr<Database> writer = OpenCache();
  ASSERT_TRUE(writer);
  Result<std::unique_ptr<Database>> reader = engine_.OpenDatabase(Path("Connector.mdb"));
  ASSERT_TRUE(reader.ok());
  writer->SetCommitEvery(2);
  ASSERT_TRUE(writer->BeginTrans().ok());
  for (const char* id : {"a", "b", "c", "d", "e"}) Insert(*writer, id);
  ASSERT_TRUE(writer->Commit().ok());  // a batch's commit waits for the transaction
  ASSERT_TRUE(writer->ExecuteSchema("CREATE INDEX Probe ON TCache (EntryID)").ok());
  EXPECT_EQ(CountRows(*writer), 5);
  EXPECT_EQ(CountRows(*reader.value()), 0);
  ASSERT_TRUE(writer->Rollback().ok());
  EXPECT_EQ(CountRows(*writer), 0);
  EXPECT_TRUE(writer->ExecuteSchema("CREATE INDEX Probe ON TCache (EntryID)").ok())
      << "the index made inside the rolled back transaction is gone";

  ASSERT_TRUE(writer->BeginTrans().ok());
  EXPECT_FALSE(writer->BeginTrans().ok());  // not nested
  for (const char* id : {"a", "b", "c"}) Insert(*writer, id);
  ASSERT_TRUE(writer->CommitTrans().ok());
  EXPECT_EQ(CountRows(*reader.value()), 3);
  EXPECT_FALSE(writer->CommitTrans().ok());  // none open
}

// A file cut short still has a valid header; it must not open as a
// database that fails only when a search reaches a missing page.
TEST_F(JetDatabaseTest, AFileCutShortIsNotADatabase) {
  std::unique_ptr<Database> cache = OpenCache();
  ASSERT_TRUE(cache);
  for (int i = 0; i < 2000; ++i)
    Insert(*cache, "entry " + std::to_string(i) + std::string(40, 'x'));
  ASSERT_TRUE(cache->Close().ok());
  std::string whole = ReadFile(Path("Connector.mdb"));
  ASSERT_GT(whole.size(), 16384u);
  WriteFile(Path("cut.mdb"), whole.substr(0, whole.size() / 2));
  Result<std::unique_ptr<Database>> cut = engine_.OpenDatabase(Path("cut.mdb"));
  ASSERT_FALSE(cut.ok());
  EXPECT_EQ(cut.status().code(), Code::kCorrupt);
  EXPECT_NE(cut.status().description().find("cut short"), std::string::npos)
      << cut.status().description();
}

}  // namespace
}  // namespace olconn97::jet
