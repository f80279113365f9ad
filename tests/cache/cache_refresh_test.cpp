// Keeping the cache current: the stored refresh time, the filter built from
// it, the rows of changed contacts, and a walk interrupted by a crash.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "cache/cache_schema.h"
#include "cache/cache_state.h"
#include "cache/cache_test_support.h"
#include "cache/data_cache.h"
#include "cache/progress_window.h"
#include "core/settings.h"
#include "core/shared_state.h"
#include "outside/jet/connection.h"
#include "outside/jet/database.h"
#include "outside/registry/file_registry.h"
#include "outside/shell/file_io.h"
#include "outside/ui/desktop.h"

namespace olconn97::testing {
namespace {

// Sets a file's modification time (its status change time becomes now).
void SetModified(const std::string& path, shell::WallTime when) {
  std::time_t seconds = std::chrono::system_clock::to_time_t(when);
  struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

shell::WallTime Local(const char* text) {
  std::tm parsed{};
  strptime(text, "%Y-%m-%d %H:%M:%S", &parsed);
  return shell::FromLocalTime(parsed);
}

class CacheRefreshTest : public CacheTest {
 protected:
  // Cards count as changed when their file changed after the walk began,
  // and the system stamps every file the test writes with the real time
  // as its status change time. Walks that must tell old cards from new
  // ones therefore run ten seconds into a minute an hour from now, after
  // every real stamp of the test.
  void RunClockAheadOfTheFiles() {
    auto ahead = std::chrono::floor<std::chrono::minutes>(std::chrono::system_clock::now() +
                                                          std::chrono::hours(1));
    clock_.Set(ahead + std::chrono::seconds(10));
  }

  // A new driver object on the same store and settings, as a new process
  // of the host would make it.
  void RestartDriver() {
    driver_.reset();
    ResetSharedStateForTesting();
    Shared().echo_log_window = false;
    driver_ = std::make_unique<cDataConnector>();
    if (WalkPending()) RunWalk();
  }
  // The same, leaving the walk its start-up asked for to the test.
  void RestartDriverWithoutWalking() {
    driver_.reset();
    ResetSharedStateForTesting();
    Shared().echo_log_window = false;
    driver_ = std::make_unique<cDataConnector>();
  }
};

TEST_F(CacheRefreshTest, TheFilterReadsFromTheExactStartOfTheLastWalkOrFromAMinuteSetByHand) {
  StartDriver();  // no value yet: written as the earliest time, then the build
  ASSERT_EQ(StoredRefreshTime(), "04/12/2026 10:50");
  // The walk began at 10:50:05; two seconds less for coarse file times.
  DataCache after_the_walk;
  EXPECT_EQ(after_the_walk.RestrictString(), "[LastModificationTime] > '2026-12-04T10:50:03Z'");
  Shared().gInitializing = true;  // start-up reads the same time: no minute later
  DataCache at_startup;
  EXPECT_EQ(at_startup.RestrictString(), "[LastModificationTime] > '2026-12-04T10:50:03Z'");
  // A time someone wrote by hand counts from the start of its minute.
  ASSERT_TRUE(
      RegWriteString(Hive::kCurrentUser, kPopupKey, "LastModification", "04/12/2026 10:59"));
  DataCache by_hand;
  EXPECT_EQ(by_hand.RestrictString(), "[LastModificationTime] > '2026-12-04T10:58:59Z'");
  ASSERT_TRUE(
      RegWriteString(Hive::kCurrentUser, kPopupKey, "LastModification", "04/12/2026 23:59"));
  DataCache midnight;  // no wrap to the start of the same day
  EXPECT_EQ(midnight.RestrictString(), "[LastModificationTime] > '2026-12-04T23:58:59Z'");
  Shared().gInitializing = false;
}

TEST_F(CacheRefreshTest, ARefreshRewritesTheRowsOfChangedContactsOnly) {
  auto edited =
      AddContact("Ann Smith", {{"BusinessTelephoneNumber", "1"}, {"MobileTelephoneNumber", "2"}});
  auto emptied = AddContact("Bob Stone", {{"BusinessTelephoneNumber", "3"}});
  auto deleted = AddContact("Cy Young", {{"BusinessTelephoneNumber", "4"}});
  auto untouched = AddContact("Di Ross", {{"BusinessTelephoneNumber", "5"}});
  RunClockAheadOfTheFiles();
  StartDriver();
  ASSERT_EQ(Rows().size(), 5u);
  const shell::WallTime walk_start = clock_.Now();

  ASSERT_TRUE(edited->Set("MobileTelephoneNumber", "").ok());
  ASSERT_TRUE(edited->Set("BusinessTelephoneNumber", "+1 (7)").ok());
  ASSERT_TRUE(edited->Save().ok());
  ASSERT_TRUE(emptied->Set("FullName", "").ok());
  ASSERT_TRUE(emptied->Set("FirstName", "").ok());
  ASSERT_TRUE(emptied->Set("LastName", "").ok());
  ASSERT_TRUE(emptied->Save().ok());
  const std::string deleted_id = deleted->EntryID();
  ASSERT_TRUE(deleted->Delete().ok());
  // Saved in the minute the refresh time names, after the walk began.
  SetModified(edited->path(), walk_start + std::chrono::seconds(30));
  SetModified(emptied->path(), walk_start + std::chrono::seconds(1));
  SetModified(untouched->path(), walk_start - std::chrono::minutes(1));
  // A row only the refresh could put back, if it read this contact again.
  ASSERT_TRUE(
      Shared()
          .gCacheDatabase->Execute("Delete * From TCache Where EntryID = ?", {untouched->EntryID()})
          .ok());

  RestartDriver();  // a new process: its start-up refreshes
  EXPECT_EQ(RowsOf(edited->EntryID()),
            (std::vector<CacheRow>{{"17", edited->EntryID(), "Smith, Ann"}}));
  EXPECT_TRUE(RowsOf(emptied->EntryID()).empty());
  EXPECT_EQ(RowsOf(deleted_id).size(), 1u);  // deletions are the search's to find
  EXPECT_TRUE(RowsOf(untouched->EntryID()).empty());
}

TEST_F(CacheRefreshTest, ACardSavedWhileAWalkRunsIsReadByTheNextRefresh) {
  auto read = AddContact("Ann Smith", {{"BusinessTelephoneNumber", "1"}});
  auto saved_meanwhile = AddContact("Bob Stone", {{"BusinessTelephoneNumber", "2"}});
  RunClockAheadOfTheFiles();
  StartDriver();
  const shell::WallTime built = clock_.Now();
  SetModified(read->path(), built + std::chrono::minutes(4));
  SetModified(saved_meanwhile->path(), built - std::chrono::minutes(10));
  clock_.Advance(std::chrono::minutes(5));  // the walk starts five minutes later
  bool saved = false;                       // ...and, while it runs, Bob gets a new number
  auto timer = desktop_.loop().StartTimer(std::chrono::milliseconds(0), true, [&] {
    if (saved || !Shared().progress_window || !Shared().progress_window->walking()) return;
    saved = true;
    ASSERT_TRUE(saved_meanwhile->Set("BusinessTelephoneNumber", "22").ok());
    ASSERT_TRUE(saved_meanwhile->Save().ok());
    SetModified(saved_meanwhile->path(), built + std::chrono::minutes(6));
    clock_.Advance(std::chrono::minutes(3));
  });
  ASSERT_TRUE(driver_->Dataconnector_WriteCache(false).ok());
  RunWalk();
  desktop_.loop().StopTimer(timer);
  ASSERT_TRUE(saved);
  EXPECT_EQ(StoredRefreshTime(),
            shell::FormatLocal(built + std::chrono::minutes(5), kRefreshTimeFormat));
  ASSERT_EQ(RowsOf(saved_meanwhile->EntryID()).size(), 1u);
  EXPECT_EQ(RowsOf(saved_meanwhile->EntryID())[0].phone, "2");

  ASSERT_TRUE(driver_->Dataconnector_WriteCache(false).ok());
  RunWalk();
  ASSERT_EQ(RowsOf(saved_meanwhile->EntryID()).size(), 1u);
  EXPECT_EQ(RowsOf(saved_meanwhile->EntryID())[0].phone, "22");
}

// The start-up's scan for changed cards serves the refresh it starts, which
// then counts as begun at the scan: a card saved after the scan, before the
// walk, is read by the next refresh.
TEST_F(CacheRefreshTest, ACardSavedBetweenTheStartUpScanAndItsWalkIsReadByTheNextRefresh) {
  auto changed = AddContact("Ann Smith", {{"BusinessTelephoneNumber", "1"}});
  auto saved_later = AddContact("Bob Stone", {{"BusinessTelephoneNumber", "2"}});
  RunClockAheadOfTheFiles();
  StartDriver();
  const shell::WallTime built = clock_.Now();
  SetModified(changed->path(), built + std::chrono::minutes(1));
  clock_.Advance(std::chrono::minutes(5));
  RestartDriverWithoutWalking();  // scans at built + 5 min: Ann changed
  const shell::WallTime scanned = clock_.Now();
  ASSERT_TRUE(WalkPending());
  ASSERT_TRUE(saved_later->Set("BusinessTelephoneNumber", "22").ok());
  ASSERT_TRUE(saved_later->Save().ok());
  SetModified(saved_later->path(), scanned + std::chrono::minutes(1));
  clock_.Advance(std::chrono::minutes(2));  // the walk runs two minutes after the scan
  RunWalk();
  EXPECT_EQ(RowsOf(changed->EntryID())[0].phone, "1");
  EXPECT_EQ(StoredRefreshTime(), shell::FormatLocal(scanned, kRefreshTimeFormat));
  RestartDriver();
  ASSERT_EQ(RowsOf(saved_later->EntryID()).size(), 1u);
  EXPECT_EQ(RowsOf(saved_later->EntryID())[0].phone, "22");
}

TEST_F(CacheRefreshTest, AnUnreadableTimeResetsTheRefreshTimeAndTheResetStays) {
  AddContact("Ann Smith", {{"BusinessTelephoneNumber", "1"}});
  StartDriver();
  ASSERT_TRUE(RegWriteString(Hive::kCurrentUser, kPopupKey, "LastModification", "yesterday"));
  ASSERT_TRUE(driver_->Dataconnector_WriteCache(false).ok());
  RunWalk();
  std::vector<std::string> lines = LogLines();
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      "12/04/26 10:50:05: Error in last modification date format: Reinit !"),
            lines.end());
  // The failed walk does not store its time: the next refresh reads everything.
  EXPECT_EQ(StoredRefreshTime(), "01/01/1900");
}

TEST_F(CacheRefreshTest, AStartUpOnACurrentCacheStartsNoWalk) {
  AddContact("Ann Smith", {{"BusinessTelephoneNumber", "1"}});
  RunClockAheadOfTheFiles();
  StartDriver();
  com::ComPtr<pim::Items> items = contacts_->GetItems().value();
  for (const std::string& file : items->files()) {
    SetModified(store() + "/Contacts/" + file, clock_.Now() - std::chrono::minutes(10));
  }
  driver_.reset();
  ResetSharedStateForTesting();
  Shared().echo_log_window = false;
  driver_ = std::make_unique<cDataConnector>();
  EXPECT_FALSE(WalkPending());
  std::vector<std::string> lines = LogLines();
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      shell::FormatLocal(clock_.Now(), "%x %X") + ": Is up to date: True"),
            lines.end());
}

