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

TEST_F(AddressBookToolTest, LinkedBooksAreSearchedAndTakeTheNewContacts) {
  ToolRun linked = Tool("store link '" + books() + "'");
  ASSERT_EQ(linked.exit_code, 0) << Stderr();
  EXPECT_NE(linked.out.find("Linked Work: " + store() + "/Work -> " + books() + "/work (1 card)"),
            std::string::npos)
      << linked.out;
  EXPECT_NE(linked.out.find("Linked family: "), std::string::npos) << linked.out;
  // A book is linked once, and a name names one folder.
  EXPECT_EQ(Tool("store link '" + books() + "/work' Office").exit_code, 1);
  EXPECT_NE(Stderr().find("linked into the store as Work already"), std::string::npos) << Stderr();
  ASSERT_TRUE(pim::MakeDirectories(home_.Child("other")).ok());
  EXPECT_EQ(Tool("store link '" + home_.Child("other") + "' WORK").exit_code, 1);
  EXPECT_NE(Stderr().find("give it a name of its own"), std::string::npos) << Stderr();
  EXPECT_EQ(Tool("store link '" + books() + "' Mine").exit_code, 2);  // one NAME, two books

  ToolRun found = Tool("lookup 33622222222 --first");
  ASSERT_EQ(found.exit_code, 0) << Stderr();
  EXPECT_NE(found.out.find("FullName: Stone, Bob"), std::string::npos) << found.out;

  ASSERT_EQ(Set("NewContactsFolder", "Work"), 0);
  ToolRun created = Tool("contact create 'Zoé Quinn' '+33 7 00 00 00 01'");
  ASSERT_EQ(created.exit_code, 0) << Stderr();
  std::vector<std::string> cards =
      pim::ListEntries(books() + "/work", pim::EntryType::kFile).value();
  EXPECT_EQ(cards.size(), 3u);  // Ann, Zoé and the display name
  EXPECT_TRUE(pim::ListEntries(store() + "/Contacts", pim::EntryType::kFile).value().empty());

  // A setting that names no contacts folder creates nothing anywhere.
  ASSERT_EQ(Set("NewContactsFolder", "Inbox"), 0);
  EXPECT_EQ(Tool("contact create 'Yann Roux' '+33 7 00 00 00 02'").exit_code, 1);
  EXPECT_EQ(pim::ListEntries(books() + "/work", pim::EntryType::kFile).value().size(), 3u);
}

TEST_F(AddressBookToolTest, AFileOfCardsIsImportedOneCardAFileOnce) {
  const std::string dave =  // a phone's 2.1 card, without UID, with LF line ends
      "BEGIN:VCARD\nVERSION:2.1\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:Mor=C3=A9;Dave\n"
      "TEL;CELL:0633333333\nEND:VCARD\n";
  const std::string eve =
      "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:eve-1\r\nFN:Eve Lam\r\nX-PHONE-ONLY:kept\r\n"
      "END:VCARD\r\n";
  WriteFile(home_.Child("export.vcf"), dave + eve);
  ToolRun imported = Tool("store import '" + home_.Child("export.vcf") + "' Work");
  EXPECT_EQ(imported.exit_code, 1);  // no folder named Work yet
  ASSERT_EQ(Tool("store link '" + books() + "/work'").exit_code, 0) << Stderr();

  imported = Tool("store import '" + home_.Child("export.vcf") + "' Work");
  ASSERT_EQ(imported.exit_code, 0) << Stderr();
  EXPECT_NE(imported.out.find("Imported 2 of 2 cards into Work"), std::string::npos)
      << imported.out;
  EXPECT_EQ(ReadFile(books() + "/work/eve-1.vcf"), eve);
  std::vector<std::string> files =
      pim::ListEntries(books() + "/work", pim::EntryType::kFile).value();
  std::string dave_file;
  for (const std::string& file : files) {
    if (file.starts_with("olconn97-")) dave_file = ReadFile(books() + "/work/" + file);
  }
  // Its lines kept, a UID added so that address book programs can tell it.
  EXPECT_EQ(dave_file.substr(0, dave.size() - 10), dave.substr(0, dave.size() - 10)) << dave_file;
  EXPECT_NE(dave_file.find("\nUID:olconn97-"), std::string::npos) << dave_file;

  imported = Tool("store import '" + home_.Child("export.vcf") + "' Work");
  ASSERT_EQ(imported.exit_code, 0) << Stderr();
  EXPECT_NE(imported.out.find("Imported 0 of 2 cards into Work"), std::string::npos)
      << imported.out;
  EXPECT_NE(imported.out.find("; 2 had a card there already (same UID)"), std::string::npos);
  ToolRun found = Tool("lookup 0633333333 --first");
  ASSERT_EQ(found.exit_code, 0) << Stderr();
  EXPECT_NE(found.out.find("Moré"), std::string::npos) << found.out;
}

}  // namespace
}  // namespace olconn97::testing
