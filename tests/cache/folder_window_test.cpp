// The folder selection window as its user meets it: which folders it lists
// and checks, the export folder's row, the tool tip, and what OK stores.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "cache/cache_test_support.h"
#include "cache/folder_window.h"
#include "core/reg_settings.h"
#include "core/settings.h"
#include "driver/config_window.h"

namespace olconn97::testing {
namespace {

class FolderWindowTest : public CacheTest {
 protected:
  void TearDown() override { ResetConfigWindowForTesting(); }

  frmOutSelFolder& Window() {
    frmOutSelFolder& window = FolderSelectionWindow();
    // Modal, as the configuration window shows it; headless, it returns
    // at once, still shown, and the test plays its user.
    EXPECT_TRUE(window.Show(ui::ShowMode::kModal).ok());
    return window;
  }
  // The rows as "x path" (checked) or "- path".
  std::vector<std::string> ListRows(frmOutSelFolder& window) {
    std::vector<std::string> rows;
    for (const ui::ListRow& row : window.listFolder().rows()) {
      rows.push_back((row.checked ? "x " : "- ") + row.text);
    }
    return rows;
  }
  int RowOf(frmOutSelFolder& window, const std::string& path_end) {
    const auto& rows = window.listFolder().rows();
    for (size_t i = 0; i < rows.size(); ++i) {
      if (rows[i].text.ends_with(path_end)) return static_cast<int>(i);
    }
    return -1;
  }
  std::string Stored(const std::string& name) {
    return RegReadString(Hive::kCurrentUser, kFolderSelectionKey, name);
  }
};

TEST_F(FolderWindowTest, WithoutAStoredChoiceTheFirstSixteenAreListedAndChecked) {
  for (int i = 0; i < 17; ++i) AddFolder(*contacts_->ParentFolder(), "Book " + std::to_string(i));
  StartDriver();
  frmOutSelFolder& window = Window();
  EXPECT_EQ(window.caption(), "Outlook contacts folders selection");
  EXPECT_TRUE(window.NotConfigured());
  ASSERT_EQ(window.listFolder().ListCount(), 16);
  EXPECT_EQ(window.AllFolders().size(), 16u);
  EXPECT_EQ(window.InitialSignature(), std::string(16, '1'));
  for (const std::string& row : ListRows(window)) EXPECT_EQ(row.substr(0, 2), "x ") << row;
  EXPECT_FALSE(window.CmdSelect().visible());
  EXPECT_FALSE(window.ReinitCheck().visible());
  EXPECT_FALSE(window.PSTLabel().visible());

  // The tool tip names the row under the pointer (16 rows in the list's height).
  const int row_height = window.listFolder().bounds().height / 16;
  ASSERT_TRUE(window.listFolder().MouseMove(10, static_cast<float>(row_height * 2 + 1)));
  EXPECT_EQ(window.listFolder().tool_tip(), window.listFolder().rows()[2].text);
}

TEST_F(FolderWindowTest, OkStoresTheRowsAndSaysWhetherTheChoiceChanged) {
  // A contact folder below a mail folder carries its name in its path.
  com::ComPtr<pim::MAPIFolder> inbox = ns_->GetDefaultFolder(pim::kFolderInbox).value();
  com::ComPtr<pim::MAPIFolder> other = AddFolder(*inbox, "Suppliers");
  StoreSelection(1, *contacts_, "-1");
  StoreSelection(2, *other, "0");
  StartDriver();
  frmOutSelFolder& window = Window();
  EXPECT_FALSE(window.NotConfigured());
  EXPECT_FALSE(window.SelectionMismatch());
  const int contacts_row = RowOf(window, "\\Contacts");
  const int other_row = RowOf(window, "\\Inbox\\Suppliers");
  ASSERT_GE(other_row, 0);
  ASSERT_GE(contacts_row, 0);
  EXPECT_TRUE(window.listFolder().rows()[static_cast<size_t>(contacts_row)].checked);
  EXPECT_FALSE(window.listFolder().rows()[static_cast<size_t>(other_row)].checked);

  // Unchecked and checked again: no change.
  ASSERT_TRUE(window.listFolder().UserCheck(contacts_row, false));
  ASSERT_TRUE(window.listFolder().UserCheck(contacts_row, true));
  ASSERT_TRUE(window.CmdOK().Click());
  EXPECT_FALSE(window.loaded());
  EXPECT_EQ(Stored("ConfigChanged"), "0");
  const std::string n = std::to_string(contacts_row + 1);
  EXPECT_EQ(Stored("entryId" + n), contacts_->EntryID());
  EXPECT_EQ(Stored("selectId" + n), "-1");
  EXPECT_EQ(Stored("selectId" + std::to_string(other_row + 1)), "0");

  // The user swaps the two, then the configuration window rebuilds the
  // cache from exactly the new choice.
  AddContact("Ann Smith", {{"BusinessTelephoneNumber", "1"}});
  auto bob = AddContact("Bob Stone", {{"BusinessTelephoneNumber", "2"}}, other.get());
  frmOutSelFolder& again = Window();
  ASSERT_TRUE(again.listFolder().UserCheck(contacts_row, false));
  ASSERT_TRUE(again.listFolder().UserCheck(other_row, true));
  ASSERT_TRUE(again.CmdOK().Click());
  EXPECT_EQ(Stored("ConfigChanged"), "1");
  ASSERT_TRUE(driver_->Dataconnector_ConfigPIM().ok());
  ASSERT_TRUE(ConfigWindow().btnInit().Click());
  RunWalk();
  EXPECT_EQ(Rows(), (std::vector<CacheRow>{{"2", bob->EntryID(), "Stone, Bob"}}));
}

TEST_F(FolderWindowTest, TheExportFolderStaysCheckedAndLostFoldersCountAsAChange) {
  com::ComPtr<pim::MAPIFolder> colleagues = AddFolder(*contacts_->ParentFolder(), "Colleagues");
  com::ComPtr<pim::MAPIFolder> gone = AddFolder(*contacts_->ParentFolder(), "Gone");
  StoreSelection(1, *contacts_, "-1");
  StoreSelection(2, *colleagues, "-1");
  StoreSelection(3, *gone, "-1");
  CRegSettings location;
  location.set_AppName("7316\\Popup\\outlook98");
  ASSERT_TRUE(location.SaveSetting("TransfertFolder", "EntryID", colleagues->EntryID()));
  ASSERT_TRUE(location.SaveSetting("TransfertFolder", "StoreID", colleagues->StoreID()));
  std::filesystem::remove_all(gone->path());
  StartDriver();

  frmOutSelFolder& window = Window();
  EXPECT_TRUE(window.SelectionMismatch());
  const int export_row = RowOf(window, "\\Colleagues");
  ASSERT_TRUE(window.listFolder().UserCheck(export_row, false));
  EXPECT_TRUE(window.listFolder().rows()[static_cast<size_t>(export_row)].checked);
  // Nothing changed by the user, yet a stored folder was lost.
  ASSERT_TRUE(window.CmdOK().Click());
  EXPECT_EQ(Stored("ConfigChanged"), "1");
  EXPECT_EQ(Stored("entryId3"), "");

  // Cancel writes nothing.
  RegWriteString(Hive::kCurrentUser, kFolderSelectionKey, "ConfigChanged", "x");
  ASSERT_TRUE(Window().CmdCancel().Click());
  EXPECT_EQ(Stored("ConfigChanged"), "x");
}

}  // namespace
}  // namespace olconn97::testing

namespace olconn97::testing {
namespace {

TEST_F(FolderWindowTest, WithoutTheStoreTheListIsEmptyAndOkKeepsNoSelection) {
  StoreSelection(1, *contacts_, "-1");
  StartDriver();
  ASSERT_TRUE(driver_->Dataconnector_ClosePIM().ok());
  frmOutSelFolder& window = Window();
  EXPECT_EQ(window.listFolder().ListCount(), 0);
  const std::vector<std::string> lines = LogLines();
  EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
    return line.ends_with("Getting Outlook folders : no connection to object outlook");
  }));
  ASSERT_TRUE(window.CmdOK().Click());
  // The stored choice cannot even be looked up: it counts as none.
  EXPECT_EQ(Stored("entryId1"), "");
  EXPECT_EQ(Stored("ConfigChanged"), "0");
}

}  // namespace
}  // namespace olconn97::testing
