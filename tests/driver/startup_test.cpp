// The driver object's start-up and shutdown, line by line of its log.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cache/cache_state.h"
#include "cache/progress_window.h"
#include "core/data_paths.h"
#include "core/settings.h"
#include "core/shared_state.h"
#include "diag/log_window.h"
#include "driver/data_connector.h"
#include "outside/jet/dao.h"
#include "outside/pim/objects.h"
#include "outside/ui/desktop.h"
#include "outside/ui/timer_form.h"
#include "test_support.h"

namespace olconn97 {
namespace {

const char kStamp[] = "12/04/26 10:50:05: ";

std::vector<std::string> Stamped(std::initializer_list<const char*> lines) {
  std::vector<std::string> out;
  for (const char* line : lines) out.push_back(kStamp + std::string(line));
  return out;
}

std::vector<std::string> Join(std::vector<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

const std::vector<std::string> kOpening =
    Join({{std::string(kStamp) + "* Driver startup *"},
          Stamped({"*************************", "* Driver initialization *",
                   "*************************", "", "Connecting to Outlook 97/98..."})});

const std::vector<std::string> kConnected = Stamped(
    {"Connecting to Outlook...GetNameSpace", "GetDefaultFolder",
     "Get contacts folders selected from Registry...",
     "GetContactFoldersSelected(): read from registry", "  all folders selected",
     "Connecting to DAO...", "Creating DataCache...", "Reading registry...",
     "LastModifKey = ", "Restrict String = [LastModificationTime] > '1899-12-31T23:59:59Z'"});

const std::vector<std::string> kClosing = Stamped(
    {"Creating default ActionList...", "Timer initialization", "*****************************",
     "* fin Driver initialization *", "*****************************", ""});

class StartupTest : public testing::DriverTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(RegWriteString(Hive::kCurrentUser, kPopupKey, "Developper", "1"));
    ASSERT_TRUE(RegWriteString(Hive::kCurrentUser, kOutlook98Key, "PimStore", store()));
    pim::ApplicationOptions options;  // a store that exists, with its default folders
    options.store_folder = store();
    options.create_store = true;
    ASSERT_TRUE(pim::Application::Create(std::move(options)).ok());
  }

  std::string store() const { return temp_.Child("store"); }
  const std::vector<std::string>& Lines() { return diag::LogWindow().LLog().items; }

  // A cache file whose last rebuild completed.
  void WriteCompleteCache() {
    std::string cache = DataPath() + "/Connector.mdb";
    std::ifstream schema(OLCONN97_CACHE_SCHEMA_PATH);
    std::stringstream text;
    text << schema.rdbuf();
    ASSERT_TRUE(jet::DBEngine().CreateDatabase(cache, text.str()).ok());
    auto complete = jet::DBEngine().OpenDatabase(cache);
    ASSERT_TRUE(complete.ok());
    ASSERT_TRUE(WriteCacheState(*complete.value(), kStateRebuildPending, "0").ok());
  }

