// The store's windows where windows are drawn: the card of an item and the
// view of a folder, the question an edited card asks before it closes, and
// the user's close box. Played on a recording back end that draws.
#include "outside/pim/item_windows.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "outside/pim/item_classes.h"
#include "outside/pim/windows.h"
#include "outside/ui/desktop.h"
#include "outside/ui/loop_clock.h"
#include "test_support.h"

namespace olconn97::pim {
namespace {

using ::testing::ElementsAre;

class ItemWindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    backend_.shows_windows = true;
    ApplicationOptions options;
    options.store_folder = temp_.Child("store");
    options.create_store = true;
    options.display = [this](const DisplayEvent& event) { reported_.push_back(event.path); };
    options.desktop = [this] { return &desktop_; };
    app_ = Application::Create(std::move(options)).value();
    ns_ = app_->GetNamespace("MAPI").value();
    contacts_ = ns_->GetDefaultFolder(kFolderContacts).value();
    com::ComPtr<Item> item = contacts_->GetItems().value()->Add(kContactItem).value();
    ann_ = com::ComPtr<ContactItem>(item->AsContact());
    ASSERT_TRUE(ann_->Set("FullName", "Ann Smith").ok());
    ASSERT_TRUE(ann_->Set("HomeTelephoneNumber", "0401020304").ok());
    ASSERT_TRUE(ann_->Save().ok());
  }
  std::vector<std::string> Shown(const ui::WindowModel& window) {
    std::vector<std::string> lines;
    for (int n = 1; const ui::Control* label = window.Find("Label" + std::to_string(n)); ++n) {
      lines.push_back(label->text() + ": " + window.Find("Field" + std::to_string(n))->text());
    }
    return lines;
  }
  std::string StoredName() {
    return ns_->GetItemFromID(ann_->EntryID()).value()->AsContact()->Text("FullName");
  }

  testing::TempDir temp_;
  ui::ManualLoopClock clock_;
  ui::RecordingWindowBackend backend_;
  ui::Desktop desktop_{clock_, backend_};
  std::vector<std::string> reported_;
  com::ComPtr<Application> app_;
  com::ComPtr<NameSpace> ns_;
  com::ComPtr<MAPIFolder> contacts_;
  com::ComPtr<ContactItem> ann_;
};

TEST_F(ItemWindowsTest, DisplayDrawsTheCardInsteadOfReportingIt) {
  com::ComPtr<Inspector> inspector = ann_->GetInspector();
  ASSERT_TRUE(inspector->Display().ok());
  ASSERT_NE(inspector->window(), nullptr);
  EXPECT_TRUE(inspector->window()->visible());
  EXPECT_EQ(inspector->window()->caption(), "Ann Smith");
  EXPECT_THAT(Shown(*inspector->window()),
              ElementsAre("Full name: Ann Smith", "Last name: Smith", "First name: Ann",
                          "Home: 0401020304", "File: " + ann_->path()));
  EXPECT_TRUE(reported_.empty());

  // Shown again, it reads the item afresh.
  ASSERT_TRUE(ann_->Set("CompanyName", "Norvale").ok());
  ASSERT_TRUE(ann_->Save().ok());
  ASSERT_TRUE(inspector->Display().ok());
  EXPECT_EQ(Shown(*inspector->window())[3], "Company: Norvale");
}

TEST_F(ItemWindowsTest, CloseTwoAsksOnlyForAnEditedCardAndCancelKeepsItOpen) {
  com::ComPtr<Inspector> inspector = ann_->GetInspector();
  ASSERT_TRUE(inspector->Display().ok());
  ASSERT_TRUE(inspector->Close(kClosePromptForSave).ok());
  EXPECT_FALSE(inspector->window()->loaded());
  EXPECT_FALSE(app_->ActiveInspector());

  ASSERT_TRUE(inspector->Display().ok());
  ASSERT_TRUE(ann_->Set("FullName", "Ann Stone").ok());
  backend_.events.clear();
  backend_.answer = ui::Answer::kCancel;
  ASSERT_TRUE(inspector->Close(kClosePromptForSave).ok());
  EXPECT_THAT(backend_.events,
              ElementsAre("ask Ann Stone: Do you want to save the changes to \"Ann Stone\"?"));
  EXPECT_TRUE(inspector->window()->loaded());
  EXPECT_EQ(app_->ActiveInspector().get(), inspector.get());

  backend_.answer = ui::Answer::kYes;
  ASSERT_TRUE(inspector->Close(kClosePromptForSave).ok());
  EXPECT_FALSE(inspector->window()->loaded());
  EXPECT_EQ(StoredName(), "Ann Stone");
  EXPECT_FALSE(ann_->Edited());
}

TEST_F(ItemWindowsTest, TheUsersCloseBoxClosesTheInspectorAfterTheSameQuestion) {
  ASSERT_TRUE(ann_->GetInspector()->Display().ok());
  ItemWindow* card = ann_->GetInspector()->window();
  ASSERT_TRUE(ann_->Set("FullName", "Ann Stone").ok());
  backend_.answer = ui::Answer::kNo;
  EXPECT_TRUE(card->RequestClose());
  EXPECT_FALSE(app_->ActiveInspector());
  EXPECT_EQ(StoredName(), "Ann Smith");  // not saved
  // The inspector lives until the loop next runs: its window's event was
  // still running when the session let it go.
  EXPECT_EQ(desktop_.loop().YieldOnce(), 1);
}

TEST_F(ItemWindowsTest, AFolderViewListsItsItemsAndItsCloseBoxEndsTheExplorer) {
  ASSERT_TRUE(contacts_->Display().ok());
  com::ComPtr<Explorer> explorer = app_->ActiveExplorer();
  ASSERT_TRUE(explorer);
  FolderView* view = explorer->window();
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->caption(), "Contacts");
  EXPECT_EQ(view->Find("FolderPath")->text(), contacts_->path());
  const auto* items = dynamic_cast<const ui::ListBox*>(view->Find("listItems"));
  ASSERT_NE(items, nullptr);
  EXPECT_FALSE(items->check_boxes());
  EXPECT_THAT(items->rows(), ElementsAre(ui::ListRow{"Ann Smith  0401020304", false}));
  EXPECT_TRUE(view->RequestClose());
  EXPECT_FALSE(app_->ActiveExplorer());
}

}  // namespace
}  // namespace olconn97::pim