// A card copied in with its old modification time kept (cp -a, rsync -a)
// has a fresh status change time: the next refresh, in a new process and
// without a rebuild, reads it.
TEST_F(CacheRefreshTest, ACardCopiedInWithAnOldTimeIsReadByTheNextRefresh) {
  AddContact("Ann Smith", {{"BusinessTelephoneNumber", "1"}});
  // The walk began a minute before the real time the copy will be stamped with.
  clock_.Set(std::chrono::system_clock::now() - std::chrono::minutes(1));
  StartDriver();
  ASSERT_EQ(Rows().size(), 1u);
  std::string copied = store() + "/Contacts/copied.vcf";
  {
    std::ofstream card(copied);
    card << "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Bob Stone\r\nN:Stone;Bob;;;\r\n"
            "TEL;TYPE=WORK,VOICE:+44 20 7946 0018\r\nEND:VCARD\r\n";
  }
  SetModified(copied, Local("2019-05-01 08:00:00"));  // as cp -a leaves it
  RestartDriver();
  std::vector<CacheRow> rows = Rows();
  EXPECT_NE(std::find_if(rows.begin(), rows.end(),
                         [](const CacheRow& row) { return row.phone == "442079460018"; }),
            rows.end());
}

// The last batch of a walk commits at its end; when that commit fails the
// rows may be gone, so the refresh time stays where it was.
TEST_F(CacheRefreshTest, AWalkWhoseLastCommitFailsKeepsTheRefreshTime) {
  auto ann = AddContact("Ann Smith", {{"BusinessTelephoneNumber", "1"}});
  RunClockAheadOfTheFiles();
  StartDriver();
  const std::string before = StoredRefreshTime();
  class FailingCommit : public jet::DatabaseWrapper {
   public:
    explicit FailingCommit(std::shared_ptr<jet::Database> target)
        : DatabaseWrapper(*target), target_(std::move(target)) {}
    Status Commit() override { return Status::Error(Code::kIoError, "disk full", "DAO.Database"); }

   private:
    std::shared_ptr<jet::Database> target_;
  };
  Shared().gCacheDatabase = std::make_shared<FailingCommit>(Shared().gCacheDatabase);
  SetModified(ann->path(), clock_.Now() + std::chrono::minutes(1));
  clock_.Advance(std::chrono::minutes(5));
  ASSERT_TRUE(driver_->Dataconnector_WriteCache(false).ok());
  RunWalk();
  EXPECT_EQ(StoredRefreshTime(), before);
  std::vector<std::string> lines = LogLines();
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      shell::FormatLocal(clock_.Now(), "%x %X") +
                          ": Error (Commit): disk full in DAO.Database"),
            lines.end());
}

