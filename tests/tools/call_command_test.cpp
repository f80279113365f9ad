// olconn97 actions and olconn97 call: the driver's actions as a host lists
// and runs them, through the library's public interface only.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "outside/pim/journal_file.h"
#include "outside/pim/mail_file.h"
#include "test_support.h"

namespace olconn97::testing {
namespace {

namespace fs = std::filesystem;

class CallCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(Tool("store folders").exit_code, 0) << Stderr();
    WriteFile(store() + "/Contacts/ann.vcf",
              "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann Smith\r\nN:Smith;Ann;;;\r\n"
              "TEL;TYPE=WORK,VOICE:+33 1 23 45 67 89\r\nEND:VCARD\r\n");
  }
  ToolRun Tool(const std::string& arguments) { return RunHostTool(home_, arguments); }
  std::string Stderr() { return ReadFile(home_.Child("stderr")); }
  std::string store() const { return home_.Child("data") + "/olconn97/pim"; }
  std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(store() + "/" + folder)) {
      if (entry.path().filename().string()[0] != '.') files.push_back(entry.path().string());
    }
    return files;
  }

  TempDir home_;
};

TEST_F(CallCommandTest, ActionsListsTheFiveWithTheirSettings) {
  ToolRun listed = Tool("actions --json");
  ASSERT_EQ(listed.exit_code, 0) << Stderr();
  for (const char* expected :
       {"\"id\":4097", "\"id\":4101", "\"key\":\"NewOnInexistant\"", "\"type\":8200",
        "\"key\":\"AutomaticSend\"", "\"type\":11", "\"key\":\"Arguments\"", "\"choices\":["}) {
    EXPECT_NE(listed.out.find(expected), std::string::npos) << expected << "\n" << listed.out;
  }
  EXPECT_LT(listed.out.find("\"id\":4097"), listed.out.find("\"id\":4098"));
}

TEST_F(CallCommandTest, ACallWritesTheJournalAndTheMailAndMakesACardForAStranger) {
  ToolRun call = Tool(
      "call 33123456789 --data 'DURATION=60;START=2026-12-04 10:00:00' --action journal "
      "--action mail --set mail.DestinationAddress=desk@example.org");
  ASSERT_EQ(call.exit_code, 0) << Stderr();
  EXPECT_NE(call.out.find("Incoming call from 33123456789: Smith, Ann"), std::string::npos)
      << call.out;
  EXPECT_NE(call.out.find("journal  new Journal/"), std::string::npos) << call.out;
  EXPECT_NE(call.out.find("mail     new Outbox/"), std::string::npos) << call.out;
  std::vector<std::string> entries = FilesIn("Journal");
  ASSERT_EQ(entries.size(), 1u);
  pim::JournalEntry entry = pim::ReadJournal(ReadFile(entries[0])).value();
  ASSERT_TRUE(entry.start.has_value());
  EXPECT_EQ(shell::FormatLocal(*entry.start, "%Y-%m-%d %H:%M:%S"), "2026-12-04 10:00:00");
  ASSERT_EQ(FilesIn("Outbox").size(), 1u);
  EXPECT_EQ(pim::ReadMail(ReadFile(FilesIn("Outbox")[0])).value().to,
            std::vector<std::string>{"desk@example.org"});

  ASSERT_EQ(Tool("call 33999000111 --action open --set open.NewOnInexistant=1").exit_code, 0)
      << Stderr();
  ToolRun found = Tool("lookup 33999000111 --json");
  EXPECT_EQ(found.exit_code, 0) << found.out;
  EXPECT_NE(found.out.find("\"NotInPIM\":false"), std::string::npos) << found.out;
}

TEST_F(CallCommandTest, BadSettingsAreRefusedBeforeAnyActionRuns) {
  EXPECT_EQ(Tool("call 0123 --set open.NewOnInexistant=7 --action open").exit_code, 1);
  EXPECT_NE(Stderr().find("none of the choices"), std::string::npos) << Stderr();
  EXPECT_EQ(Tool("call 0123 --set mail.AutomaticSend=maybe").exit_code, 1);
  EXPECT_EQ(Tool("call 0123 --action fax").exit_code, 2);
  EXPECT_EQ(Tool("call --action open").exit_code, 2);
  EXPECT_TRUE(FilesIn("Contacts").size() == 1u);
}

}  // namespace
}  // namespace olconn97::testing
