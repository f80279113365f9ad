// The phone host's windows, on Qt's offscreen platform: the caller's
// pop-up and the action window show what they are given, their buttons
// act, and each is saved as a picture under the build folder.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "test_support.h"
#include "tools/olconn97/popup/popup_api.h"

namespace olconn97::testing {
namespace {

namespace fs = std::filesystem;

const olconn97_popup_api* Popup() {
  static const olconn97_popup_api* api = []() -> const olconn97_popup_api* {
    // A display of its own, and one font, so the pictures are the same
    // on every machine.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("QT_QPA_FONTDIR", "/usr/share/fonts/truetype/dejavu", 1);
    const std::string plugin =
        fs::path(OLCONN97_LIBRARY_PATH).parent_path().string() + "/libolconn97-popup.so";
    void* library = dlopen(plugin.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) return nullptr;
    auto entry = reinterpret_cast<olconn97_popup_entry>(dlsym(library, OLCONN97_POPUP_ENTRY));
    const olconn97_popup_api* loaded = entry();
    char why[256];
    return loaded->start(why, sizeof why) == 0 ? loaded : nullptr;
  }();
  return api;
}

std::string Screenshot(const std::string& name) {
  fs::path folder = fs::path(OLCONN97_LIBRARY_PATH).parent_path().parent_path() / "screenshots";
  fs::create_directories(folder);
  return (folder / (name + ".png")).string();
}

std::string Describe(const std::string& which, const std::string& picture) {
  char text[4096];
  Popup()->describe(which.c_str(), picture.empty() ? nullptr : picture.c_str(), text, sizeof text);
  return text;
}

class PhonePopupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (Popup() == nullptr) GTEST_SKIP() << "the pop-up plugin was not built (no Qt 6 Widgets)";
  }
};

TEST_F(PhonePopupTest, ShowsTheCallerAndCloses) {
  olconn97_popup_caller known{"call-1", "incoming", "+33 1 23 45 67 89", 1, "Smith, Ann",
                              "Acme <b>Bold</b>", "Contacts",          1};
  Popup()->show_caller(&known, nullptr, nullptr);
  Popup()->process_events(0);
  const std::string picture = Screenshot("phone_popup_known");
  EXPECT_EQ(Describe("call-1", picture),
            "window: Incoming call\nlabel: Smith, Ann\nlabel: Acme <b>Bold</b>\n"
            "label: +33 1 23 45 67 89\nlabel: in Contacts\n"
            "label: and 1 more with this number\n");
  EXPECT_GT(fs::file_size(picture), 0u);
  Popup()->call_ended("call-1");
  Popup()->process_events(0);
  EXPECT_EQ(Describe("call-1", ""), "");
}

TEST_F(PhonePopupTest, AnUnknownCallerGetsACardAtTheUsersAsking) {
  std::vector<std::string> made;
  olconn97_popup_caller stranger{"call-2", "incoming", "0612345678", 0, "", "", "", 0};
  Popup()->show_caller(
      &stranger,
      [](void* context, const char*, const char* number) {
        static_cast<std::vector<std::string>*>(context)->push_back(number);
      },
      &made);
  EXPECT_EQ(Describe("call-2", Screenshot("phone_popup_unknown")),
            "window: Incoming call\nlabel: Unknown caller\nlabel: 0612345678\n"
            "button: &Create a card\n");
  ASSERT_EQ(Popup()->press("call-2", "create"), 1);
  EXPECT_EQ(made, std::vector<std::string>{"0612345678"});
  EXPECT_EQ(Popup()->press("call-2", "create"), 0);  // once
  Popup()->call_ended("call-2");
}

TEST_F(PhonePopupTest, TheActionWindowSavesWhatTheUserChose) {
  const char* choices[] = {"Never", "Always", "Ask"};
  olconn97_popup_setting open_settings[] = {{"NewOnInexistant", 8200, "2", choices, 3}};
  olconn97_popup_setting mail_settings[] = {{"DestinationAddress", 8, "", nullptr, 0},
                                            {"AutomaticSend", 11, "true", nullptr, 0}};
  olconn97_popup_action actions[] = {{4097, "open", "Open contact", open_settings, 1},
                                     {4099, "mail", "Send mail", mail_settings, 2},
                                     {4100, "journal", "Store in journal", nullptr, 0}};
  olconn97_popup_events events{"open", "journal", ""};
  const std::string picture = Screenshot("phone_actions");
  Popup()->answer_next(("grab " + picture +
                        "; toggle missed.mail; set mail.DestinationAddress=desk@example.org;"
                        " set open.NewOnInexistant=1; ok")
                           .c_str());
  std::vector<std::string> chosen;
  ASSERT_EQ(Popup()->choose_actions(
                actions, 3, &events,
                [](void* context, const char* name, const char* value) {
                  static_cast<std::vector<std::string>*>(context)->push_back(std::string(name) +
                                                                             "=" + value);
                },
                &chosen),
            1);
  EXPECT_EQ(chosen, (std::vector<std::string>{
                        "RingActions=open", "HangupActions=journal", "MissedActions=mail",
                        "open.NewOnInexistant=1", "mail.DestinationAddress=desk@example.org",
                        "mail.AutomaticSend=true"}));
  // What the window showed before the user's changes.
  std::string shown = ReadFile(picture + ".txt");
  for (const char* expected :
       {"[x] ring.open", "[ ] ring.mail", "[x] hangup.journal", "[ ] missed.mail",
        "choice open.NewOnInexistant: Ask", "[x] mail.AutomaticSend", "group: When a call ends"}) {
    EXPECT_NE(shown.find(expected), std::string::npos) << expected << "\n" << shown;
  }
  EXPECT_GT(fs::file_size(picture), 0u);

  Popup()->answer_next("cancel");
  chosen.clear();
  EXPECT_EQ(Popup()->choose_actions(actions, 3, &events,
                                    [](void*, const char*, const char*) {}, nullptr),
            0);
}

}  // namespace
}  // namespace olconn97::testing
