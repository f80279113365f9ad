// The user's own address books, as a user sets them up with the reference
// host: an address book named as the store is refused with the reason,
// books are linked in and searched, new contacts go into one of them, and
// a phone's export is split into one card a file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "outside/pim/store_files.h"
#include "test_support.h"

namespace olconn97::testing {
namespace {

constexpr char kOutlook98[] = "'HKCU\\Software\\Norvale\\7316\\Popup\\outlook98'";

class AddressBookToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pim::MakeDirectories(books() + "/work").ok());
    ASSERT_TRUE(pim::MakeDirectories(books() + "/family").ok());
    WriteFile(books() + "/work/ann.vcf",
              "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:ann\r\nFN:Ann Smith\r\nN:Smith;Ann;;;\r\n"
              "TEL;TYPE=WORK,VOICE:+33 1 11 11 11 11\r\nEND:VCARD\r\n");
    WriteFile(books() + "/work/displayname", "Work");
    WriteFile(books() + "/family/bob.vcf",
              "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:bob\r\nFN:Bob Stone\r\nN:Stone;Bob;;;\r\n"
              "TEL;TYPE=CELL:+33 6 22 22 22 22\r\nEND:VCARD\r\n");
  }

  ToolRun Tool(const std::string& arguments) { return RunHostTool(home_, arguments); }
  std::string Stderr() { return ReadFile(home_.Child("stderr")); }
  int Set(const std::string& value, const std::string& data) {
    return Tool(std::string("reg add ") + kOutlook98 + " /v " + value + " /d '" + data + "' /f")
        .exit_code;
  }
  std::string books() const { return home_.Child("books"); }
  std::string store() const { return home_.Child("data") + "/olconn97/pim"; }

  TempDir home_;
};

TEST_F(AddressBookToolTest, StatusSaysWhyAnAddressBookIsNoStoreAndLeavesItAlone) {
  ASSERT_EQ(Set("PimStore", books()), 0);
  ToolRun status = Tool("status");
  EXPECT_EQ(status.exit_code, 1);
  EXPECT_NE(status.out.find("PIMInstalled: false\n"), std::string::npos) << status.out;
  EXPECT_NE(status.out.find("Store: " + books() + " is not a contact store"), std::string::npos)
      << status.out;
  EXPECT_NE(status.out.find("olconn97 store link '" + books() + "'"), std::string::npos)
      << status.out;
  ToolRun rebuild = Tool("cache rebuild");
  EXPECT_EQ(rebuild.exit_code, 1);
  EXPECT_NE(Stderr().find("is not a contact store"), std::string::npos) << Stderr();
  EXPECT_FALSE(pim::PathExists(books() + "/Inbox"));
  EXPECT_FALSE(pim::PathExists(books() + "/.olconn97-store"));
}

}  // namespace
}  // namespace olconn97::testing