  // The log lines from the cache part of start-up to the closing banner.
  std::vector<std::string> CachePart() {
    auto at = std::find(Lines().begin(), Lines().end(), kStamp + std::string("autodetect : "));
    if (at == Lines().end() || Lines().end() - at < static_cast<long>(kClosing.size())) return {};
    return std::vector<std::string>(at, Lines().end() - static_cast<long>(kClosing.size()));
  }
};

TEST_F(StartupTest, AGoodStoreWithoutCacheIsAFirstLaunch) {
  cDataConnector driver;
  EXPECT_EQ(Lines(), Join({kOpening, kConnected,
                           Stamped({"autodetect : ", "Testing file existence (Connector.mdb)...",
                                    "File does not exist !!! (First launch ?)"}),
                           kClosing}));
  SharedState& shared = Shared();
  EXPECT_TRUE(shared.gDriverReady);
  EXPECT_TRUE(shared.gFirstLaunch);
  EXPECT_FALSE(shared.gInitializing);
  EXPECT_TRUE(shared.gOutlookApp);
  ASSERT_TRUE(shared.gRootFolder);
  EXPECT_TRUE(shared.gRootFolder->record().is_top());
  EXPECT_TRUE(shared.gWorkspace);
  EXPECT_FALSE(shared.gCacheDatabase);
  EXPECT_EQ(Shared().services.desktop().screen().MousePointer(), 0);
  EXPECT_FALSE(TimerForm().Timer().enabled());
  EXPECT_EQ(TimerForm().Timer().interval(), 10);
}

TEST_F(StartupTest, AnExistingCacheIsOpened) {
  WriteCompleteCache();
  Shared().gFirstLaunch = true;
  cDataConnector driver;
  EXPECT_EQ(CachePart(),
            Stamped({"autodetect : ", "Testing file existence (Connector.mdb)...",
                     "File exists: Connecting to database...", "Reading registry...",
                     "LastModifKey = 01/01/1900 00:00",
                     "Restrict String = [LastModificationTime] > '1899-12-31T23:59:59Z'",
                     "Testing cache change...", "Modified Folder Tested = Contacts",
                     "Modified Folder selected = Contacts", "Is up to date: True",
                     "No cache Update..."}));
  EXPECT_TRUE(Shared().gCacheDatabase);
  EXPECT_FALSE(Shared().gFirstLaunch);
}

TEST_F(StartupTest, WithARebuildToFollowAnExistingCacheIsOpenedButNotRefreshed) {
  WriteCompleteCache();
  testing::WriteFile(store() + "/Contacts/ann.vcf",  // changed since the cache's refresh time
                     "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann Smith\r\nTEL:+33 1 23\r\nEND:VCARD\r\n");
  Shared().cache_rebuild_follows = true;
  cDataConnector driver;
  EXPECT_EQ(CachePart(), Stamped({"autodetect : ", "Testing file existence (Connector.mdb)...",
                                  "File exists: Connecting to database...",
                                  "A rebuild follows: no refresh at start-up."}));
  EXPECT_TRUE(Shared().gCacheDatabase);
  EXPECT_FALSE(Shared().progress_window && Shared().progress_window->loaded());  // no walk
}

TEST_F(StartupTest, AutodetectOneSkipsTheCacheAndNothingElseDoes) {
  ASSERT_TRUE(RegWriteString(Hive::kCurrentUser, kPopupKey, "autodetect", "1"));
  Shared().gFirstLaunch = true;  // kept as it was
  {
    cDataConnector driver;
    EXPECT_EQ(Lines(), Join({kOpening, kConnected, Stamped({"autodetect : 1"}), kClosing}));
    EXPECT_TRUE(Shared().gFirstLaunch);
    EXPECT_FALSE(Shared().gCacheDatabase);
  }
  for (const char* value : {"1 ", "true"}) {
    ResetSharedStateForTesting();
    Shared().echo_log_window = false;
    ASSERT_TRUE(RegWriteString(Hive::kCurrentUser, kPopupKey, "autodetect", value));
    cDataConnector driver;
    EXPECT_NE(std::find(Lines().begin(), Lines().end(),
                        kStamp + std::string("Testing file existence (Connector.mdb)...")),
              Lines().end())
        << value;
  }
}

TEST_F(StartupTest, AMissingStoreIsOutlookNotInstalled) {
  ASSERT_TRUE(RegWriteString(Hive::kCurrentUser, kOutlook98Key, "PimStore", temp_.Child("gone")));
  cDataConnector driver;
  std::vector<std::string> expected = kOpening;
  expected.push_back(
      kStamp +
      std::string("Error(Class_Initialize - DataConnector): the contact "
                  "store ") +
      temp_.Child("gone") +
      " does not exist or is not a folder in olconn97\n\rInit: Going on execution...");
  EXPECT_EQ(Lines(), expected);
  EXPECT_FALSE(Shared().gDriverReady);
  EXPECT_FALSE(Shared().gWorkspace);
  EXPECT_EQ(Shared().services.desktop().screen().MousePointer(), 0);
  EXPECT_FALSE(std::filesystem::exists(temp_.Child("gone")));
}

TEST_F(StartupTest, ASecondDriverReplacesTheSharedStateAndAnyEndClosesIt) {
  auto first = std::make_unique<cDataConnector>();
  com::ComPtr<pim::Application> first_app = Shared().gOutlookApp;
  com::ComPtr<PIMActions> first_actions = Shared().gDefaultActions;
  auto second = std::make_unique<cDataConnector>();
  EXPECT_NE(Shared().gOutlookApp.get(), first_app.get());
  EXPECT_NE(Shared().gDefaultActions, first_actions);
  first.reset();  // the end of either driver closes the shared databases
  EXPECT_FALSE(Shared().gWorkspace);
  EXPECT_FALSE(Shared().gDefaultActions);
  EXPECT_TRUE(Shared().gOutlookApp);  // the connection is ClosePIM's to end
  second.reset();                     // finds nothing left to close
}

TEST_F(StartupTest, ADriverWhoseStartUpFailedEarlyEndsQuietly) {
  ASSERT_TRUE(RegWriteString(Hive::kCurrentUser, kOutlook98Key, "PimStore", temp_.Child("gone")));
  { cDataConnector driver; }
  EXPECT_FALSE(Shared().gDriverReady);
  EXPECT_FALSE(Shared().gCacheDatabase);
}

}  // namespace
}  // namespace olconn97
