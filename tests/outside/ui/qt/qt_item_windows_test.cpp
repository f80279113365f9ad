// The store's windows drawn by the Qt back end: a contact's card, a
// folder's view, and the question an edited card asks before it closes.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>

#include "core/shared_state.h"
#include "outside/pim/item_classes.h"
#include "outside/pim/windows.h"
#include "outside/ui/qt/qt_test_support.h"

namespace olconn97::testing {
namespace {

class QtItemWindowsTest : public QtDriverTest {
 protected:
  void SetUp() override {
    QtDriverTest::SetUp();
    ann_ = AddContact("Ann Smith", {{"BusinessTelephoneNumber", "+33 1 23 45 67 89"},
                                    {"MobileTelephoneNumber", "+33 6 12 34 56 78"}});
    ASSERT_TRUE(ann_->Set("CompanyName", "Norvale").ok());
    ASSERT_TRUE(ann_->Set("Email1Address", "ann@example.org").ok());
    ASSERT_TRUE(ann_->Set("Categories", "Customers").ok());
    ASSERT_TRUE(ann_->Save().ok());
    StartQtDriver();
  }

  // The card as the driver's store object model opens it for an action.
  com::ComPtr<pim::Inspector> OpenCard() {
    com::ComPtr<pim::Item> item = Shared().gNameSpace->GetItemFromID(ann_->EntryID()).value();
    com::ComPtr<pim::Inspector> inspector = item->GetInspector();
    EXPECT_TRUE(inspector->Display().ok());
    return inspector;
  }
  // "label: value" for each line the card's widgets show.
  std::vector<std::string> CardLines(const pim::ItemWindow& card) {
    std::vector<std::string> lines;
    for (int n = 1;; ++n) {
      const ui::Control* label = card.Find("Label" + std::to_string(n));
      const ui::Control* field = card.Find("Field" + std::to_string(n));
      if (label == nullptr || field == nullptr) break;
      lines.push_back(WidgetOf<QLabel>(*label)->text().toStdString() + ": " +
                      WidgetOf<QLineEdit>(*field)->text().toStdString());
    }
    return lines;
  }
  // Answers the question box that comes up with `button`.
  void Answer(QMessageBox::StandardButton button) {
    WhenModal([button] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      box->button(button)->click();
    });
  }
  std::string Company() {
    com::ComPtr<pim::Item> fresh = ns_->GetItemFromID(ann_->EntryID()).value();
    return fresh->AsContact()->Text("CompanyName");
  }

  com::ComPtr<pim::ContactItem> ann_;
};

TEST_F(QtItemWindowsTest, TheCardShowsTheContactsFieldsAndItsFile) {
  com::ComPtr<pim::Inspector> inspector = OpenCard();
  ASSERT_NE(inspector->window(), nullptr);
  ui::qt::ModelWindow* window = Drawn(*inspector->window());
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->windowTitle(), "Ann Smith");
  EXPECT_EQ(CardLines(*inspector->window()),
            (std::vector<std::string>{"Full name: Ann Smith", "Last name: Smith",
                                      "First name: Ann", "Company: Norvale",
                                      "Business: +33 1 23 45 67 89", "Mobile: +33 6 12 34 56 78",
                                      "E-mail 1: ann@example.org", "Categories: Customers",
                                      "File: " + ann_->path()}));
  EXPECT_TRUE(SaveScreenshot(*window, "Inspector"));
  EXPECT_EQ(Shared().gOutlookApp->ActiveInspector().get(), inspector.get());

  // Closed by its close box: no longer the active inspector.
  window->close();
  EXPECT_FALSE(inspector->window()->loaded());
  EXPECT_FALSE(Shared().gOutlookApp->ActiveInspector());
}

TEST_F(QtItemWindowsTest, AnEditedCardAsksBeforeItClosesAndSavesOnlyOnYes) {
  com::ComPtr<pim::Inspector> inspector = OpenCard();
  pim::ContactItem* shown = inspector->CurrentItem()->AsContact();

  // Unedited, Close(2) asks nothing.
  ASSERT_TRUE(inspector->Close(pim::kClosePromptForSave).ok());
  EXPECT_FALSE(inspector->window()->loaded());

  ASSERT_TRUE(inspector->Display().ok());
  ASSERT_TRUE(shown->Set("CompanyName", "Corvanta").ok());
  Answer(QMessageBox::Cancel);  // keeps the card open, unsaved
  ASSERT_TRUE(inspector->Close(pim::kClosePromptForSave).ok());
  EXPECT_TRUE(inspector->window()->loaded());
  EXPECT_EQ(Company(), "Norvale");

  Answer(QMessageBox::No);
  ASSERT_TRUE(inspector->Close(pim::kClosePromptForSave).ok());
  EXPECT_FALSE(inspector->window()->loaded());
  EXPECT_EQ(Company(), "Norvale");

  ASSERT_TRUE(inspector->Display().ok());
  Answer(QMessageBox::Yes);  // the close box asks the same
  Drawn(*inspector->window())->close();
  EXPECT_FALSE(inspector->window()->loaded());
  EXPECT_EQ(Company(), "Corvanta");
}

TEST_F(QtItemWindowsTest, TheFolderViewListsItsItemsByNameAndMainNumber) {
  AddContact("Bob Stone", {{"HomeTelephoneNumber", "0401020304"}});
  com::ComPtr<pim::MAPIFolder> folder =
      Shared().gNameSpace->GetDefaultFolder(pim::kFolderContacts).value();
  ASSERT_TRUE(folder->Display().ok());
  com::ComPtr<pim::Explorer> explorer = Shared().gOutlookApp->ActiveExplorer();
  ASSERT_TRUE(explorer);
  ASSERT_NE(explorer->window(), nullptr);
  ui::qt::ModelWindow* window = Drawn(*explorer->window());
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->windowTitle(), "Contacts");
  auto* list = WidgetOf<QListWidget>(*explorer->window()->Find("listItems"));
  ASSERT_NE(list, nullptr);
  std::vector<std::string> rows;
  for (int i = 0; i < list->count(); ++i) rows.push_back(list->item(i)->text().toStdString());
  std::sort(rows.begin(), rows.end());
  EXPECT_EQ(rows, (std::vector<std::string>{"Ann Smith  +33 1 23 45 67 89", "Bob Stone  0401020304"}));
  EXPECT_TRUE(SaveScreenshot(*window, "Explorer"));

  window->close();
  EXPECT_FALSE(Shared().gOutlookApp->ActiveExplorer());
}

}  // namespace
}  // namespace olconn97::testing
