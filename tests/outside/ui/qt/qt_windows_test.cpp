// The driver's own windows drawn by the Qt back end: each shows what its
// model holds (captions in the user's language, rows and their checks, the
// progress of a walk), the user's actions on the widgets reach the model,
// and each window leaves a screenshot in the build folder.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QMovie>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <functional>

#include "cache/data_cache.h"
#include "cache/folder_window.h"
#include "cache/progress_window.h"
#include "core/reg_settings.h"
#include "core/settings.h"
#include "core/shared_state.h"
#include "diag/log_window.h"
#include "diag/message_form.h"
#include "driver/config_window.h"
#include "olconn97/olconn97.h"
#include "outside/ui/qt/qt_test_support.h"

namespace olconn97::testing {
namespace {

using ui::qt::ToPixels;

class QtWindowsTest : public QtDriverTest {
 protected:
  // The button's widget shows the model's caption where the model puts it.
  void ExpectButton(const ui::Button& button) {
    auto* widget = WidgetOf<QPushButton>(button);
    ASSERT_NE(widget, nullptr) << button.name();
    EXPECT_EQ(widget->text(), ToQt(button.text())) << button.name();
    EXPECT_EQ(widget->geometry(), ToPixels(button.bounds())) << button.name();
    EXPECT_EQ(widget->isVisibleTo(Drawn(button.window())), button.visible()) << button.name();
  }
  std::string Stored(const std::string& name) {
    return RegReadString(Hive::kCurrentUser, kFolderSelectionKey, name);
  }
};

TEST_F(QtWindowsTest, TheConfigurationWindowIsDrawnInTheUsersLanguageAndItsButtonsAct) {
  SetLanguage("1");
  AddContact("Ann Smith", {{"BusinessTelephoneNumber", "1"}});
  StartQtDriver();
  ASSERT_TRUE(driver_->Dataconnector_ConfigPIM().ok());
  frmConfigPIM& model = ConfigWindow();
  ui::qt::ModelWindow* window = Drawn(model);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->windowTitle(), "Configuration d'Outlook");
  for (ui::Button* button : {&model.btnFolderSel(), &model.btnSynchro(), &model.btnInit(),
                             &model.btnOK(), &model.btnCancel()}) {
    ExpectButton(*button);
  }
  EXPECT_EQ(WidgetOf<QPushButton>(model.btnSynchro())->text(), "&Synchroniser");
  ASSERT_NE(WidgetOf<QGroupBox>(model.Frame1()), nullptr);
  EXPECT_TRUE(SaveScreenshot(*window, "frmConfigPIM"));

  // A host that pumps until the driver is done keeps the window open.
  EXPECT_EQ(olconn97_pump(0), 1);

  // Synchronize refreshes the cache behind the progress window.
  WidgetOf<QPushButton>(model.btnSynchro())->click();
  ASSERT_TRUE(WalkPending());
  EXPECT_FALSE(Shared().progress_window->CreateMode);
  RunQtWalk();

