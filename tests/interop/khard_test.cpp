// Interoperation with a real address book program from Debian: khard reads
// the cards our store writes, and our store reads the cards khard writes.
// Skipped, with a message, where khard is not installed.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "base/strings.h"
#include "interop/interop_support.h"
#include "outside/pim/item_classes.h"
#include "outside/pim/objects.h"
#include "outside/pim/store.h"
#include "outside/pim/store_files.h"
#include "test_support.h"

namespace olconn97::pim {
namespace {

using ::olconn97::testing::TempDir;
using ::olconn97::testing::WriteFile;

class KhardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testing::KhardInstalled()) {
      GTEST_SKIP() << "khard is not installed (scripts/setup installs it)";
    }
    ApplicationOptions options;
    options.store_folder = temp_.Child("store");
    options.create_store = true;
    options.display = [](const DisplayEvent&) {};
    app_ = Application::Create(std::move(options)).value();
    ns_ = app_->GetNamespace("MAPI").value();
  }

  std::string Khard(const std::string& book, const std::string& arguments) {
    return testing::RunKhard(temp_, book, arguments);
  }

  TempDir temp_;
  com::ComPtr<Application> app_;
  com::ComPtr<NameSpace> ns_;
};

TEST_F(KhardTest, KhardListsOurContactsWithTheirPhoneKinds) {
  com::ComPtr<MAPIFolder> contacts = ns_->GetDefaultFolder(kFolderContacts).value();
  com::ComPtr<Item> item = contacts->GetItems().value()->Add(kContactItem).value();
  ContactItem* contact = item->AsContact();
  ASSERT_TRUE(contact->Set("FullName", "Chloé Dubois").ok());
  // Each phone kind gets a number that names it.
  std::map<std::string, std::string> number_of = {
      {"BusinessTelephoneNumber", "101"}, {"Business2TelephoneNumber", "102"},
      {"BusinessFaxNumber", "103"},       {"HomeTelephoneNumber", "104"},
      {"Home2TelephoneNumber", "105"},    {"HomeFaxNumber", "106"},
      {"MobileTelephoneNumber", "107"},   {"PagerNumber", "108"},
      {"CarTelephoneNumber", "109"},      {"ISDNNumber", "110"},
      {"PrimaryTelephoneNumber", "111"},  {"OtherTelephoneNumber", "112"},
      {"OtherFaxNumber", "113"},          {"AssistantTelephoneNumber", "114"},
      {"CallbackTelephoneNumber", "115"}, {"CompanyMainTelephoneNumber", "116"},
      {"RadioTelephoneNumber", "117"},    {"TelexNumber", "118"},
      {"TTYTDDTelephoneNumber", "119"}};
  for (const auto& [property, number] : number_of) ASSERT_TRUE(contact->Set(property, number).ok());
  ASSERT_TRUE(contact->Save().ok());

  std::string listed = Khard(contacts->path(), "list --parsable");
  EXPECT_NE(listed.find("Chloé Dubois"), std::string::npos) << listed;

  std::map<std::string, std::string> type_of;  // number -> khard's type text
  std::string phones = Khard(contacts->path(), "phone --parsable");
  for (std::string_view line : Split(phones, '\n')) {
    std::vector<std::string_view> fields = Split(line, '\t');
    if (fields.size() == 3) type_of[std::string(fields[0])] = ToLowerAscii(fields[2]);
  }
  ASSERT_EQ(type_of.size(), number_of.size()) << "khard did not list every number: " << phones;
  auto has = [&](const std::string& property, std::initializer_list<const char*> words) {
    const std::string& type = type_of[number_of[property]];
    for (const char* word : words) {
      EXPECT_NE(type.find(word), std::string::npos) << property << " has khard type " << type;
    }
  };
  has("BusinessTelephoneNumber", {"work", "voice"});
  has("BusinessFaxNumber", {"work", "fax"});
  has("HomeTelephoneNumber", {"home", "voice"});
  has("HomeFaxNumber", {"home", "fax"});
  has("MobileTelephoneNumber", {"cell"});
  has("PagerNumber", {"pager"});
  has("CarTelephoneNumber", {"car"});
  has("ISDNNumber", {"isdn"});
  has("PrimaryTelephoneNumber", {"pref"});
  has("OtherFaxNumber", {"fax"});
  has("AssistantTelephoneNumber", {"assistant"});
  has("TTYTDDTelephoneNumber", {"ttytdd"});
}

