// The store's object model as the driver uses it: contacts written and found
// again, the codes and 1-based collections, the filters, the windows, mail
// and journal items.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <utility>
#include <vector>

#include "outside/pim/item_classes.h"
#include "outside/pim/objects.h"
#include "outside/pim/store_files.h"
#include "outside/pim/windows.h"
#include "test_support.h"

namespace olconn97::pim {
namespace {

using ::olconn97::testing::ReadFile;
using ::olconn97::testing::TempDir;
using ::olconn97::testing::WriteFile;

class ObjectModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ApplicationOptions options;
    options.store_folder = temp_.Child("store");
    options.create_store = true;
    options.sendmail_command = [this] { return sendmail_; };
    options.display = [this](const DisplayEvent& event) { shown_.push_back(event); };
    options.report = [this](std::string_view line) { reports_.emplace_back(line); };
    auto app = Application::Create(std::move(options));
    ASSERT_TRUE(app.ok()) << app.status().ToString();
    app_ = app.value();
    ns_ = app_->GetNamespace("MAPI").value();
    contacts_ = ns_->GetDefaultFolder(kFolderContacts).value();
  }

  com::ComPtr<ContactItem> NewContact(const std::string& full_name, const std::string& phone) {
    com::ComPtr<Item> item = contacts_->GetItems().value()->Add(kContactItem).value();
    ContactItem* contact = item->AsContact();
    EXPECT_TRUE(contact->Set("FullName", full_name).ok());
    EXPECT_TRUE(contact->Set("BusinessTelephoneNumber", phone).ok());
    EXPECT_TRUE(contact->Save().ok());
    return com::ComPtr<ContactItem>(contact);
  }

  std::string root() const { return temp_.Child("store"); }

  TempDir temp_;
  std::string sendmail_;
  std::vector<DisplayEvent> shown_;
  std::vector<std::string> reports_;
  com::ComPtr<Application> app_;
  com::ComPtr<NameSpace> ns_;
  com::ComPtr<MAPIFolder> contacts_;
};

TEST_F(ObjectModelTest, AConfiguredStoreThatDoesNotExistIsNotInstalled) {
  ApplicationOptions options;
  options.store_folder = temp_.Child("missing");
  Result<com::ComPtr<Application>> app = Application::Create(std::move(options));
  ASSERT_FALSE(app.ok());
  EXPECT_EQ(app.status().code(), Code::kUnavailable);
  EXPECT_NE(app.status().description().find(temp_.Child("missing")), std::string::npos);
}

TEST_F(ObjectModelTest, ASavedContactIsFoundByItsEntryIdWithItsNames) {
  com::ComPtr<ContactItem> saved = NewContact("Ann Smith", "+33 1 23");
  std::string id = saved->EntryID();
  ASSERT_FALSE(id.empty());
  EXPECT_TRUE(IsRegularFile(saved->path()));

  Result<com::ComPtr<Item>> found = ns_->GetItemFromID(id, contacts_->StoreID());
  ASSERT_TRUE(found.ok()) << found.status().ToString();
  ContactItem* contact = found.value()->AsContact();
  ASSERT_NE(contact, nullptr);
  EXPECT_EQ(contact->Text("FirstName"), "Ann");
  EXPECT_EQ(contact->Text("LastName"), "Smith");
  EXPECT_EQ(contact->Text("LastNameAndFirstName"), "Smith, Ann");
  EXPECT_EQ(contact->Text("BusinessTelephoneNumber"), "+33 1 23");
  EXPECT_EQ(found.value()->ParentFolder()->EntryID(), contacts_->EntryID());
  EXPECT_TRUE(found.value()->LastModificationTime().ok());

  // The collection counts from 1 and sees the new file.
  com::ComPtr<Items> items = contacts_->GetItems().value();
  EXPECT_EQ(items->Count(), 1);
  EXPECT_EQ(items->Item(1).value()->EntryID(), id);
  EXPECT_FALSE(items->Item(0).ok());
  EXPECT_FALSE(items->Item(2).ok());
}

