#include "diag/message_form.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "core/product_identity.h"
#include "core/settings.h"
#include "test_support.h"

namespace olconn97::diag {
namespace {

using std::chrono::milliseconds;

// The message window's design, read from a freshly loaded window.
struct Design {
  ui::Bounds window;
  ui::Bounds information;
  ui::Bounds ok;
  ui::Bounds info_icon;
  ui::Bounds warning_icon;
};

class MessageFormTest : public testing::DriverTest {
 protected:
  MessageFormTest() {
    frmMessageForm& form = MessageForm();
    form.Load();
    design_ = {form.bounds(), form.Information().bounds(), form.CmdOK().bounds(),
               form.ImgInfo().bounds(), form.ImgWarning().bounds()};
    form.Unload();
  }

  // A message of `count` letters.
  static std::string Letters(int count, const std::string& letter = "x") {
    std::string text;
    for (int i = 0; i < count; ++i) text += letter;
    return text;
  }
  // Letters that fill one line of the text box, by the headless measure.
  int PerLine() const { return design_.information.width / ui::kHeadlessCharWidth; }

  frmMessageForm& Say(const std::string& message, int32_t kind = kMessageWarning) {
    std::string title = "Dialer";
    MessageForm().MsgFrm(message, kind, title);
    return MessageForm();
  }