TEST_F(KhardTest, OurStoreReadsAnAddressBookKhardWrote) {
  std::string book = temp_.Child("store") + "/Friends";
  ASSERT_TRUE(MakeDirectories(book).ok());
  std::string yaml = temp_.Child("new.yaml");
  WriteFile(
      yaml,
      "First name : Ann\nLast name : Smith\nOrganisation :\n    -\n        - ACME\n"
      "        - Sales\nPhone :\n    work : \"+33 1 23 45\"\n    cell : \"06 11\"\n"
      "    home, fax : \"01 99\"\n    pager : \"555\"\nEmail :\n    work : ann@example.org\n");
  Khard(book, "new -a book -i '" + yaml + "'");

  com::ComPtr<MAPIFolder> top = ns_->TopFolders()->Item(1).value();
  Result<com::ComPtr<MAPIFolder>> friends = top->Subfolders()->ItemNamed("Friends");
  ASSERT_TRUE(friends.ok());
  EXPECT_EQ(friends.value()->DefaultItemType(), 2);  // a contacts folder, found as it is
  com::ComPtr<Items> items = friends.value()->GetItems().value();
  ASSERT_EQ(items->Count(), 1);
  com::ComPtr<Item> item = items->Item(1).value();  // keeps the contact below alive
  ContactItem* ann = item->AsContact();
  ASSERT_NE(ann, nullptr);
  EXPECT_EQ(ann->Text("LastNameAndFirstName"), "Smith, Ann");
  EXPECT_EQ(ann->Text("BusinessTelephoneNumber"), "+33 1 23 45");
  EXPECT_EQ(ann->Text("MobileTelephoneNumber"), "06 11");
  EXPECT_EQ(ann->Text("HomeFaxNumber"), "01 99");
  EXPECT_EQ(ann->Text("PagerNumber"), "555");
  EXPECT_EQ(ann->Text("Department"), "Sales");
  EXPECT_EQ(ann->Text("Email1Address"), "ann@example.org");
}

// The user's own khard address book, linked into the store: khard's cards
// are found there, and a contact saved there is one khard lists.
TEST_F(KhardTest, KhardListsAContactSavedInItsLinkedAddressBook) {
  std::string book = temp_.Child("contacts/work");
  ASSERT_TRUE(MakeDirectories(book).ok());
  std::string yaml = temp_.Child("new.yaml");
  WriteFile(yaml, "First name : Ann\nLast name : Smith\nPhone :\n    cell : \"06 11\"\n");
  Khard(book, "new -a book -i '" + yaml + "'");

  Store& store = *app_->session()->store();
  ASSERT_TRUE(store.LinkFolder(book, "Work").ok());
  com::ComPtr<MAPIFolder> work =
      ns_->TopFolders()->Item(1).value()->Subfolders()->ItemNamed("Work").value();
  EXPECT_EQ(work->DefaultItemType(), 2);
  com::ComPtr<Items> items = work->GetItems().value();
  ASSERT_EQ(items->Count(), 1);
  EXPECT_EQ(items->Item(1).value()->AsContact()->Text("MobileTelephoneNumber"), "06 11");

  com::ComPtr<Item> item = items->Add(kContactItem).value();
  ASSERT_TRUE(item->AsContact()->Set("FullName", "Zoé Quinn").ok());
  ASSERT_TRUE(item->AsContact()->Set("BusinessTelephoneNumber", "+33 7 00").ok());
  ASSERT_TRUE(item->Save().ok());
  std::string listed = Khard(book, "list --parsable");
  EXPECT_NE(listed.find("Zoé Quinn"), std::string::npos) << listed;
  EXPECT_NE(listed.find("Ann Smith"), std::string::npos) << listed;
}

}  // namespace
}  // namespace olconn97::pim