TEST_F(ObjectModelTest, UserPropertiesAreTypedAndFoundByFilter) {
  com::ComPtr<ContactItem> anna = NewContact("Anna Field", "1");
  com::ComPtr<ContactItem> bob = NewContact("Bob Stone", "2");
  auto number_property = [](ContactItem* contact, double value) {
    com::ComPtr<IDispatch> added = contact->GetUserProperties()->Add("EmployeeId", 3).value();
    auto* property = com::OwnObject<UserPropertyItem>(added.get());
    ASSERT_NE(property, nullptr);
    ASSERT_TRUE(property->SetValue(com::Variant::I4(static_cast<int32_t>(value))).ok());
    ASSERT_TRUE(contact->Save().ok());
  };
  number_property(anna.get(), 7);
  number_property(bob.get(), 42);

  com::ComPtr<Items> items = contacts_->GetItems().value();
  Result<com::ComPtr<Item>> found = items->Find("[employeeId] = 42");
  ASSERT_TRUE(found.ok());
  ASSERT_TRUE(found.value());
  EXPECT_EQ(found.value()->EntryID(), bob->EntryID());
  EXPECT_FALSE(items->Find("[employeeId] = 43").value());
  EXPECT_FALSE(items->Find("[FullName] Like 'B*'").ok());  // not a filter the store knows

  com::ComPtr<IDispatch> read_back =
      found.value()->AsContact()->GetUserProperties()->Find("EMPLOYEEID");
  ASSERT_TRUE(read_back);
  com::Variant value = com::OwnObject<UserPropertyItem>(read_back.get())->Value().value();
  EXPECT_EQ(value.vt(), VT_R8);
  EXPECT_EQ(value.ToString().value(), "42");
}

TEST_F(ObjectModelTest, RestrictKeepsTheItemsChangedAfterTheTime) {
  com::ComPtr<ContactItem> old_one = NewContact("Old One", "1");
  com::ComPtr<ContactItem> new_one = NewContact("New One", "2");
  auto set_mtime = [](const std::string& path, shell::WallTime when) {
    std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  };
  // Both files were just written: their status change times are now, so
  // only a bound after now tells them apart by modification time.
  auto bound = std::chrono::floor<std::chrono::minutes>(std::chrono::system_clock::now() +
                                                        std::chrono::hours(1));
  set_mtime(old_one->path(), bound - std::chrono::seconds(30));
  set_mtime(new_one->path(), bound + std::chrono::seconds(30));

  com::ComPtr<Items> items = contacts_->GetItems().value();
  auto restricted = items->Restrict("[LastModificationTime] > '" +
                                    shell::FormatLocal(bound, "%d/%m/%Y %H:%M") + "'");
  ASSERT_TRUE(restricted.ok()) << restricted.status().ToString();
  ASSERT_EQ(restricted.value()->Count(), 1);
  EXPECT_EQ(restricted.value()->Item(1).value()->EntryID(), new_one->EntryID());
  auto in_utc =
      items->Restrict("[LastModificationTime] > '" + shell::FormatUtcSeconds(bound) + "'");
  ASSERT_TRUE(in_utc.ok()) << in_utc.status().ToString();
  EXPECT_EQ(in_utc.value()->Count(), 1);
  // A file given an old modification time (cp -a does it) counts as changed
  // when it arrived.
  set_mtime(old_one->path(), bound - std::chrono::hours(24 * 365));
  auto arrived = items->Restrict(
      "[LastModificationTime] > '" +
      shell::FormatUtcSeconds(std::chrono::system_clock::now() - std::chrono::minutes(1)) + "'");
  ASSERT_TRUE(arrived.ok());
  EXPECT_EQ(arrived.value()->Count(), 2);
  Result<com::ComPtr<Items>> unreadable = items->Restrict("[LastModificationTime] > 'soon'");
  ASSERT_FALSE(unreadable.ok());
  EXPECT_NE(unreadable.status().description().find("soon"), std::string::npos);
  EXPECT_FALSE(items->Restrict("[FullName] > 'a'").ok());
}

TEST_F(ObjectModelTest, DeleteMovesToDeletedItemsAndDeletingThereRemoves) {
  com::ComPtr<ContactItem> contact = NewContact("Gone Soon", "1");
  std::string first_path = contact->path();
  ASSERT_TRUE(contact->Delete().ok());
  EXPECT_FALSE(PathExists(first_path));
  com::ComPtr<MAPIFolder> deleted = ns_->GetDefaultFolder(kFolderDeletedItems).value();
  ASSERT_EQ(deleted->GetItems().value()->Count(), 1);
  EXPECT_EQ(contacts_->GetItems().value()->Count(), 0);
  std::string second_path = contact->path();
  ASSERT_TRUE(contact->Delete().ok());
  EXPECT_FALSE(PathExists(second_path));
  EXPECT_EQ(deleted->GetItems().value()->Count(), 0);
}

