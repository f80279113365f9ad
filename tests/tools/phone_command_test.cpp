// olconn97 phone against a stand-in control port: the caller shown, the
// hang-up's journal entry, and what a user agent or the network can throw
// at it (broken frames, hostile numbers, a restart), through a real
// process of the reference host.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "outside/pim/journal_file.h"
#include "test_support.h"
#include "tools/fake_control_port.h"

namespace olconn97::testing {
namespace {

namespace fs = std::filesystem;

class PhoneCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(RunHostTool(home_, "store folders").exit_code, 0);
    WriteFile(store() + "/Contacts/ann.vcf",
              "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann Smith\r\nN:Smith;Ann;;;\r\nORG:Acme\r\n"
              "TEL;TYPE=WORK,VOICE:+33 1 23 45 67 89\r\nEND:VCARD\r\n");
    ASSERT_TRUE(agent_.listening());
  }
  // Starts the host and takes its connection; with a display (Qt's
  // offscreen one) it shows its pop-up windows too.
  void StartPhone(bool display = false) {
    std::vector<std::string> environment = HostEnvironment(home_);
    if (display) environment.push_back("QT_QPA_PLATFORM=offscreen");
    phone_ = std::make_unique<BackgroundProcess>(
        std::vector<std::string>{OLCONN97_HOST_PATH, "phone", "--baresip",
                                 "127.0.0.1:" + std::to_string(agent_.port()), "--no-notify"},
        environment, output());
    ASSERT_TRUE(agent_.Accept(std::chrono::seconds(15))) << Output();
  }
  std::string store() const { return home_.Child("data") + "/olconn97/pim"; }
  std::string output() const { return home_.Child("phone.out"); }
  std::string Output() const { return fs::exists(output()) ? ReadFile(output()) : ""; }
  bool Shows(const std::string& text) {
    return WaitFor([&] { return Output().find(text) != std::string::npos; });
  }
  size_t JournalEntries() {
    if (!fs::exists(store() + "/Journal")) return 0;
    size_t count = 0;
    for (const auto& entry : fs::directory_iterator(store() + "/Journal")) {
      count += entry.path().extension() == ".ics" ? 1 : 0;
    }
    return count;
  }

  TempDir home_;
  FakeControlPort agent_;
  std::unique_ptr<BackgroundProcess> phone_;
};

TEST_F(PhoneCommandTest, ShowsTheCallerAndJournalsTheCallWhenItEnds) {
  StartPhone(/*display=*/true);
  FakeCall call;
  call.peer_uri = "sip:+33123456789@127.0.0.1;transport=udp";
  ASSERT_TRUE(agent_.SendEvent("CALL_INCOMING", call));
  EXPECT_TRUE(Shows("incoming Smith, Ann, Acme, +33123456789 (Contacts)")) << Output();
  ASSERT_TRUE(agent_.SendEvent("CALL_ESTABLISHED", call));
  ASSERT_TRUE(agent_.SendEvent("CALL_CLOSED", call, "Connection reset by user"));
  ASSERT_TRUE(WaitFor([&] { return JournalEntries() == 1; })) << Output();
  EXPECT_EQ(phone_->Stop(), 0);
  EXPECT_NE(Output().find("Stopped (0 calls under way)"), std::string::npos) << Output();
  EXPECT_EQ(Output().find("No pop-up window"), std::string::npos) << Output();
}

TEST_F(PhoneCommandTest, BadFramesAndHostileNumbersAreReportedAndSkipped) {
  StartPhone();
  ASSERT_TRUE(agent_.SendFrame("{not json"));
  ASSERT_TRUE(agent_.SendFrame("[1,2,3]"));
  ASSERT_TRUE(agent_.SendFrame(std::string("{\"event\":true,\"type\":\"CALL_INCOMING\",\"id\":\"a\","
                                           "\"peeruri\":\"sip:\xff\xfe@x\"}")));
  FakeCall hostile;
  hostile.id = "h1";
  hostile.peer_uri = "sip:1\"*$(reboot)`id`@127.0.0.1";
  ASSERT_TRUE(agent_.SendEvent("CALL_INCOMING", hostile));
  FakeCall long_number;
  long_number.id = "h2";
  long_number.peer_uri = "sip:" + std::string(10000, '7') + "@127.0.0.1";
  ASSERT_TRUE(agent_.SendEvent("CALL_INCOMING", long_number));
  // A '*' is data, not a wildcard: nobody is found by it.
  FakeCall star;
  star.id = "h3";
  star.peer_uri = "sip:*123456789@127.0.0.1";
  ASSERT_TRUE(agent_.SendEvent("CALL_INCOMING", star));
  EXPECT_TRUE(Shows("incoming *123456789 unknown caller")) << Output();
  EXPECT_NE(Output().find("incoming 1\"*$(reboot)`id` unknown caller"), std::string::npos)
      << Output();
  EXPECT_NE(Output().find(std::string(10000, '7') + " unknown caller"), std::string::npos);
  EXPECT_NE(Output().find("olconn97 phone:"), std::string::npos) << Output();  // the bad frames

  // Framing lost: the connection is reset and made again; calls go on.
  ASSERT_TRUE(agent_.SendRaw("99999999:"));
  ASSERT_TRUE(agent_.Accept(std::chrono::seconds(15))) << Output();
  FakeCall again;
  again.id = "after";
  ASSERT_TRUE(agent_.SendEvent("CALL_INCOMING", again));
  EXPECT_TRUE(Shows("lost baresip")) << Output();
  EXPECT_TRUE(Shows("incoming Smith, Ann")) << Output();
  EXPECT_EQ(phone_->Stop(), 0);
}

TEST_F(PhoneCommandTest, AnAgentThatRestartsIsFoundAgain) {
  StartPhone();
  agent_.DropClient();
  ASSERT_TRUE(agent_.Accept(std::chrono::seconds(15))) << Output();
  ASSERT_TRUE(agent_.SendEvent("CALL_INCOMING", FakeCall{}));
  EXPECT_TRUE(Shows("incoming Smith, Ann")) << Output();
  EXPECT_EQ(phone_->Stop(), 0);
}

}  // namespace
}  // namespace olconn97::testing
