// The host operations that act on the store and the user's screen: showing
// a default folder, creating a contact for a caller, and the configuration
// window with its cache commands.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <ctime>
#include <filesystem>

#include "cache/cache_test_support.h"
#include "cache/data_cache.h"
#include "cache/progress_window.h"
#include "core/settings.h"
#include "core/shared_state.h"
#include "cache/folder_window.h"
#include "driver/config_window.h"
#include "outside/pim/store_files.h"
#include "outside/pim/windows.h"

namespace olconn97::testing {
namespace {

class HostOperationsTest : public CacheTest {
 protected:
  void TearDown() override { ResetConfigWindowForTesting(); }

  // The folder the active explorer shows, or "" when none is open.
  std::string ShownFolder() {
    com::ComPtr<pim::Explorer> explorer = Shared().gOutlookApp->ActiveExplorer();
    return explorer ? explorer->CurrentFolder()->Name() : std::string();
  }
  bool Logged(const std::string& text) {
    std::vector<std::string> lines = LogLines();
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
      return line.find(text) != std::string::npos;
    });
  }
  std::vector<com::ComPtr<pim::Item>> ContactsFolderItems() {
    com::ComPtr<pim::Items> items = contacts_->GetItems().value();
    std::vector<com::ComPtr<pim::Item>> all;
    for (int32_t i = 1; i <= items->Count(); ++i) all.push_back(items->Item(i).value());
    return all;
  }
  // A later driver object whose start-up fails (its store is gone) leaves
  // gDriverReady false, while the connection and the cache of the first
  // one stay in the shared state.
  void FailASecondStartUp() {
    ASSERT_TRUE(RegWriteString(Hive::kCurrentUser, kOutlook98Key, "PimStore", temp_.Child("gone")));
    failed_driver_ = std::make_unique<cDataConnector>();
    ASSERT_FALSE(Shared().gDriverReady);
    ASSERT_TRUE(Shared().gNameSpace);
    ASSERT_TRUE(Shared().gDataCache);
  }
  void SetLanguage(const char* lang) {
    ASSERT_TRUE(RegWriteString(Hive::kCurrentUser, kZepPhoneSettingsKey, "lang", lang));
  }
  int LoadedConfigWindows() {
    const auto& loaded = desktop_.loaded_windows();
    return static_cast<int>(std::count_if(loaded.begin(), loaded.end(), [](ui::WindowModel* w) {
      return w->name() == "frmConfigPIM";
    }));
  }

  std::unique_ptr<cDataConnector> failed_driver_;
};

TEST_F(HostOperationsTest, ShowFolderKnowsOnlyTheExactLowerCaseNames) {
  StartDriver();
  for (const char* name : {"", "Contacts", "JOURNAL", "inbox", "contacts "}) {
    Result<bool> shown = driver_->Dataconnector_ShowFolder(name, "");
    ASSERT_TRUE(shown.ok()) << name;
    EXPECT_FALSE(shown.value()) << name;
  }
  EXPECT_FALSE(Shared().gOutlookApp->ActiveExplorer());
}

TEST_F(HostOperationsTest, ShowFolderOpensAnExplorerOrSwitchesTheOpenOne) {
  StartDriver();
  // No explorer yet: one opens on the folder, and only then the answer is true.
  Result<bool> opened = driver_->Dataconnector_ShowFolder("journal", "ignored");
  ASSERT_TRUE(opened.ok()) << opened.status().ToString();
  EXPECT_TRUE(opened.value());
  EXPECT_EQ(ShownFolder(), "Journal");
  com::ComPtr<pim::Explorer> first = Shared().gOutlookApp->ActiveExplorer();

  Result<bool> switched = driver_->Dataconnector_ShowFolder("contacts", "");
  ASSERT_TRUE(switched.ok());
  EXPECT_FALSE(switched.value());
  EXPECT_EQ(first->CurrentFolder()->Name(), "Contacts");
  EXPECT_EQ(ShownFolder(), "Contacts");

  switched = driver_->Dataconnector_ShowFolder("journal", "");
  ASSERT_TRUE(switched.ok());
  EXPECT_FALSE(switched.value());
  EXPECT_EQ(ShownFolder(), "Journal");
}