TEST_F(ObjectModelTest, ADeletedItemIsFoundByItsFormerIdUntilDeletedForGood) {
  com::ComPtr<MAPIFolder> other =
      contacts_->ParentFolder()->Subfolders()->Add("Colleagues", kFolderContacts).value();
  auto card = [](const std::string& name) {
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:" + name + "\r\nEND:VCARD\r\n";
  };
  auto id_of_only_item = [](const com::ComPtr<MAPIFolder>& folder) {
    return folder->GetItems().value()->Item(1).value()->EntryID();
  };
  auto name_at = [this](const std::string& id) -> std::string {
    Result<com::ComPtr<Item>> item = ns_->GetItemFromID(id, "");
    if (!item.ok()) return "none";
    return std::string(item.value()->in_deleted_items() ? "deleted " : "") +
           item.value()->AsContact()->Text("FullName");
  };
  // Two cards of the same file name in two folders.
  WriteFile(root() + "/Contacts/same.vcf", card("Ann"));
  WriteFile(other->path() + "/same.vcf", card("Bob"));
  const std::string ann = id_of_only_item(contacts_);
  const std::string bob = id_of_only_item(other);

  ASSERT_TRUE(ns_->GetItemFromID(ann, "").value()->Delete().ok());
  ASSERT_TRUE(ns_->GetItemFromID(bob, "").value()->Delete().ok());
  EXPECT_EQ(name_at(ann), "deleted Ann");
  EXPECT_EQ(name_at(bob), "deleted Bob");

  // The second Delete, through the former ID, removes the file.
  ASSERT_TRUE(ns_->GetItemFromID(ann, "").value()->Delete().ok());
  EXPECT_EQ(name_at(ann), "none");
  EXPECT_EQ(name_at(bob), "deleted Bob");

  // A later card that takes the freed file name in Deleted Items is not
  // the one the old ID named.
  WriteFile(root() + "/Contacts/same.vcf", card("Cy"));
  const std::string cy = id_of_only_item(contacts_);
  EXPECT_EQ(cy, ann);  // same folder, same file: the same ID, as before
  ASSERT_TRUE(ns_->GetItemFromID(cy, "").value()->Delete().ok());
  EXPECT_EQ(name_at(cy), "deleted Cy");
  // An ID used again names the item moved last.
  WriteFile(root() + "/Contacts/same.vcf", card("Di"));
  ASSERT_TRUE(ns_->GetItemFromID(cy, "").value()->Delete().ok());
  EXPECT_EQ(name_at(cy), "deleted Di");
  EXPECT_EQ(ns_->GetDefaultFolder(kFolderDeletedItems).value()->GetItems().value()->Count(), 3);
}

TEST_F(ObjectModelTest, ABrokenCardIsUnreadableAloneAndReportedOnce) {
  NewContact("Good Card", "1");
  WriteFile(root() + "/Contacts/broken.vcf", "this is not a card\n");
  WriteFile(root() + "/Contacts/group.vcf",
            "BEGIN:VCARD\r\nVERSION:4.0\r\nKIND:group\r\nFN:Team\r\nEND:VCARD\r\n");
  com::ComPtr<Items> items = contacts_->GetItems().value();
  ASSERT_EQ(items->Count(), 3);
  int readable = 0;
  int lists = 0;
  for (int32_t i = 1; i <= items->Count(); ++i) {
    Result<com::ComPtr<Item>> item = items->Item(i);
    if (!item.ok()) continue;
    ++readable;
    if (item.value()->Class() == ItemClass::kDistributionList) {
      ++lists;
      EXPECT_EQ(item.value()->AsContact(), nullptr);  // no contact properties
    }
  }
  EXPECT_EQ(readable, 2);
  EXPECT_EQ(lists, 1);
  const std::vector<std::string>& files = items->files();
  int32_t broken =
      static_cast<int32_t>(std::find(files.begin(), files.end(), "broken.vcf") - files.begin() + 1);
  ASSERT_FALSE(items->Item(broken).ok());  // reading it again...
  EXPECT_EQ(reports_.size(), 1u);          // ...is not reported again
  EXPECT_NE(reports_[0].find("broken.vcf"), std::string::npos);
}

// What an item reads as: its name, or why it cannot be read.
std::string Reading(const Result<com::ComPtr<Item>>& item) {
  if (!item.ok()) return "unreadable";
  ContactItem* contact = item.value()->AsContact();
  return contact != nullptr ? contact->Text("FullName") : item.value()->Caption();
}

