// Keeping the cache current: the stored refresh time, the filter built from
// it, the rows of changed contacts, and a walk interrupted by a crash.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "cache/cache_test_support.h"
#include "cache/data_cache.h"
#include "cache/progress_window.h"
#include "driver/settings.h"
#include "driver/shared_state.h"
#include "outside/jet/database.h"
#include "outside/registry/file_registry.h"

namespace olconn97::testing {
namespace {

// Sets a file's modification time to a local time "YYYY-MM-DD HH:MM:SS".
void SetModified(const std::string& path, const char* local) {
  std::tm parsed{};
  strptime(local, "%Y-%m-%d %H:%M:%S", &parsed);
  std::time_t when = std::chrono::system_clock::to_time_t(shell::FromLocalTime(parsed));
  struct timespec times[2] = {{when, 0}, {when, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

class CacheRefreshTest : public CacheTest {
 protected:
  std::string Restrict() { return Shared().gDataCache->RestrictString(); }
};

TEST_F(CacheRefreshTest, TheFilterComesFromTheStoredTimeOneMinuteLaterAtStartUp) {
  StartDriver();  // no value yet: written as the earliest time, then the build
  ASSERT_TRUE(
      RegWriteString(Hive::kCurrentUser, kPopupKey, "LastModification", "04/12/2026 10:59"));
  DataCache outside_startup;
  EXPECT_EQ(outside_startup.RestrictString(), "[LastModificationTime] > '2026-12-04 10:59'");
  Shared().gInitializing = true;
  DataCache at_startup;
  EXPECT_EQ(at_startup.RestrictString(), "[LastModificationTime] > '2026-12-04 11:00'");
  ASSERT_TRUE(
      RegWriteString(Hive::kCurrentUser, kPopupKey, "LastModification", "04/12/2026 23:59"));
  DataCache midnight;  // the same date, almost a day earlier
  EXPECT_EQ(midnight.RestrictString(), "[LastModificationTime] > '2026-12-04 00:00'");
  Shared().gInitializing = false;
}

TEST_F(CacheRefreshTest, ARefreshRewritesTheRowsOfChangedContactsOnly) {
  auto edited =
      AddContact("Ann Smith", {{"BusinessTelephoneNumber", "1"}, {"MobileTelephoneNumber", "2"}});
  auto emptied = AddContact("Bob Stone", {{"BusinessTelephoneNumber", "3"}});
  auto deleted = AddContact("Cy Young", {{"BusinessTelephoneNumber", "4"}});
  auto untouched = AddContact("Di Ross", {{"BusinessTelephoneNumber", "5"}});
  StartDriver();
  ASSERT_EQ(Rows().size(), 5u);
  ASSERT_EQ(StoredRefreshTime(), "04/12/2026 10:50");

  ASSERT_TRUE(edited->Set("MobileTelephoneNumber", "").ok());
  ASSERT_TRUE(edited->Set("BusinessTelephoneNumber", "+1 (7)").ok());
  ASSERT_TRUE(edited->Save().ok());
  ASSERT_TRUE(emptied->Set("FullName", "").ok());
  ASSERT_TRUE(emptied->Set("FirstName", "").ok());
  ASSERT_TRUE(emptied->Set("LastName", "").ok());
  ASSERT_TRUE(emptied->Save().ok());
  const std::string deleted_id = deleted->EntryID();
  ASSERT_TRUE(deleted->Delete().ok());
  SetModified(edited->path(), "2026-12-04 10:51:00");
  SetModified(emptied->path(), "2026-12-04 10:51:00");
  SetModified(untouched->path(), "2026-12-04 10:49:00");
  // A row only the refresh could put back, if it read this contact again.
  ASSERT_TRUE(
      Shared()
          .gCacheDatabase->Execute("Delete * From TCache Where EntryID = ?", {untouched->EntryID()})
          .ok());

  ASSERT_TRUE(driver_->Dataconnector_WriteCache(false).ok());
  RunWalk();
  EXPECT_EQ(RowsOf(edited->EntryID()),
            (std::vector<CacheRow>{{"17", edited->EntryID(), "Smith, Ann"}}));
  EXPECT_TRUE(RowsOf(emptied->EntryID()).empty());
  EXPECT_EQ(RowsOf(deleted_id).size(), 1u);  // deletions are the search's to find
  EXPECT_TRUE(RowsOf(untouched->EntryID()).empty());
}

TEST_F(CacheRefreshTest, ACardSavedWhileAWalkRunsIsReadByTheNextRefresh) {
  auto read = AddContact("Ann Smith", {{"BusinessTelephoneNumber", "1"}});
  auto saved_meanwhile = AddContact("Bob Stone", {{"BusinessTelephoneNumber", "2"}});
  StartDriver();
  ASSERT_EQ(StoredRefreshTime(), "04/12/2026 10:50");
  SetModified(read->path(), "2026-12-04 10:54:00");
  SetModified(saved_meanwhile->path(), "2026-12-04 10:40:00");
  clock_.Advance(std::chrono::minutes(5));  // the walk starts at 10:55:05
  bool saved = false;                       // ...and, while it runs, Bob gets a new number
  auto timer = desktop_.loop().StartTimer(std::chrono::milliseconds(0), true, [&] {
    if (saved || !Shared().progress_window || !Shared().progress_window->walking()) return;
    saved = true;
    ASSERT_TRUE(saved_meanwhile->Set("BusinessTelephoneNumber", "22").ok());
    ASSERT_TRUE(saved_meanwhile->Save().ok());
    SetModified(saved_meanwhile->path(), "2026-12-04 10:56:00");
    clock_.Advance(std::chrono::minutes(3));
  });
  ASSERT_TRUE(driver_->Dataconnector_WriteCache(false).ok());
  RunWalk();
  desktop_.loop().StopTimer(timer);
  ASSERT_TRUE(saved);
  EXPECT_EQ(StoredRefreshTime(), "04/12/2026 10:55");
  ASSERT_EQ(RowsOf(saved_meanwhile->EntryID()).size(), 1u);
  EXPECT_EQ(RowsOf(saved_meanwhile->EntryID())[0].phone, "2");

  ASSERT_TRUE(driver_->Dataconnector_WriteCache(false).ok());
  RunWalk();
  ASSERT_EQ(RowsOf(saved_meanwhile->EntryID()).size(), 1u);
  EXPECT_EQ(RowsOf(saved_meanwhile->EntryID())[0].phone, "22");
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
  StartDriver();
  com::ComPtr<pim::Items> items = contacts_->GetItems().value();
  for (const std::string& file : items->files()) {
    SetModified(store() + "/Contacts/" + file, "2026-12-04 10:40:00");
  }
  driver_.reset();
  ResetSharedStateForTesting();
  Shared().echo_log_window = false;
  driver_ = std::make_unique<cDataConnector>();
  EXPECT_FALSE(WalkPending());
  std::vector<std::string> lines = LogLines();
  EXPECT_NE(std::find(lines.begin(), lines.end(), "12/04/26 10:50:05: Is up to date: True"),
            lines.end());
}

// A rebuild killed half way leaves a database that opens; the next start-up
// sees the refresh time of an unfinished rebuild and reads every contact again.
TEST_F(CacheRefreshTest, ARebuildKilledHalfWayIsCompletedByTheNextStartUp) {
  registry::FileRegistry::Options options;
  options.current_user_file = temp_.Child("settings/HKCU.reg");
  options.local_machine_file = temp_.Child("settings/HKLM.reg");
  registry::FileRegistry files(std::move(options));
  ASSERT_TRUE(registry::SetValue(files, Hive::kCurrentUser, kOutlook98Key, "PimStore",
                                 registry::RegValue::String(store()))
                  .ok());
  Shared().services.SetRegistry(&files);
  constexpr int kContacts = 300;
  for (int i = 0; i < kContacts; ++i) {
    AddContact("P " + std::to_string(i), {{"BusinessTelephoneNumber", std::to_string(1000 + i)}});
  }
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    auto driver = std::make_unique<cDataConnector>();
    int yields = 0;
    Shared().services.desktop().loop().StartTimer(std::chrono::milliseconds(0), true, [&] {
      if (++yields == kContacts / 2) raise(SIGKILL);
    });
    LetTimePass(std::chrono::milliseconds(250));
    _exit(0);  // not reached: the walk is longer than the kill
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status));

  ResetSharedStateForTesting();
  Shared().services.SetRegistry(&files);
  Shared().echo_log_window = false;
  EXPECT_EQ(RegReadString(Hive::kCurrentUser, kPopupKey, "LastModification"), "01/01/1900 00:00");
  driver_ = std::make_unique<cDataConnector>();  // the cache file exists: a refresh
  ASSERT_TRUE(Shared().gCacheDatabase);
  RunWalk();
  EXPECT_EQ(Rows().size(), static_cast<size_t>(kContacts));
  Shared().services.SetRegistry(&registry_);
}

}  // namespace
}  // namespace olconn97::testing