TEST_F(HostOperationsTest, ShowFolderPassesStoreFailuresToTheHost) {
  StartDriver();
  std::filesystem::remove_all(store() + "/Journal");
  Result<bool> missing = driver_->Dataconnector_ShowFolder("journal", "");
  ASSERT_FALSE(missing.ok());
  EXPECT_NE(missing.status().description().find("default folder 11"), std::string::npos);

  ASSERT_TRUE(driver_->Dataconnector_ClosePIM().ok());
  Result<bool> closed = driver_->Dataconnector_ShowFolder("contacts", "");
  ASSERT_FALSE(closed.ok());
  EXPECT_EQ(closed.status().description(), "the connection to the contact store is closed");
  // A name it does not know is still answered without the store.
  EXPECT_FALSE(driver_->Dataconnector_ShowFolder("Contacts", "").value());
}

TEST_F(HostOperationsTest, CreateContactSavesAndIndexesTheContactAtOnce) {
  StartDriver();
  ASSERT_TRUE(Rows().empty());
  ASSERT_TRUE(driver_->Dataconnector_CreateContact("Ann Smith", "+33 1 23", false).ok());
  EXPECT_TRUE(Logged("Contact creation asked by user: Ann Smith from +33 1 23"));

  std::vector<com::ComPtr<pim::Item>> items = ContactsFolderItems();
  ASSERT_EQ(items.size(), 1u);
  pim::ContactItem* ann = items[0]->AsContact();
  ASSERT_NE(ann, nullptr);
  EXPECT_EQ(ann->Text("FullName"), "Ann Smith");
  EXPECT_EQ(ann->Text("BusinessTelephoneNumber"), "+33 1 23");
  // In the cache without a walk, under the number's digits.
  EXPECT_FALSE(WalkPending());
  EXPECT_EQ(Rows(), (std::vector<CacheRow>{{"33123", ann->EntryID(), "Smith, Ann"}}));
  EXPECT_FALSE(Shared().gOutlookApp->ActiveInspector());

  ASSERT_TRUE(driver_->Dataconnector_CreateContact("Bob Stone", "0600", true).ok());
  com::ComPtr<pim::Inspector> shown = Shared().gOutlookApp->ActiveInspector();
  ASSERT_TRUE(shown);
  EXPECT_EQ(shown->CurrentItem()->AsContact()->Text("FullName"), "Bob Stone");
  EXPECT_TRUE(shown->CurrentItem()->saved());
  EXPECT_EQ(Rows().size(), 2u);
}

TEST_F(HostOperationsTest, CreateContactLogsItsFailureAndKeepsWhatWasDone) {
  StartDriver();
  // Without a cache maintainer the saved contact stays, and no window opens.
  Owned<DataCache> cache = std::move(Shared().gDataCache);
  ASSERT_TRUE(driver_->Dataconnector_CreateContact("Ann Smith", "1", true).ok());
  Shared().gDataCache = std::move(cache);
  EXPECT_TRUE(Logged("Error (CreateContact): there is no cache maintainer in olconn97"));
  EXPECT_EQ(ContactsFolderItems().size(), 1u);
  EXPECT_FALSE(Shared().gOutlookApp->ActiveInspector());
  EXPECT_TRUE(Rows().empty());

  ASSERT_TRUE(driver_->Dataconnector_ClosePIM().ok());
  ASSERT_TRUE(driver_->Dataconnector_CreateContact("Bob Stone", "2", false).ok());
  EXPECT_TRUE(Logged("Error (CreateContact): the connection to the contact store is closed"));
  EXPECT_EQ(ContactsFolderItems().size(), 1u);
}