TEST_F(ObjectModelTest, AWalkInOrderReadsWhatSingleReadsReadWhereverItTurns) {
  for (int i = 0; i < 80; ++i) {
    WriteFile(root() + "/Contacts/c" + std::to_string(i) + ".vcf",
              "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Person " + std::to_string(i) +
                  "\r\nN:" + std::to_string(i) + ";Person;;;\r\nEND:VCARD\r\n");
  }
  WriteFile(root() + "/Contacts/c17.vcf", "not a card");
  WriteFile(root() + "/Contacts/c33.vcf",
            "BEGIN:VCARD\r\nVERSION:4.0\r\nKIND:group\r\nFN:Team\r\nEND:VCARD\r\n");
  com::ComPtr<Items> listed = contacts_->GetItems().value();
  com::ComPtr<Items> walked = contacts_->GetItems().value();
  com::ComPtr<Items> turning = contacts_->GetItems().value();
  std::filesystem::remove(root() + "/Contacts/c50.vcf");  // gone after the listing
  // One by one from the end: nothing to read ahead.
  std::vector<std::string> expected(static_cast<size_t>(listed->Count()));
  for (int32_t i = listed->Count(); i >= 1; --i) {
    expected[static_cast<size_t>(i - 1)] = Reading(listed->Item(i));
  }
  EXPECT_EQ(std::count(expected.begin(), expected.end(), "unreadable"), 2);

  // Items the walker keeps stay whole while the walk goes on (the others
  // go back to the read-ahead's thread to be freed).
  std::vector<std::pair<int32_t, com::ComPtr<Item>>> kept;
  for (int32_t i = 1; i <= walked->Count(); ++i) {
    Result<com::ComPtr<Item>> item = walked->Item(i);
    EXPECT_EQ(Reading(item), expected[static_cast<size_t>(i - 1)]) << i;
    if (item.ok() && i % 3 == 0) kept.emplace_back(i, item.value());
  }
  walked = nullptr;
  for (const auto& [i, item] : kept) {
    EXPECT_EQ(Reading(item), expected[static_cast<size_t>(i - 1)]) << i;
  }
  // A walk that turns back, skips, starts over and stops half-way.
  for (int32_t i : {1, 2, 3, 4, 5, 6, 3, 4, 5, 40, 41, 42, 43, 80, 1, 2, 3, 4, 5, 6, 7}) {
    EXPECT_EQ(Reading(turning->Item(i)), expected[static_cast<size_t>(i - 1)]) << i;
  }
  turning = nullptr;
  EXPECT_EQ(reports_.size(), 2u);  // each unreadable file reported once
}

// Cards far larger than the usual few hundred bytes (a photo, a long note):
// read whole, and a walk that meets a few that fill the read-ahead's room
// before a batch of them is ready goes on as a walk of small ones does.
TEST_F(ObjectModelTest, LargeCardsArriveWholeInAWalk) {
  // Ten of 400 KB fill the room; in whatever order the folder lists them,
  // the room is full before a batch of files waits, and before the last.
  std::vector<size_t> sizes(24, 400000);
  sizes[0] = 20000;  // more than one read
  sizes[1] = 70000;
  auto name = [&](size_t i) { return "Person " + std::to_string(i) + std::string(sizes[i], 'n'); };
  for (size_t i = 0; i < sizes.size(); ++i) {
    WriteFile(root() + "/Contacts/big" + std::to_string(i) + ".vcf",
              "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:" + name(i) + "\r\nEND:VCARD\r\n");
  }
  com::ComPtr<Items> items = contacts_->GetItems().value();
  const std::vector<std::string>& files = items->files();
  for (int32_t i = 1; i <= items->Count(); ++i) {
    const std::string& file = files[static_cast<size_t>(i - 1)];
    if (file.rfind("big", 0) != 0) continue;
    size_t index = std::stoul(file.substr(3));
    Result<com::ComPtr<Item>> item = items->Item(i);
    ASSERT_TRUE(item.ok()) << file;
    ContactItem* contact = item.value()->AsContact();
    ASSERT_NE(contact, nullptr) << file;
    EXPECT_TRUE(contact->Text("FullName") == name(index)) << file;  // no megabytes in a failure
  }
}

