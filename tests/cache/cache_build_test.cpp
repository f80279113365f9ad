// Building the cache: which contacts get rows, what the rows hold, and the
// first launch and rebuilds around the walk.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "cache/cache_test_support.h"
#include "cache/data_cache.h"
#include "cache/progress_window.h"
#include "core/settings.h"
#include "core/shared_state.h"
#include "outside/jet/dao.h"
#include "outside/jet/database.h"

namespace olconn97::testing {
namespace {

using Phones = std::vector<std::pair<std::string, std::string>>;

class CacheBuildTest : public CacheTest {};

TEST(PhoneDigitsTest, KeepsTheDecimalDigitsOnly) {
  EXPECT_EQ(PhoneDigits("+33 (0)1 23-45 67 89"), "330123456789");
  EXPECT_EQ(PhoneDigits("n/a"), "");
  EXPECT_EQ(PhoneDigits("0123 456 789 ext. 12"), "012345678912");
  EXPECT_EQ(PhoneDigits("1-800-FLOWERS"), "1800");
  EXPECT_EQ(PhoneDigits("٠١٢ 34"), "34");  // only ASCII digits count
}

TEST_F(CacheBuildTest, AFirstLaunchCopiesTheTemplateAndIndexesEveryNamedContact) {
  auto ann = AddContact("Ann Smith", {{"BusinessTelephoneNumber", "+33 (0)1 23-45 67 89"},
                                      {"MobileTelephoneNumber", "+33 (0)1 23-45 67 89"},
                                      {"HomeFaxNumber", "n/a"}});
  auto solo = AddContact("", {{"MobileTelephoneNumber", "0600"}});  // no name: never indexed
  auto silent = AddContact("Quiet One", {});                        // no number: no row
  auto extra = AddContact("Many Numbers", {{"BusinessTelephoneNumber", "1"}});
  ASSERT_TRUE(extra->card().SetPhone(pim::PhoneKind::kBusiness, "1").ok());
  testing::WriteFile(store() + "/Contacts/team.vcf",
                     "BEGIN:VCARD\r\nVERSION:3.0\r\nKIND:group\r\nFN:Team\r\nEND:VCARD\r\n");
  testing::WriteFile(store() + "/Contacts/more.vcf",
                     "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Three Works\r\nN:Works;Three;;;\r\n"
                     "TEL;TYPE=WORK:1\r\nTEL;TYPE=WORK:2\r\nTEL;TYPE=WORK:3\r\nEND:VCARD\r\n");
  StartDriver();

  EXPECT_TRUE(Shared().gFirstLaunch);
  struct stat status;
  ASSERT_EQ(stat((data_home() + "/Norvale Corvanta/Connector.mdb").c_str(), &status), 0);
  std::string more_id =
      pim::Store::Open(store(), false).value()->ItemEntryId({contacts_->record(), "more.vcf"});
  std::vector<CacheRow> expected = {
      {"", ann->EntryID(), "Smith, Ann"},  // a number without digits still has its row
      {"1", extra->EntryID(), "Numbers, Many"},
      {"1", more_id, "Works, Three"},
      {"2", more_id, "Works, Three"},
      {"3", more_id, "Works, Three"},  // a third work number is indexed like "Other"
      {"330123456789", ann->EntryID(), "Smith, Ann"},
      {"330123456789", ann->EntryID(), "Smith, Ann"},  // the same number twice: two rows
  };
  std::sort(expected.begin(), expected.end(), [](const CacheRow& a, const CacheRow& b) {
    return std::tie(a.phone, a.entry_id, a.name) < std::tie(b.phone, b.entry_id, b.name);
  });
  EXPECT_EQ(Rows(), expected);
  (void)solo;
  (void)silent;
}

// Beside the digits a row keeps what they lose, and a cache of the layout
// before that is moved aside and made again: its rows could not say it.
TEST_F(CacheBuildTest, RowsKeepThePlusAndTheExtensionAndAnOlderCacheIsMadeAgain) {
  auto ann = AddContact("Ann Smith", {{"BusinessTelephoneNumber", "+49 (0)160 1234567"},
                                      {"MobileTelephoneNumber", "0160 1234567 x12"},
                                      {"HomeTelephoneNumber", "0160 1234567"}});
  const std::string file = data_home() + "/Norvale Corvanta/Connector.mdb";
  StartDriver();
  auto kept = [&] {
    std::vector<std::string> columns;
    auto rows = Shared().gCacheDatabase->OpenRecordset(
        "Select * From TCache Order By PhoneNumber", jet::RecordsetType::kDynaset, {});
    EXPECT_TRUE(rows.ok());
    jet::Recordset& row = *rows.value();
    while (!row.Eof()) {
      columns.push_back(row.GetField("PhoneNumber").value().ToText() + " " +
                        row.GetField("PhoneMain").value().ToText() + " " +
                        row.GetField("PhoneExtension").value().ToText());
      EXPECT_TRUE(row.MoveNext().ok());
    }
    return columns;
  };
  const std::vector<std::string> expected = {"01601234567  ", "0160123456712 76543210610 12",
                                             "4901601234567 + "};
  EXPECT_EQ(kept(), expected);

  driver_.reset();
  ResetSharedStateForTesting();
  std::filesystem::remove(file);
  std::filesystem::remove(file + "-wal");
  std::filesystem::remove(file + "-shm");
  jet::DBEngine engine;
  ASSERT_TRUE(engine
                  .CreateDatabase(file,
                                  "CREATE TABLE TCache (PhoneNumber TEXT, EntryID TEXT, Name TEXT, "
                                  "AutoSelect INTEGER NOT NULL DEFAULT 0, PhoneReversed TEXT, "
                                  "NameFolded TEXT);"
                                  "CREATE TABLE TCacheState (Item TEXT PRIMARY KEY, Value TEXT);")
                  .ok());
  Shared().echo_log_window = false;
  StartDriver();
  EXPECT_NE(Shared().cache_recovery.find("not a contact cache of this version"), std::string::npos)
      << Shared().cache_recovery;
  EXPECT_EQ(kept(), expected);
  (void)ann;
}

TEST_F(CacheBuildTest, OnlySelectedFoldersAreIndexedAndTheirSubfoldersAreWalkedAnyway) {
  auto unselected = AddFolder(*contacts_, "Old");
  auto selected = AddFolder(*unselected, "Current");
  AddContact("Not Here", {{"BusinessTelephoneNumber", "111"}}, unselected.get());
  auto found = AddContact("Found Here", {{"BusinessTelephoneNumber", "222"}}, selected.get());
  ASSERT_TRUE(
      RegWriteString(Hive::kCurrentUser, kFolderSelectionKey, "entryId1", selected->EntryID()));
  ASSERT_TRUE(
      RegWriteString(Hive::kCurrentUser, kFolderSelectionKey, "storeId1", selected->StoreID()));
  StartDriver();
  EXPECT_EQ(Rows(), (std::vector<CacheRow>{{"222", found->EntryID(), "Here, Found"}}));
}

TEST_F(CacheBuildTest, ARebuildNeverDoublesRowsAndDropsWhatLeftTheStore) {
  auto ann = AddContact("Ann Smith", {{"BusinessTelephoneNumber", "1"}});
  auto bob = AddContact("Bob Stone", {{"BusinessTelephoneNumber", "2"}});
  StartDriver();
  ASSERT_EQ(Rows().size(), 2u);
  ASSERT_TRUE(bob->Delete().ok());
  ASSERT_TRUE(driver_->Dataconnector_WriteCache(true).ok());  // same process, first launch
  RunWalk();
  EXPECT_EQ(Rows(), (std::vector<CacheRow>{{"1", ann->EntryID(), "Smith, Ann"}}));
  // The stored refresh time is the time the walk started.
  EXPECT_EQ(StoredRefreshTime(), "04/12/2026 10:50");
}

TEST_F(CacheBuildTest, AMissingTemplateStopsTheFirstLaunchWithACriticalBox) {
  ASSERT_EQ(std::remove((app_path() + "/Connector.etf").c_str()), 0);
  StartDriver();
  ASSERT_EQ(message_boxes_.shown.size(), 1u);
  EXPECT_EQ(message_boxes_.shown[0].caption, "Critical Error");
  EXPECT_EQ(message_boxes_.shown[0].icon, ui::MessageIcon::kCritical);
  EXPECT_EQ(message_boxes_.shown[0].text, "Critical Error: File " + app_path() +
                                              "/Connector.etf doesn't exist anymore.\n\r"
                                              "Popup can't function correctly without it.");
  EXPECT_FALSE(WalkPending());
  EXPECT_FALSE(Shared().gCacheDatabase);
  EXPECT_EQ(StoredRefreshTime(), "01/01/1900 00:00");  // only the initial value
}

TEST_F(CacheBuildTest, AMissingClipDoesNotStopTheWalk) {
  ASSERT_FALSE(testing::ReadFile(app_path() + "/filecopy.gif").size());  // not installed here
  AddContact("Ann Smith", {{"BusinessTelephoneNumber", "1"}});
  StartDriver();
  EXPECT_EQ(Rows().size(), 1u);
  bool logged = false;
  for (const std::string& line : LogLines())
    logged = logged || line.find(": Error: ") != std::string::npos;
  EXPECT_TRUE(logged);
}

TEST_F(CacheBuildTest, TheUserCannotCloseTheProgressWindow) {
  AddContact("Ann Smith", {{"BusinessTelephoneNumber", "1"}});
  driver_ = std::make_unique<cDataConnector>();
  ASSERT_TRUE(WalkPending());
  EXPECT_FALSE(Shared().progress_window->RequestClose());
  EXPECT_TRUE(WalkPending());
  EXPECT_TRUE(Rows().empty());  // the call returned before any contact was read
  RunWalk();
  EXPECT_EQ(Rows().size(), 1u);
}

TEST_F(CacheBuildTest, ASearchDuringTheWalkSeesEveryRowWrittenSoFar) {
  for (int i = 0; i < 20; ++i)
    AddContact("Person " + std::to_string(i),
               {{"BusinessTelephoneNumber", std::to_string(100 + i)}});
  driver_ = std::make_unique<cDataConnector>();
  std::vector<size_t> seen;
  // A host call between two contacts: a repeating timer reads the table.
  auto& loop = Shared().services.desktop().loop();
  auto timer =
      loop.StartTimer(std::chrono::milliseconds(0), true, [&] { seen.push_back(Rows().size()); });
  RunWalk();
  loop.StopTimer(timer);
  ASSERT_FALSE(seen.empty());
  EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
  EXPECT_GT(seen.back(), 0u);
  EXPECT_EQ(Rows().size(), 20u);
}

}  // namespace
}  // namespace olconn97::testing