// While another process walks the store into the same cache file, a new
// process neither refreshes nor rebuilds: it answers from the rows written
// so far. Once that walk has ended (its process gone), refreshes resume.
TEST_F(CacheRefreshTest, AWalkRunningInAnotherProcessIsNotDoneAgain) {
  auto ann = AddContact("Ann Smith", {{"BusinessTelephoneNumber", "1"}});
  RunClockAheadOfTheFiles();
  StartDriver();
  const std::string walk_lock = Shared().gCacheDatabase->Name() + "-walk";
  const std::string before = StoredRefreshTime();
  ASSERT_TRUE(ann->Set("BusinessTelephoneNumber", "12").ok());
  ASSERT_TRUE(ann->Save().ok());
  SetModified(ann->path(), clock_.Now() + std::chrono::minutes(1));
  clock_.Advance(std::chrono::minutes(5));
  // The other process's rebuild has dropped the indexes; they are its to make.
  ASSERT_TRUE(DropCacheIndexes(*Shared().gCacheDatabase).ok());
  const std::string cache_file = Shared().gCacheDatabase->Name();
  auto index_count = [&] {
    sqlite3* db = nullptr;
    sqlite3_stmt* count = nullptr;
    int indexes = -1;
    if (sqlite3_open_v2(cache_file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(db,
                           "SELECT count(*) FROM sqlite_schema WHERE name LIKE 'TCache%' "
                           "AND type = 'index'",
                           -1, &count, nullptr) == SQLITE_OK &&
        sqlite3_step(count) == SQLITE_ROW) {
      indexes = sqlite3_column_int(count, 0);
    }
    sqlite3_finalize(count);
    sqlite3_close(db);
    return indexes;
  };
  {
    // flock conflicts between two opens of the file even in one process.
    Result<shell::FileLock> other_walk = shell::FileLock::TryAcquire(walk_lock);
    ASSERT_TRUE(other_walk.ok());
    RestartDriver();
    EXPECT_FALSE(WalkPending());
    EXPECT_EQ(index_count(), 1);  // the one a rebuild keeps
    EXPECT_EQ(RowsOf(ann->EntryID()), (std::vector<CacheRow>{{"1", ann->EntryID(), "Smith, Ann"}}));
    // Nor does an explicit rebuild empty the table under the other walk.
    ASSERT_TRUE(driver_->Dataconnector_WriteCache(true).ok());
    if (WalkPending()) RunWalk();
    EXPECT_EQ(Rows().size(), 1u);
    EXPECT_EQ(StoredRefreshTime(), before);
    std::vector<std::string> lines = LogLines();
    EXPECT_NE(std::find_if(lines.begin(), lines.end(),
                           [](const std::string& line) {
                             return line.find("Another process is walking the store") !=
                                    std::string::npos;
                           }),
              lines.end());
  }
  RestartDriver();
  EXPECT_EQ(index_count(), 5);
  EXPECT_EQ(RowsOf(ann->EntryID()), (std::vector<CacheRow>{{"12", ann->EntryID(), "Smith, Ann"}}));
  EXPECT_NE(StoredRefreshTime(), before);
}

// Builds a complete cache of `count` contacts on a settings file that a
// forked child shares, and returns the expected row count.
class CacheCrashTest : public CacheRefreshTest {
 protected:
  void SetUp() override {
    CacheRefreshTest::SetUp();
    registry::FileRegistry::Options options;
    options.current_user_file = temp_.Child("settings/HKCU.reg");
    options.local_machine_file = temp_.Child("settings/HKLM.reg");
    options.durable = false;
    files_ = std::make_unique<registry::FileRegistry>(std::move(options));
    ASSERT_TRUE(registry::SetValue(*files_, Hive::kCurrentUser, kOutlook98Key, "PimStore",
                                   registry::RegValue::String(store()))
                    .ok());
    Shared().services.SetRegistry(files_.get());
    for (int i = 0; i < kContacts; ++i) {
      AddContact("P " + std::to_string(i), {{"BusinessTelephoneNumber", std::to_string(1000 + i)},
                                            {"MobileTelephoneNumber", std::to_string(5000 + i)}});
    }
    // The real clock: the child's walks and the parent's agree on time.
    Shared().services.SetClock(nullptr);
    StartDriver();
    ASSERT_EQ(Rows().size(), static_cast<size_t>(2 * kContacts));
    driver_.reset();
  }
  void TearDown() override {
    driver_.reset();
    Shared().services.SetRegistry(&registry_);
    Shared().services.SetClock(&clock_);
  }

  // A new process's start-up, and the walk it starts.
  void StartUpAgainAndCheckComplete(const std::string& context) {
    ResetSharedStateForTesting();
    Shared().echo_log_window = false;
    driver_ = std::make_unique<cDataConnector>();
    ASSERT_TRUE(Shared().gDriverReady) << context;
    if (WalkPending()) RunWalk();
    EXPECT_EQ(Rows().size(), static_cast<size_t>(2 * kContacts)) << context;
    EXPECT_EQ(ReadCacheState(*Shared().gCacheDatabase, kStateRebuildPending).value_or(""), "0")
        << context;
    driver_.reset();
  }

  // Kills a forked driver at the n-th commit of a rebuild of the complete
  // cache (n counted from the rebuild's request); 0 lets it finish. Returns
  // how many commits the child made, or -1 when it was killed.
  int RebuildAndDieAtCommit(int n) {
    static int target = 0;
    static int seen = 0;
    target = n;
    seen = 0;
    pid_t child = fork();
    if (child == 0) {
      auto driver = std::make_unique<cDataConnector>();
      if (!Shared().gDriverReady) _exit(200);
      while (WalkPending()) LetTimePass(std::chrono::milliseconds(250));
      Shared().gDataCache->set_walk_batch_rows_for_testing(16);
      jet::SetCommitHookForTesting([] {
        if (++seen == target) raise(SIGKILL);
      });
      if (!driver->Dataconnector_WriteCache(true).ok()) _exit(201);
      while (WalkPending()) LetTimePass(std::chrono::milliseconds(250));
      _exit(seen);
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFSIGNALED(status)) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
  }

  static constexpr int kContacts = 60;
  std::unique_ptr<registry::FileRegistry> files_;
};

TEST_F(CacheCrashTest, ARebuildKilledAtAnyCommitIsCompletedByTheNextStartUp) {
  int commits = RebuildAndDieAtCommit(0);
  ASSERT_GT(commits, 5) << "the rebuild should commit in several batches";
  StartUpAgainAndCheckComplete("after an undisturbed rebuild");
  for (int n = 1; n <= commits; ++n) {
    ASSERT_EQ(RebuildAndDieAtCommit(n), -1) << "commit " << n;
    StartUpAgainAndCheckComplete("killed at commit " + std::to_string(n));
  }
}

}  // namespace
}  // namespace olconn97::testing