// A phone's export of a whole address book dropped into a folder: the
// first card is the contact, and the user hears once where the rest are,
// whether a walk read the file ahead or a single read did.
TEST_F(ObjectModelTest, AFileOfSeveralCardsSaysOnceThatOnlyItsFirstIsRead) {
  for (int i = 0; i < 30; ++i) {
    WriteFile(root() + "/Contacts/c" + std::to_string(i + 10) + ".vcf",
              "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Person " + std::to_string(i) + "\r\nEND:VCARD\r\n");
  }
  const std::string export_file = root() + "/Contacts/c20-export.vcf";
  WriteFile(export_file,
            "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:First\r\nEND:VCARD\r\n"
            "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:Second\r\nEND:VCARD\r\n"
            "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:Third\r\nEND:VCARD\r\n");
  com::ComPtr<Items> items = contacts_->GetItems().value();
  std::vector<std::string> names;
  for (int32_t i = 1; i <= items->Count(); ++i) names.push_back(Reading(items->Item(i)));
  EXPECT_EQ(std::count(names.begin(), names.end(), "First"), 1);
  EXPECT_EQ(std::count(names.begin(), names.end(), "Second"), 0);
  const std::vector<std::string>& files = items->files();
  int32_t at = static_cast<int32_t>(std::find(files.begin(), files.end(), "c20-export.vcf") -
                                    files.begin() + 1);
  EXPECT_EQ(Reading(items->Item(at)), "First");  // read alone this time
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_NE(reports_[0].find(export_file + " holds 3 cards; only the first is read"),
            std::string::npos)
      << reports_[0];
  EXPECT_NE(reports_[0].find("olconn97 store import '" + export_file + "' 'Contacts'"),
            std::string::npos)
      << reports_[0];
}

TEST_F(ObjectModelTest, WindowsKeepTheirStateAndOneWindowServesAnItem) {
  com::ComPtr<ContactItem> contact = NewContact("Shown Here", "1");
  EXPECT_FALSE(app_->ActiveInspector());
  ASSERT_TRUE(contact->GetInspector()->Display().ok());
  ASSERT_TRUE(app_->ActiveInspector());
  EXPECT_EQ(app_->ActiveInspector()->CurrentItem()->EntryID(), contact->EntryID());
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].path, contact->path());

  // The same item fetched again reaches the open window and closes it.
  com::ComPtr<Item> again = ns_->GetItemFromID(contact->EntryID()).value();
  ASSERT_TRUE(again->GetInspector()->Close(kClosePromptForSave).ok());
  EXPECT_FALSE(app_->ActiveInspector());

  com::ComPtr<MAPIFolder> journal = ns_->GetDefaultFolder(kFolderJournal).value();
  EXPECT_FALSE(app_->ActiveExplorer());
  com::ComPtr<Explorer> explorer = contacts_->GetExplorer();
  ASSERT_TRUE(explorer->Display().ok());
  ASSERT_TRUE(explorer->SetCurrentFolder(journal).ok());
  EXPECT_EQ(app_->ActiveExplorer()->CurrentFolder()->Name(), "Journal");
}

TEST_F(ObjectModelTest, FoldersAreAddedOnceAndTheTopFolderEndsTheWalkUp) {
  com::ComPtr<Folders> top_level = contacts_->ParentFolder()->Subfolders();
  Result<com::ComPtr<MAPIFolder>> staff = contacts_->Subfolders()->Add("Staff", kFolderContacts);
  ASSERT_TRUE(staff.ok());
  EXPECT_EQ(staff.value()->DefaultItemType(), 2);
  EXPECT_FALSE(contacts_->Subfolders()->Add("staff", kFolderContacts).ok());
  EXPECT_EQ(contacts_->Subfolders()->Count(), 1);

  com::ComPtr<MAPIFolder> folder = ns_->GetDefaultFolder(kFolderInbox).value();
  int steps = 0;
  while (com::ComPtr<MAPIFolder> parent = folder->ParentFolder()) {
    folder = parent;
    ++steps;
  }
  EXPECT_EQ(steps, 1);
  EXPECT_TRUE(folder->record().is_top());
  EXPECT_EQ(ns_->GetFolderFromID(folder->EntryID(), folder->StoreID()).value()->Name(),
            folder->Name());
}