// The user's own address book, linked into the store, takes the callers
// saved from a call, so their address book program lists them too.
TEST_F(HostOperationsTest, CreateContactWritesIntoTheFolderTheSettingNames) {
  const std::string book = temp_.Child("book");
  ASSERT_TRUE(pim::MakeDirectories(book).ok());
  ASSERT_EQ(symlink(book.c_str(), (store() + "/Work").c_str()), 0);
  AddFolder(*contacts_, "Clients");
  StartDriver();
  // By the link's name, by the path 'store folders' lists, by the whole path.
  for (const std::string& named :
       {std::string("Work"), std::string("Personal Folders/Work"), store() + "/Work"}) {
    ASSERT_TRUE(RegWriteString(Hive::kCurrentUser, kOutlook98Key, "NewContactsFolder", named));
    ASSERT_TRUE(driver_->Dataconnector_CreateContact("Ann Smith", "+33 1 23", false).ok());
  }
  EXPECT_EQ(pim::ListEntries(book, pim::EntryType::kFile).value().size(), 3u);
  EXPECT_TRUE(ContactsFolderItems().empty());
  EXPECT_EQ(Rows().size(), 3u);  // indexed at once, as in the Contacts folder

  // A folder below another one is found by its name or its path.
  ASSERT_TRUE(RegWriteString(Hive::kCurrentUser, kOutlook98Key, "NewContactsFolder", "clients"));
  ASSERT_TRUE(driver_->Dataconnector_CreateContact("Bob Stone", "2", false).ok());
  EXPECT_EQ(pim::ListEntries(store() + "/Contacts/Clients", pim::EntryType::kFile).value().size(),
            1u);
  // A name that is no contacts folder creates nothing anywhere, and says why.
  for (const char* named : {"Inbox", "Nowhere"}) {
    ASSERT_TRUE(RegWriteString(Hive::kCurrentUser, kOutlook98Key, "NewContactsFolder", named));
    ASSERT_TRUE(driver_->Dataconnector_CreateContact("Eve Lam", "3", false).ok());
  }
  EXPECT_TRUE(
      Logged("Error (CreateContact): the setting \"NewContactsFolder\" (Inbox): Inbox is "
             "not a contacts folder"));
  EXPECT_TRUE(Logged("(Nowhere): the store has no folder Nowhere"));
  EXPECT_EQ(Rows().size(), 4u);
}

TEST_F(HostOperationsTest, ANotReadyDriverCreatesNoContact) {
  StartDriver();
  FailASecondStartUp();
  ASSERT_TRUE(failed_driver_->Dataconnector_CreateContact("Ann Smith", "1", true).ok());
  EXPECT_FALSE(Logged("Contact creation asked by user"));
  EXPECT_TRUE(ContactsFolderItems().empty());
  EXPECT_TRUE(Rows().empty());
}

TEST_F(HostOperationsTest, ConfigPIMShowsOneLocalisedWindowAndReturnsAtOnce) {
  SetLanguage("1");
  StartDriver();
  bool yielded = false;
  desktop_.loop().Post([&] { yielded = true; });
  ASSERT_TRUE(driver_->Dataconnector_ConfigPIM().ok());
  EXPECT_TRUE(yielded);  // the load lets pending messages run

  frmConfigPIM& window = ConfigWindow();
  ASSERT_TRUE(window.loaded());
  EXPECT_TRUE(window.visible());
  EXPECT_FALSE(window.modal());
  EXPECT_EQ(window.caption(), "Configuration d'Outlook");
  EXPECT_EQ(window.btnFolderSel().text(), "Sélectionner les &dossiers de contacts");
  EXPECT_EQ(window.btnSynchro().text(), "&Synchroniser");
  EXPECT_EQ(window.btnInit().text(), "&Réinitialiser");
  EXPECT_EQ(window.btnOK().text(), "&OK");
  EXPECT_EQ(window.btnCancel().text(), "&Annuler");
  EXPECT_NE(window.FindAs<ui::Frame>("Frame1"), nullptr);

  ASSERT_TRUE(driver_->Dataconnector_ConfigPIM().ok());
  EXPECT_EQ(LoadedConfigWindows(), 1);
  EXPECT_EQ(&ConfigWindow(), &window);
}

TEST_F(HostOperationsTest, TheWindowTakesTheCharsetOfTheUsersLanguage) {
  SetLanguage("4");  // Eastern European character set, no catalog of its own
  StartDriver();
  ASSERT_TRUE(driver_->Dataconnector_ConfigPIM().ok());
  frmConfigPIM& window = ConfigWindow();
  EXPECT_EQ(window.caption(), "Outlook configuration");  // the English text stands in
  for (const auto& control : window.controls()) {
    EXPECT_EQ(control->font_charset(), 238) << control->name();
  }
}

