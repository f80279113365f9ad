// The store on disk: layout, folders, identities, and IDs that try to
// reach outside it.
#include "outside/pim/store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "outside/pim/entry_id.h"
#include "outside/pim/store_files.h"
#include "test_support.h"

namespace olconn97::pim {
namespace {

using ::olconn97::testing::TempDir;
using ::olconn97::testing::WriteFile;

class StoreTest : public ::testing::Test {
 protected:
  std::shared_ptr<Store> OpenStore() {
    Result<std::shared_ptr<Store>> store = Store::Open(temp_.Child("store"), true);
    EXPECT_TRUE(store.ok()) << store.status().ToString();
    return store.value();
  }
  std::string root() const { return temp_.Child("store"); }

  TempDir temp_;
};

TEST_F(StoreTest, ANewStoreGetsItsDefaultFoldersAndKeepsItsIdentity) {
  auto store = OpenStore();
  const std::pair<int, const char*> defaults[] = {
      {kFolderInbox, "Inbox"},         {kFolderContacts, "Contacts"},
      {kFolderJournal, "Journal"},     {kFolderOutbox, "Outbox"},
      {kFolderSentMail, "Sent Items"}, {kFolderDeletedItems, "Deleted Items"},
      {kFolderDrafts, "Drafts"}};
  for (const auto& [code, name] : defaults) {
    Result<FolderRecord> folder = store->DefaultFolder(code);
    ASSERT_TRUE(folder.ok()) << name;
    EXPECT_EQ(folder.value().name, name);
    EXPECT_EQ(folder.value().relative, name);
  }
  EXPECT_EQ(store->DefaultFolder(kFolderContacts).value().kind, FolderKind::kContacts);
  EXPECT_EQ(store->DefaultFolder(kFolderJournal).value().kind, FolderKind::kJournal);

  std::string contacts_id = store->FolderEntryId(store->DefaultFolder(kFolderContacts).value());
  auto reopened = OpenStore();
  EXPECT_EQ(reopened->store_id(), store->store_id());
  EXPECT_EQ(reopened->FolderEntryId(reopened->DefaultFolder(kFolderContacts).value()), contacts_id);
  EXPECT_EQ(reopened->Subfolders(reopened->Top()).value().size(), 7u);  // nothing doubled
}

TEST_F(StoreTest, AConfiguredStoreThatIsMissingIsNeverCreated) {
  Result<std::shared_ptr<Store>> missing = Store::Open(temp_.Child("nowhere"), false);
  ASSERT_FALSE(missing.ok());
  EXPECT_EQ(missing.status().code(), Code::kUnavailable);
  EXPECT_FALSE(IsDirectory(temp_.Child("nowhere")));
  WriteFile(temp_.Child("a-file"), "x");
  EXPECT_EQ(Store::Open(temp_.Child("a-file"), false).status().code(), Code::kUnavailable);
}

// An address book, or the folder of a khard or vdirsyncer set-up, named as
// the store would get seven folders written into it and its cards read as
// mail: it is refused, untouched, with what works instead.
TEST_F(StoreTest, AFolderThatHoldsSomethingAlreadyIsNeverMadeAStore) {
  const std::string book = temp_.Child("book");
  ASSERT_TRUE(MakeDirectories(book).ok());
  WriteFile(book + "/ann.vcf", "BEGIN:VCARD\r\nEND:VCARD\r\n");
  const std::string books = temp_.Child("books");
  ASSERT_TRUE(MakeDirectories(books + "/work").ok());
  WriteFile(books + "/work/bob.vcf", "BEGIN:VCARD\r\nEND:VCARD\r\n");
  const std::string papers = temp_.Child("papers");
  ASSERT_TRUE(MakeDirectories(papers).ok());
  WriteFile(papers + "/letter.txt", "Dear Ann");

  struct Case {
    std::string folder;
    std::string says;
  };
  for (const Case& refused : {Case{book, "khard or vdirsyncer collection"},
                              Case{books, "folder of a khard or vdirsyncer set-up"},
                              Case{papers, "files or folders of its own"}}) {
    for (bool create : {false, true}) {
      Result<std::shared_ptr<Store>> store = Store::Open(refused.folder, create);
      ASSERT_FALSE(store.ok()) << refused.folder;
      EXPECT_EQ(store.status().code(), Code::kUnavailable);
      const std::string& text = store.status().description();
      EXPECT_NE(text.find(refused.says), std::string::npos) << text;
      EXPECT_NE(text.find("empty or new folder"), std::string::npos) << text;
      EXPECT_NE(text.find("olconn97 store link"), std::string::npos) << text;
    }
  }
  EXPECT_NE(Store::Open(books, false).status().description().find("store link '" + books + "'"),
            std::string::npos);
  EXPECT_FALSE(PathExists(book + "/" + kStoreMarker));
  EXPECT_FALSE(PathExists(books + "/Contacts"));

  // An empty folder becomes a store, and so does one that holds only
  // address books linked into it.
  ASSERT_TRUE(MakeDirectories(temp_.Child("empty")).ok());
  EXPECT_TRUE(Store::Open(temp_.Child("empty"), false).ok());
  ASSERT_TRUE(MakeDirectories(temp_.Child("linked")).ok());
  ASSERT_EQ(symlink(book.c_str(), temp_.Child("linked/Book").c_str()), 0);
  Result<std::shared_ptr<Store>> linked = Store::Open(temp_.Child("linked"), false);
  ASSERT_TRUE(linked.ok()) << linked.status().ToString();
  EXPECT_EQ(linked.value()->FolderAt("Book").value().kind, FolderKind::kContacts);
  // A store stays a store, whatever it holds.
  auto store = OpenStore();
  WriteFile(root() + "/notes.txt", "x");
  EXPECT_TRUE(Store::Open(root(), false).ok());
}

TEST_F(StoreTest, SyncedAddressBooksAreContactsFoldersWithTheirOwnNames) {
  auto store = OpenStore();
  ASSERT_TRUE(MakeDirectories(root() + "/Private/friends").ok());
  WriteFile(root() + "/Private/friends/abc.vcf", "BEGIN:VCARD\r\nEND:VCARD\r\n");
  WriteFile(root() + "/Private/friends/displayname", "  Friends & Family\n");
  ASSERT_TRUE(MakeDirectories(root() + "/Private/work").ok());
  WriteFile(root() + "/Private/work/x.VCF", "BEGIN:VCARD\r\nEND:VCARD\r\n");
  ASSERT_TRUE(MakeDirectories(root() + "/Private/notes").ok());
  WriteFile(root() + "/Private/notes/n.ics", "BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n");

  FolderRecord top = store->Top();
  std::vector<FolderRecord> top_folders = store->Subfolders(top).value();
  ASSERT_EQ(top_folders.size(), 8u);
  FolderRecord priv = top_folders[6];  // sorted by name without regard to case
  ASSERT_EQ(priv.name, "Private");
  EXPECT_EQ(priv.kind, FolderKind::kMail);
  std::vector<FolderRecord> books = store->Subfolders(priv).value();
  ASSERT_EQ(books.size(), 3u);
  EXPECT_EQ(books[0].name, "Friends & Family");
  EXPECT_EQ(books[0].kind, FolderKind::kContacts);
  EXPECT_FALSE(books[0].marked);
  EXPECT_EQ(books[1].name, "notes");
  EXPECT_EQ(books[1].kind, FolderKind::kJournal);
  EXPECT_EQ(books[2].name, "work");
  EXPECT_EQ(books[2].kind, FolderKind::kContacts);
  EXPECT_EQ(store->ItemFiles(books[0]).value(), std::vector<std::string>{"abc.vcf"});
  // A book keeps its identity when renamed: its directory stays, its
  // display name changes.
  std::string id = store->FolderEntryId(books[0]);
  FolderRecord renamed;
  ASSERT_TRUE(store->RenameFolder(books[0], "Family", &renamed).ok());
  EXPECT_EQ(renamed.name, "Family");
  EXPECT_EQ(store->FolderFromId(id, "").value().name, "Family");
  EXPECT_EQ(testing::ReadFile(root() + "/Private/friends/displayname"), "Family");
}

TEST_F(StoreTest, FoldersAreCreatedOnceByNameAndKeepTheirIdWhenRenamed) {
  auto store = OpenStore();
  FolderRecord contacts = store->DefaultFolder(kFolderContacts).value();
  Result<FolderRecord> staff =
      store->CreateFolder(contacts, "Staff/Directory", FolderKind::kContacts);
  ASSERT_TRUE(staff.ok());
  EXPECT_EQ(staff.value().relative, "Contacts/Staff-Directory");
  EXPECT_EQ(staff.value().name, "Staff/Directory");
  EXPECT_EQ(store->CreateFolder(contacts, "STAFF/directory", FolderKind::kContacts).status().code(),
            Code::kAlreadyExists);

  std::string id = store->FolderEntryId(staff.value());
  FolderRecord renamed;
  ASSERT_TRUE(store->RenameFolder(staff.value(), "Colleagues", &renamed).ok());
  EXPECT_EQ(renamed.relative, "Contacts/Colleagues");
  Result<FolderRecord> found = store->FolderFromId(id, store->store_id());
  ASSERT_TRUE(found.ok());
  EXPECT_EQ(found.value().name, "Colleagues");
  EXPECT_TRUE(store->ParentOf(found.value()).value() == contacts);
  EXPECT_FALSE(store->ParentOf(store->Top()).ok());
}

TEST_F(StoreTest, ForgedEntryIdsFailWithoutReachingOutside) {
  auto store = OpenStore();
  FolderRecord contacts = store->DefaultFolder(kFolderContacts).value();
  WriteFile(root() + "/Contacts/real.vcf", "BEGIN:VCARD\r\nEND:VCARD\r\n");
  WriteFile(temp_.Child("secret.vcf"), "BEGIN:VCARD\r\nFN:secret\r\nEND:VCARD\r\n");
  ASSERT_EQ(symlink(temp_.Child("secret.vcf").c_str(), (root() + "/Contacts/link.vcf").c_str()), 0);
  ASSERT_EQ(symlink(temp_.path().c_str(), (root() + "/Contacts/outside").c_str()), 0);

  std::string valid = store->ItemEntryId({contacts, "real.vcf"});
  ASSERT_TRUE(store->ItemFromId(valid, "").ok());
  ASSERT_TRUE(store->ItemFromId(valid, store->store_id()).ok());

  std::string flipped = valid;  // the same ID with one letter in the other case
  for (char& c : flipped) {
    if (std::isalpha(static_cast<unsigned char>(c))) {
      c = std::isupper(static_cast<unsigned char>(c)) ? static_cast<char>(std::tolower(c))
                                                      : static_cast<char>(std::toupper(c));
      break;
    }
  }
  ASSERT_NE(flipped, valid);
  const std::string sid = store->store_id();
  const std::vector<std::string> forged = {
      flipped,  // IDs are case-sensitive
      EncodeEntryId({sid, contacts.key, "../../secret.vcf"}),
      EncodeEntryId({sid, contacts.key, temp_.Child("secret.vcf")}),
      EncodeEntryId({sid, contacts.key, "link.vcf"}),  // a link, not an item
      EncodeEntryId({sid, "p:Contacts/outside", "secret.vcf"}),
      EncodeEntryId({sid, "p:..", "secret.vcf"}),
      EncodeEntryId({sid, "p:" + temp_.path(), "secret.vcf"}),
      EncodeEntryId({"0123456789ABCDEF0123456789ABCDEF", contacts.key, "real.vcf"}),
      "garbage!",
      std::string(10 * 1024, 'A'),
      "",
  };
  for (const std::string& id : forged) {
    Result<ItemLocation> item = store->ItemFromId(id, "");
    EXPECT_FALSE(item.ok()) << id.substr(0, 80);
  }
  EXPECT_FALSE(store->ItemFromId(valid, "another-store").ok());
  EXPECT_FALSE(store->FolderFromId(EncodeEntryId({sid, "p:Contacts/outside", ""}), "").ok());
  // Nor are the links listed: one leads to a file, the other above the store.
  EXPECT_EQ(store->ItemFiles(contacts).value(), std::vector<std::string>{"real.vcf"});
  for (const FolderRecord& sub : store->Subfolders(contacts).value()) {
    ADD_FAILURE() << "a linked folder was listed: " << sub.relative;
  }
}

TEST(EntryIdTest, RoundTripsAndRejectsNonCanonicalText) {
  EntryIdParts parts{"ABC", "p:Contacts/Friends", "x y.vcf"};
  std::string id = EncodeEntryId(parts);
  EXPECT_EQ(DecodeEntryId(id).value(), parts);
  EXPECT_FALSE(DecodeEntryId(id + "=").ok());
  Result<EntryIdParts> truncated = DecodeEntryId(id.substr(0, id.size() - 2));
  EXPECT_TRUE(!truncated.ok() || !(truncated.value() == parts));
  EXPECT_FALSE(DecodeEntryId(std::string(kMaxEntryIdLength + 1, 'A')).ok());
}

}  // namespace
}  // namespace olconn97::pim