TEST_F(ObjectModelTest, AMailIsQueuedWithoutATransportAndSentWithOne) {
  com::ComPtr<Item> item = app_->CreateItem(kMailItem).value();
  auto* mail = com::OwnObject<MailItem>(item.get());
  ASSERT_NE(mail, nullptr);
  mail->GetRecipients()->Add("ops@example.org");
  mail->message().subject = "Call from 0123\r\nBcc: victim@example.org";
  mail->message().body = "0123 called";
  ASSERT_TRUE(mail->Send().ok());
  com::ComPtr<MAPIFolder> outbox = ns_->GetDefaultFolder(kFolderOutbox).value();
  ASSERT_EQ(outbox->GetItems().value()->Count(), 1);
  std::string queued = ReadFile(mail->path());
  EXPECT_EQ(queued.find("\nBcc:"), std::string::npos);

  // With a transport: the program gets the message, the mail goes to Sent Items.
  std::string script = temp_.Child("fake-sendmail");
  WriteFile(script, "#!/bin/sh\ncat > \"$0.out\"\n");
  chmod(script.c_str(), 0755);
  sendmail_ = script + " -t";
  com::ComPtr<Item> second = app_->CreateItem(kMailItem).value();
  auto* sent = com::OwnObject<MailItem>(second.get());
  sent->GetRecipients()->Add("ops@example.org");
  sent->message().subject = "Second";
  ASSERT_TRUE(sent->Send().ok());
  EXPECT_NE(ReadFile(script + ".out").find("Subject: Second"), std::string::npos);
  EXPECT_EQ(ns_->GetDefaultFolder(kFolderSentMail).value()->GetItems().value()->Count(), 1);
}

TEST_F(ObjectModelTest, AJournalEntryKeepsItsTimesAndRecipients) {
  com::ComPtr<Item> item = app_->CreateItem(kJournalItem).value();
  auto* entry = com::OwnObject<JournalItem>(item.get());
  ASSERT_NE(entry, nullptr);
  auto start = std::chrono::system_clock::from_time_t(1796381405);
  entry->SetStart(start);
  entry->SetEnd(start + std::chrono::minutes(3));
  entry->GetRecipients()->Add("Ann Smith");
  entry->entry().subject = "Call";
  ASSERT_TRUE(entry->Save().ok());
  EXPECT_NE(entry->path().find("/Journal/"), std::string::npos);

  com::ComPtr<Item> reloaded = ns_->GetItemFromID(entry->EntryID()).value();
  auto* read = com::OwnObject<JournalItem>(reloaded.get());
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->entry().start, start);
  EXPECT_EQ(read->entry().duration_minutes, 3);
  EXPECT_EQ(read->entry().recipients, std::vector<std::string>{"Ann Smith"});
}

TEST_F(ObjectModelTest, EveryCardOfOtherProjectsIsListedAndReadWithoutHarm) {
  std::string corpus = std::string(OLCONN97_SHARED_TESTDATA_DIR) + "/vcards";
  if (!IsDirectory(corpus)) GTEST_SKIP() << "no shared test data at " << corpus;
  std::string book = root() + "/Corpus";
  ASSERT_TRUE(MakeDirectory(book).ok());
  int copied = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(corpus)) {
    if (!entry.is_regular_file()) continue;
    // Every file is offered as a card, whatever its name says.
    std::string name = "c" + std::to_string(copied++) + ".vcf";
    std::filesystem::copy_file(entry.path(), book + "/" + name);
  }
  com::ComPtr<MAPIFolder> top = ns_->TopFolders()->Item(1).value();
  com::ComPtr<MAPIFolder> folder = top->Subfolders()->ItemNamed("Corpus").value();
  EXPECT_EQ(folder->DefaultItemType(), 2);
  com::ComPtr<Items> items = folder->GetItems().value();
  ASSERT_EQ(items->Count(), copied);
  int readable = 0;
  for (int32_t i = 1; i <= items->Count(); ++i) {
    Result<com::ComPtr<Item>> item = items->Item(i);
    if (!item.ok()) continue;
    ++readable;
    if (ContactItem* contact = item.value()->AsContact()) {
      contact->Text("LastNameAndFirstName");
      EXPECT_TRUE(contact->card().ExtraPhoneNumbers().ok());
    }
  }
  EXPECT_GT(readable, copied / 2);
  // Each failure reported once; so is each file of several cards.
  auto unreadable = std::count_if(reports_.begin(), reports_.end(), [](const std::string& line) {
    return line.starts_with("olconn97: unreadable item ");
  });
  EXPECT_EQ(static_cast<int>(unreadable), copied - readable);
  for (const std::string& line : reports_) {
    if (!line.starts_with("olconn97: unreadable item ")) {
      EXPECT_NE(line.find(" cards; only the first is read"), std::string::npos) << line;
    }
  }
}

}  // namespace
}  // namespace olconn97::pim
