// The user's choice of contact folders: how it is read back, and how a
// folder is tested against it.
#include "core/selected_folders.h"

#include <gtest/gtest.h>

#include "core/settings.h"
#include "core/shared_state.h"
#include "diag/log_window.h"
#include "test_support.h"

namespace olconn97 {
namespace {

class SelectedFoldersTest : public testing::DriverTest {
 protected:
  void SetUp() override {
    pim::ApplicationOptions options;
    options.store_folder = temp_.Child("store");
    options.create_store = true;
    app_ = pim::Application::Create(std::move(options)).value();
    Shared().gNameSpace = app_->GetNamespace("MAPI").value();
    contacts_ = Shared().gNameSpace->GetDefaultFolder(pim::kFolderContacts).value();
  }

  void Store(int n, const std::string& entry, const std::string& store, const char* select) {
    std::string suffix = std::to_string(n);
    ASSERT_TRUE(RegWriteString(Hive::kCurrentUser, kFolderSelectionKey, "entryId" + suffix, entry));
    ASSERT_TRUE(RegWriteString(Hive::kCurrentUser, kFolderSelectionKey, "storeId" + suffix, store));
    if (select != nullptr) {
      ASSERT_TRUE(
          RegWriteString(Hive::kCurrentUser, kFolderSelectionKey, "selectId" + suffix, select));
    }
  }
  com::ComPtr<pim::MAPIFolder> NewFolder(const std::string& name) {
    return contacts_->Subfolders()->Add(name, pim::kFolderContacts).value();
  }

  com::ComPtr<pim::Application> app_;
  com::ComPtr<pim::MAPIFolder> contacts_;
};

TEST_F(SelectedFoldersTest, WithoutAStoredChoiceEveryFolderIsSelected) {
  ASSERT_TRUE(RegWriteString(Hive::kCurrentUser, kPopupKey, "Developper", "1"));
  diag::LogWindow();  // loaded as start-up loads it: the log is on
  GetContactFoldersSelected();
  ASSERT_FALSE(diag::LogWindow().LLog().items.empty());
  EXPECT_TRUE(Shared().gAllFoldersSelected);
  EXPECT_TRUE(IsFolderSelected(*contacts_));
  EXPECT_EQ(diag::LogWindow().LLog().items.back(), "12/04/26 10:50:05:   all folders selected");
  EXPECT_FALSE(IsFolderConfigured());
}

TEST_F(SelectedFoldersTest, TheStoredTriplesAreReadInOrderUpToTheFirstEmptyOne) {
  auto a = NewFolder("A");
  auto b = NewFolder("B");
  auto c = NewFolder("C");
  Store(1, a->EntryID(), a->StoreID(), "-1");
  Store(2, b->EntryID(), b->StoreID(), "0");
  Store(3, c->EntryID(), c->StoreID(), " ");                   // blank: selected
  Store(5, contacts_->EntryID(), contacts_->StoreID(), "-1");  // after a gap: never read
  GetContactFoldersSelected();
  EXPECT_FALSE(Shared().gAllFoldersSelected);
  EXPECT_EQ(Shared().gSelectedEntryIds[0], a->EntryID());
  EXPECT_EQ(Shared().gSelectedEntryIds[1], c->EntryID());
  EXPECT_EQ(Shared().gSelectedEntryIds[2], "");
  EXPECT_TRUE(IsFolderSelected(*a));
  EXPECT_FALSE(IsFolderSelected(*b));
  EXPECT_TRUE(IsFolderSelected(*c));
  EXPECT_FALSE(IsFolderSelected(*contacts_));
  EXPECT_TRUE(IsFolderConfigured());

  // A later, shorter choice replaces the whole list.
  ASSERT_TRUE(registry::DeleteKey(registry_, Hive::kCurrentUser, kFolderSelectionKey, true).ok());
  Store(1, b->EntryID(), b->StoreID(), "-1");
  GetContactFoldersSelected();
  EXPECT_TRUE(IsFolderSelected(*b));
  EXPECT_FALSE(IsFolderSelected(*a));
}

TEST_F(SelectedFoldersTest, AnEmptyKeySelectsNothingAndOnlySixteenAreRead) {
  ASSERT_TRUE(registry::CreateKey(registry_, Hive::kCurrentUser, kFolderSelectionKey).ok());
  GetContactFoldersSelected();
  EXPECT_FALSE(Shared().gAllFoldersSelected);
  EXPECT_FALSE(IsFolderSelected(*contacts_));

  for (int n = 1; n <= 16; ++n) Store(n, "E" + std::to_string(n), "S", "-1");
  Store(17, contacts_->EntryID(), contacts_->StoreID(), "-1");
  GetContactFoldersSelected();
  EXPECT_EQ(Shared().gSelectedEntryIds[15], "E16");
  EXPECT_FALSE(IsFolderSelected(*contacts_));
}

TEST_F(SelectedFoldersTest, AStoredStoreIdMayBeLongerButMustBeginWithTheCurrentOne) {
  Store(1, contacts_->EntryID(), contacts_->StoreID() + "0000EXTRA", "-1");
  GetContactFoldersSelected();
  EXPECT_TRUE(IsFolderSelected(*contacts_));

  std::string other_store = contacts_->StoreID();
  other_store[0] = other_store[0] == 'A' ? 'B' : 'A';
  Store(1, contacts_->EntryID(), other_store, "-1");
  GetContactFoldersSelected();
  EXPECT_FALSE(IsFolderSelected(*contacts_));

  // A triple with one part missing is still read.
  ASSERT_TRUE(
      registry::DeleteValue(registry_, Hive::kCurrentUser, kFolderSelectionKey, "storeId1").ok());
  GetContactFoldersSelected();
  EXPECT_EQ(Shared().gSelectedEntryIds[0], contacts_->EntryID());
  EXPECT_FALSE(IsFolderSelected(*contacts_));
  EXPECT_FALSE(IsFolderConfigured());  // only the entry ID is stored: not asked
}

}  // namespace
}  // namespace olconn97