  Design design_;
};

TEST_F(MessageFormTest, TheTextBoxKeepsTheLinesTheMessageNeeds) {
  const int n = PerLine();
  struct Case {
    std::string message;
    int lines;  // of the design's four; four or more keep the design
  };
  const Case cases[] = {
      {"Not found.", 1},
      {Letters(n - 1), 1},
      {Letters(n - 1, "\xC3\xA9"), 1},  // characters count, not bytes
      {Letters(n), 2},
      {Letters(n + n / 2), 2},
      // Each further line adds the slack of "||" (two characters).
      {Letters(2 * n - 3), 2},
      {Letters(2 * n - 2), 3},
      {Letters(3 * n - 5), 3},
      {Letters(3 * n - 4), 4},
      {Letters(10 * n), 4},
  };
  for (const Case& c : cases) {
    frmMessageForm& form = Say(c.message);
    const int h = design_.information.height;
    const int moved_up = h - h * c.lines / 4;
    SCOPED_TRACE(std::to_string(c.message.size()) + " bytes");
    EXPECT_EQ(form.Information().bounds().height, h * c.lines / 4);
    EXPECT_EQ(form.Information().bounds().width, design_.information.width);
    EXPECT_EQ(form.bounds().height, design_.window.height - moved_up);
    EXPECT_EQ(form.CmdOK().bounds().top, design_.ok.top - moved_up);
    EXPECT_EQ(form.Information().text(), c.message);
    EXPECT_EQ(form.PictureTextBox().font_name(), form.Information().font_name());
    EXPECT_FALSE(form.PictureTextBox().visible());
    form.Unload();
  }
}

TEST_F(MessageFormTest, EachKindShowsItsIconInTheInformationIconsPlace) {
  frmMessageForm& form = Say("Started.", kMessageInformation);
  EXPECT_TRUE(form.ImgInfo().visible());
  EXPECT_FALSE(form.ImgWarning().visible());
  EXPECT_FALSE(form.ImgFatal().visible());
  form.Unload();

  Say("Cannot start.", kMessageWarning);
  EXPECT_FALSE(form.ImgInfo().visible());
  EXPECT_TRUE(form.ImgWarning().visible());
  EXPECT_FALSE(form.ImgFatal().visible());
  EXPECT_EQ(form.ImgWarning().bounds().top, design_.info_icon.top);
  EXPECT_EQ(form.ImgWarning().bounds().left, design_.warning_icon.left);  // only its height moves
  form.Unload();

  for (int32_t kind : {kMessageFatal, -1, 7}) {
    Say("Broken.", kind);
    EXPECT_FALSE(form.ImgInfo().visible()) << kind;
    EXPECT_FALSE(form.ImgWarning().visible()) << kind;
    EXPECT_TRUE(form.ImgFatal().visible()) << kind;
    EXPECT_EQ(form.ImgFatal().bounds().top, design_.info_icon.top) << kind;
    EXPECT_EQ(form.ImgFatal().bounds().left, design_.info_icon.left) << kind;
    form.Unload();
  }
}

TEST_F(MessageFormTest, LoadLocalisesAndNoTitleMeansTheProductName) {
  ASSERT_TRUE(RegWriteString(Hive::kLocalMachine, kInstallKey, "7316ShortName", "Phonix"));
  LoadProductIdentity();
  Shared().gCharset = 238;
  frmMessageForm& form = MessageForm();
  ASSERT_TRUE(form.Show().ok());  // shown again by a caller, without a message
  EXPECT_EQ(form.caption(), "Phonix");
  EXPECT_EQ(form.CmdOK().text(), "&OK");
  EXPECT_EQ(form.Information().font_charset(), 238);
  form.Unload();

  std::string title(kNoTitle);
  form.MsgFrm("No program.", kMessageWarning, title);
  EXPECT_EQ(title, "Phonix");
  EXPECT_EQ(form.caption(), "Phonix");

  for (std::string other : {"Dialer", "__no_title__", ""}) {
    std::string kept = other;
    form.MsgFrm("No program.", kMessageWarning, kept);
    EXPECT_EQ(kept, other);
    EXPECT_EQ(form.caption(), other);
  }
}

TEST_F(MessageFormTest, ComesToTheFrontOnceAfterEachLossOfActivation) {
  frmMessageForm& form = Say("Cannot start.");
  EXPECT_TRUE(form.visible());
  EXPECT_FALSE(form.modal());
  // Running since the load: the window comes forward once on its own.
  LetTimePass(milliseconds(frmMessageForm::kBringToFrontInterval - 1));
  EXPECT_EQ(form.foreground_requests(), 0);
  LetTimePass(milliseconds(1));
  EXPECT_EQ(form.foreground_requests(), 1);
  LetTimePass(milliseconds(5 * frmMessageForm::kBringToFrontInterval));
  EXPECT_EQ(form.foreground_requests(), 1);

  form.Activate();
  LetTimePass(milliseconds(3000));
  form.Deactivate();  // the user clicks another application
  LetTimePass(milliseconds(frmMessageForm::kBringToFrontInterval - 1));
  EXPECT_EQ(form.foreground_requests(), 1);
  LetTimePass(milliseconds(1));
  EXPECT_EQ(form.foreground_requests(), 2);
  LetTimePass(milliseconds(5 * frmMessageForm::kBringToFrontInterval));
  EXPECT_EQ(form.foreground_requests(), 2);
  EXPECT_FALSE(form.TimerBringToFront().running());
}

TEST_F(MessageFormTest, OkUnloadsAndTheNextMessageStartsFromTheDesign) {
  EXPECT_FALSE(desktop_.IsLoaded("frmMessageForm"));
  frmMessageForm& form = Say("Short.", kMessageWarning);
  EXPECT_TRUE(desktop_.IsLoaded("frmMessageForm"));

  // Still loaded, a second message starts from the height the first left.
  Say("Short.", kMessageInformation);
  EXPECT_EQ(form.Information().bounds().height, design_.information.height / 16);
  EXPECT_TRUE(form.ImgWarning().visible());

  ASSERT_TRUE(form.CmdOK().Click());
  EXPECT_FALSE(desktop_.IsLoaded("frmMessageForm"));
  EXPECT_FALSE(form.loaded());
  LetTimePass(milliseconds(frmMessageForm::kBringToFrontInterval));
  EXPECT_EQ(form.foreground_requests(), 0);

  Say(Letters(10 * PerLine()), kMessageInformation);
  EXPECT_EQ(&MessageForm(), &form);
  EXPECT_EQ(form.Information().bounds(), design_.information);
  EXPECT_EQ(form.bounds(), design_.window);
  EXPECT_EQ(form.CmdOK().bounds(), design_.ok);
  EXPECT_FALSE(form.ImgWarning().visible());
}

TEST_F(MessageFormTest, HeadlessEachMessageIsSaidOnceLikeAMessageBox) {
  frmMessageForm& form = Say("No such file: /opt/dial.", kMessageWarning);
  ASSERT_EQ(message_boxes_.shown.size(), 1u);
  EXPECT_EQ(message_boxes_.shown[0], (ui::MessageBoxRecord{"No such file: /opt/dial.", "Dialer",
                                                           ui::MessageIcon::kExclamation}));
  ASSERT_TRUE(form.Show().ok());  // a second failure while it is open only shows it again
  EXPECT_EQ(message_boxes_.shown.size(), 1u);
  Say("Broken.", kMessageFatal);
  ASSERT_EQ(message_boxes_.shown.size(), 2u);
  EXPECT_EQ(message_boxes_.shown[1].icon, ui::MessageIcon::kCritical);
  form.Unload();

  // The process's own message boxes print it on stderr.
  std::FILE* stream = std::tmpfile();
  ASSERT_NE(stream, nullptr);
  ui::PrintedMessageBoxes printed(stream);
  Shared().services.SetMessageBoxes(&printed);
  std::string title(kNoTitle);
  form.MsgFrm("No such file: /opt/dial.", kMessageWarning, title);
  Shared().services.SetMessageBoxes(&message_boxes_);
  std::rewind(stream);
  char line[128] = {};
  ASSERT_NE(std::fgets(line, sizeof line, stream), nullptr);
  EXPECT_STREQ(line, "Corvanta: No such file: /opt/dial.\n");
  std::fclose(stream);
}

TEST_F(MessageFormTest, WhereWindowsAreDrawnTheWindowAloneSaysIt) {
  ui::ManualLoopClock clock;
  ui::RecordingWindowBackend backend;
  backend.shows_windows = true;
  ui::Desktop desktop(clock, backend);
  frmMessageForm form(desktop);
  std::string title = "Dialer";
  form.MsgFrm("Cannot start.", kMessageWarning, title);
  EXPECT_TRUE(form.visible());
  EXPECT_TRUE(message_boxes_.shown.empty());
}

}  // namespace
}  // namespace olconn97::diag