  // The close box unloads the window; nothing is left for the host to wait for.
  window->close();
  EXPECT_FALSE(model.loaded());
  EXPECT_EQ(olconn97_pump(0), 0);
}

TEST_F(QtWindowsTest, TheFolderWindowShowsTheRowsChecksAndKeepsTheExportRow) {
  com::ComPtr<pim::MAPIFolder> colleagues = AddFolder(*contacts_->ParentFolder(), "Colleagues");
  com::ComPtr<pim::MAPIFolder> inbox = ns_->GetDefaultFolder(pim::kFolderInbox).value();
  com::ComPtr<pim::MAPIFolder> suppliers = AddFolder(*inbox, "Suppliers");
  StoreSelection(1, *contacts_, "-1");
  StoreSelection(2, *colleagues, "-1");
  StoreSelection(3, *suppliers, "0");
  CRegSettings location;
  location.set_AppName("7316\\Popup\\outlook98");
  ASSERT_TRUE(location.SaveSetting("TransfertFolder", "EntryID", colleagues->EntryID()));
  ASSERT_TRUE(location.SaveSetting("TransfertFolder", "StoreID", colleagues->StoreID()));
  StartQtDriver();
  ASSERT_TRUE(driver_->Dataconnector_ConfigPIM().ok());

  bool played = false;
  WhenModal([&] {
    frmOutSelFolder& model = FolderSelectionWindow();
    ui::qt::ModelWindow* window = Drawn(model);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isModal());
    EXPECT_EQ(window->windowTitle(), "Outlook contacts folders selection");
    EXPECT_EQ(WidgetOf<QLabel>(model.Label1())->text(), "Contacts folders :");
    EXPECT_FALSE(WidgetOf<QCheckBox>(model.ReinitCheck())->isVisibleTo(window));
    EXPECT_FALSE(WidgetOf<QPushButton>(model.CmdSelect())->isVisibleTo(window));
    auto* list = WidgetOf<QListWidget>(model.listFolder());
    ASSERT_NE(list, nullptr);
    const std::vector<ui::ListRow>& rows = model.listFolder().rows();
    ASSERT_EQ(list->count(), static_cast<int>(rows.size()));
    int export_row = -1;
    int suppliers_row = -1;
    for (int i = 0; i < list->count(); ++i) {
      const ui::ListRow& row = rows[static_cast<size_t>(i)];
      EXPECT_EQ(list->item(i)->text(), ToQt(row.text));
      EXPECT_EQ(list->item(i)->checkState() == Qt::Checked, row.checked) << row.text;
      if (row.text.ends_with("\\Colleagues")) export_row = i;
      if (row.text.ends_with("\\Inbox\\Suppliers")) suppliers_row = i;
    }
    ASSERT_GE(export_row, 0);
    ASSERT_GE(suppliers_row, 0);
    EXPECT_EQ(list->item(suppliers_row)->checkState(), Qt::Unchecked);
    EXPECT_TRUE(SaveScreenshot(*window, "frmOutSelFolder"));

    // The export folder's row cannot be cleared: the model checks it again.
    list->item(export_row)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(list->item(export_row)->checkState(), Qt::Checked);
    EXPECT_TRUE(model.listFolder().rows()[static_cast<size_t>(export_row)].checked);
    list->item(suppliers_row)->setCheckState(Qt::Checked);
    EXPECT_TRUE(model.listFolder().rows()[static_cast<size_t>(suppliers_row)].checked);

    // The pointer over a row names it in the list's tool tip.
    const QRect second = list->visualItemRect(list->item(1));
    QMouseEvent move(QEvent::MouseMove, QPointF(second.center()),
                     list->viewport()->mapToGlobal(QPointF(second.center())), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list->viewport(), &move);
    EXPECT_FALSE(model.listFolder().tool_tip().empty());
    EXPECT_EQ(list->toolTip(), ToQt(model.listFolder().tool_tip()));

    WidgetOf<QPushButton>(model.CmdOK())->click();
    played = true;
  });
  // The folder button shows the dialog modally: it returns once OK closed it.
  WidgetOf<QPushButton>(ConfigWindow().btnFolderSel())->click();
  EXPECT_TRUE(played);
  EXPECT_FALSE(FolderSelectionWindow().loaded());
  EXPECT_EQ(Stored("ConfigChanged"), "1");
  EXPECT_EQ(Stored("selectId3"), "-1");
}

TEST_F(QtWindowsTest, TheProgressWindowShowsTheWalkPlaysItsClipAndRefusesTheCloseBox) {
  InstallClip();
  for (int i = 0; i < 3; ++i) AddContact("Contact " + std::to_string(i), {{"HomeTelephoneNumber", "1"}});
  StartQtDriver();
  bool seen = false;
  Shared().gDataCache->CreateCache();
  frmCreateCache& model = ProgressWindow();
  ui::qt::ModelWindow* window = Drawn(model);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(WidgetOf<QLabel>(model.FolderLbl())->text(), "");
  // The walk yields after every contact: there, once a contact is shown,
  // the window is as the user sees it. (Posted from a task, so that it
  // first runs inside the walk.)
  ui::MessageLoop& loop = qt_desktop_->loop();
  int yields = 0;
  std::function<void()> look = [&] {
    if (model.ContactLbl().text().empty() && ++yields < 100) return loop.Post(look);
    EXPECT_EQ(WidgetOf<QLabel>(model.FolderLbl())->text(), ToQt(model.FolderLbl().text()));
    EXPECT_EQ(WidgetOf<QLabel>(model.ContactLbl())->text(), ToQt(model.ContactLbl().text()));
    EXPECT_FALSE(model.ContactLbl().text().empty());
    auto* bar = WidgetOf<QProgressBar>(model.ProgressBar());
    EXPECT_EQ(bar->value(), model.ProgressBar().value());
    EXPECT_EQ(bar->maximum(), model.ProgressBar().max());
    auto* clip = WidgetOf<QLabel>(model.Animation1());
    ASSERT_NE(clip->movie(), nullptr);
    EXPECT_EQ(clip->movie()->state(), QMovie::Running);
    EXPECT_TRUE(clip->isVisibleTo(window));
    EXPECT_TRUE(SaveScreenshot(*window, "frmCreateCache"));
    window->close();  // the user cannot close it
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(model.loaded());
    seen = true;
  };
  loop.Post([&] { loop.Post(look); });
  RunQtWalk();
  EXPECT_TRUE(seen);
  EXPECT_EQ(Drawn(model), nullptr);  // it unloaded itself when the walk ended
}