TEST_F(HostOperationsTest, OkCancelAndTheCloseBoxEachCloseTheWindow) {
  StartDriver();
  frmConfigPIM& window = ConfigWindow();
  for (int way = 0; way < 3; ++way) {
    ASSERT_TRUE(driver_->Dataconnector_ConfigPIM().ok());
    ASSERT_TRUE(window.loaded());
    bool closed = way == 0   ? window.btnOK().Click()
                  : way == 1 ? window.btnCancel().Click()
                             : window.RequestClose();
    EXPECT_TRUE(closed) << way;
    EXPECT_FALSE(window.loaded()) << way;
    EXPECT_EQ(LoadedConfigWindows(), 0);
  }
}

TEST_F(HostOperationsTest, SynchronizeRefreshesAndReinitializeRebuildsTheNewSelection) {
  auto other = AddFolder(*contacts_, "Other");
  auto ann = AddContact("Ann Smith", {{"BusinessTelephoneNumber", "1"}});
  auto bob = AddContact("Bob Stone", {{"BusinessTelephoneNumber", "2"}}, other.get());
  StartDriver();
  ASSERT_EQ(Rows().size(), 2u);
  ASSERT_TRUE(driver_->Dataconnector_ConfigPIM().ok());
  frmConfigPIM& window = ConfigWindow();

  // A card changed after the stored refresh time is read again.
  ASSERT_TRUE(ann->Set("BusinessTelephoneNumber", "11").ok());
  ASSERT_TRUE(ann->Save().ok());
  std::time_t later = std::chrono::system_clock::to_time_t(clock_.Now()) + 3600;
  struct timespec times[2] = {{later, 0}, {later, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, ann->path().c_str(), times, 0), 0);
  ASSERT_TRUE(window.btnSynchro().Click());
  ASSERT_TRUE(WalkPending());
  EXPECT_FALSE(Shared().progress_window->CreateMode);
  RunWalk();
  EXPECT_EQ(RowsOf(ann->EntryID()), (std::vector<CacheRow>{{"11", ann->EntryID(), "Smith, Ann"}}));

  // The folder dialog stored a new choice: the rebuild reads it first.
  ASSERT_TRUE(
      RegWriteString(Hive::kCurrentUser, kFolderSelectionKey, "entryId1", other->EntryID()));
  ASSERT_TRUE(
      RegWriteString(Hive::kCurrentUser, kFolderSelectionKey, "storeId1", other->StoreID()));
  ASSERT_TRUE(window.btnInit().Click());
  ASSERT_TRUE(WalkPending());
  EXPECT_TRUE(Shared().progress_window->CreateMode);
  RunWalk();
  EXPECT_EQ(Rows(), (std::vector<CacheRow>{{"2", bob->EntryID(), "Stone, Bob"}}));
  EXPECT_TRUE(window.loaded());  // the commands leave the window open
}

TEST_F(HostOperationsTest, ANotReadyDriverIgnoresTheCacheCommands) {
  AddContact("Ann Smith", {{"BusinessTelephoneNumber", "1"}});
  StartDriver();
  ASSERT_TRUE(driver_->Dataconnector_ConfigPIM().ok());
  FailASecondStartUp();
  frmConfigPIM& window = ConfigWindow();
  ASSERT_TRUE(window.btnSynchro().Click());
  ASSERT_TRUE(window.btnInit().Click());
  EXPECT_FALSE(WalkPending());
  // The folder command does not depend on the start-up: its dialog opens.
  ASSERT_TRUE(window.btnFolderSel().Click());
  EXPECT_TRUE(FolderSelectionWindow().loaded());
  EXPECT_TRUE(FolderSelectionWindow().modal());
  EXPECT_FALSE(Logged("Error (btnFolderSel)"));
  EXPECT_TRUE(window.loaded());
}

}  // namespace
}  // namespace olconn97::testing