TEST_F(QtWindowsTest, TheMessageWindowCountsItsLinesWithTheRealFont) {
  StartQtDriver();
  const std::string message =
      "The program \"/usr/local/bin/call-notes\" could not be started: no such file or "
      "directory. Check the path of the launch action.";
  std::string title = "Dialer";
  diag::frmMessageForm& model = diag::MessageForm();
  model.Load();
  const ui::Bounds design = model.Information().bounds();
  const int window_height = model.bounds().height;
  model.MsgFrm(message, diag::kMessageWarning, title);

  // The rule, measured with the font the text box is drawn in.
  const QFontMetrics metrics(ui::qt::DesignFont(model.Information().font_name()));
  const int width = metrics.horizontalAdvance(ToQt(message)) * ui::qt::kTwipsPerPixel;
  const int slack = metrics.horizontalAdvance("||") * ui::qt::kTwipsPerPixel;
  int lines = 1;
  while (lines < 4 && width + (lines - 1) * slack >= lines * design.width) ++lines;
  ASSERT_LT(lines, 4) << "a message for a smaller window";
  EXPECT_EQ(model.Information().bounds().height, design.height * lines / 4);
  EXPECT_EQ(model.bounds().height, window_height - (design.height - design.height * lines / 4));

  ui::qt::ModelWindow* window = Drawn(model);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->windowTitle(), "Dialer");
  auto* text = WidgetOf<QPlainTextEdit>(model.Information());
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->toPlainText(), ToQt(message));
  EXPECT_EQ(text->geometry(), ToPixels(model.Information().bounds()));
  auto* warning = WidgetOf<QLabel>(model.ImgWarning());
  EXPECT_TRUE(warning->isVisibleTo(window));
  EXPECT_FALSE(warning->pixmap().isNull());
  EXPECT_EQ(warning->y(), WidgetOf<QLabel>(model.ImgInfo())->y());
  EXPECT_FALSE(WidgetOf<QLabel>(model.ImgInfo())->isVisibleTo(window));
  EXPECT_EQ(WidgetOf<QPushButton>(model.CmdOK())->text(), ToQt(model.CmdOK().text()));
  EXPECT_TRUE(message_boxes_.shown.empty());  // drawn, not printed
  EXPECT_TRUE(SaveScreenshot(*window, "frmMessageForm"));

  WidgetOf<QPushButton>(model.CmdOK())->click();
  EXPECT_FALSE(model.loaded());
}

TEST_F(QtWindowsTest, TheLogWindowListsTheLinesAndItsListFollowsTheWindowsSize) {
  StartQtDriver();  // "Developper" is 1: the log keeps its lines in its window
  diag::FLog& log = diag::LogWindow();
  ASSERT_NE(log.form(), nullptr);
  ui::qt::ModelWindow* window = Drawn(*log.form());
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->windowTitle(), "olconn97 Log");
  log.Addlog("a line from the test");
  auto* list = WidgetOf<QListWidget>(log.form()->LLog());
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->count(), static_cast<int>(log.LLog().items.size()));
  for (int i = 0; i < list->count(); ++i) {
    EXPECT_EQ(list->item(i)->text(), ToQt(log.LLog().items[static_cast<size_t>(i)]));
    EXPECT_FALSE(list->item(i)->data(Qt::CheckStateRole).isValid());  // plain rows
  }
  EXPECT_TRUE(SaveScreenshot(*window, "FLog"));

  // The user makes the window smaller: the list keeps its margins.
  window->resize(400, 200);
  QCoreApplication::processEvents();
  EXPECT_EQ(log.LLog().width, 400 * 15 + ui::kWindowFrameWidth - 240);
  EXPECT_EQ(log.LLog().height, 200 * 15 + ui::kWindowFrameHeight - 480);
  EXPECT_EQ(list->geometry(), ToPixels(log.form()->LLog().bounds()));
  // It stays until the host ends, and never holds a pumping host.
  EXPECT_EQ(olconn97_pump(0), 0);
}

}  // namespace
}  // namespace olconn97::testing
