// Address books linked into the store: folders like copied ones, found
// again by their IDs; links that loop or lead to files are skipped,
// reported once, and no ID gets past them.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>

#include "outside/pim/entry_id.h"
#include "outside/pim/item_classes.h"
#include "outside/pim/objects.h"
#include "outside/pim/store.h"
#include "outside/pim/store_files.h"
#include "test_support.h"

namespace olconn97::pim {
namespace {

using ::olconn97::testing::ReadFile;
using ::olconn97::testing::TempDir;
using ::olconn97::testing::WriteFile;

constexpr char kCard[] = "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:ann\r\nFN:Ann Smith\r\nEND:VCARD\r\n";

class LinkedFoldersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(MakeDirectories(books() + "/work").ok());
    WriteFile(books() + "/work/ann.vcf", kCard);
    WriteFile(books() + "/work/displayname", "Work (server)");
  }

  std::shared_ptr<Store> OpenStore() {
    auto report = [this](std::string_view line) { reports_.emplace_back(line); };
    Result<std::shared_ptr<Store>> store = Store::Open(root(), true, report);
    EXPECT_TRUE(store.ok()) << store.status().ToString();
    return store.value();
  }

  void Link(const std::string& target, const std::string& link) {
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0) << link;
  }

  // Every folder the walk reaches, by path below the root.
  std::vector<std::string> WalkAll(const Store& store) {
    std::vector<std::string> paths;
    std::function<void(const FolderRecord&)> walk = [&](const FolderRecord& folder) {
      for (const FolderRecord& child : store.Subfolders(folder).value()) {
        paths.push_back(child.relative);
        walk(child);
      }
    };
    walk(store.Top());
    return paths;
  }

  std::string root() const { return temp_.Child("store"); }
  std::string books() const { return temp_.Child("books"); }

  TempDir temp_;
  std::vector<std::string> reports_;
};

TEST_F(LinkedFoldersTest, ALinkedAddressBookIsAContactsFolderNamedByItsLink) {
  auto store = OpenStore();
  Link(books() + "/work", root() + "/Work");
  Link(books(), root() + "/Books");  // a folder of address books

  Result<FolderRecord> work = store->FolderAt("Work");
  ASSERT_TRUE(work.ok());
  EXPECT_EQ(work.value().name, "Work");
  EXPECT_EQ(work.value().kind, FolderKind::kContacts);
  EXPECT_TRUE(work.value().linked);
  EXPECT_EQ(store->ItemFiles(work.value()).value(), std::vector<std::string>{"ann.vcf"});
  std::vector<std::string> paths = WalkAll(*store);
  EXPECT_NE(std::find(paths.begin(), paths.end(), "Work"), paths.end());
  EXPECT_NE(std::find(paths.begin(), paths.end(), "Books/work"), paths.end());
  // Below a linked folder, a collection is named as a synced one is.
  EXPECT_EQ(store->FolderAt("Books/work").value().name, "Work (server)");

  // IDs find the folder and its card again, in this process and the next.
  std::string folder_id = store->FolderEntryId(work.value());
  std::string card_id = store->ItemEntryId({work.value(), "ann.vcf"});
  auto reopened = OpenStore();
  EXPECT_EQ(reopened->FolderFromId(folder_id, "").value().relative, "Work");
  ASSERT_TRUE(reopened->ItemFromId(card_id, "").ok());
  // A card saved there lands in the address book itself.
  ASSERT_TRUE(reopened->WriteItem({work.value(), "bob.vcf"}, kCard).ok());
  EXPECT_EQ(ReadFile(books() + "/work/bob.vcf"), kCard);
  EXPECT_TRUE(reports_.empty()) << reports_.front();
  // The store's own folder may be a link as well.
  Link(root(), temp_.Child("alias"));
  EXPECT_TRUE(Store::Open(temp_.Child("alias"), false).ok());
}

TEST_F(LinkedFoldersTest, LoopsAndLinksToFilesAreSkippedAndReportedOnce) {
  auto store = OpenStore();
  Link(books() + "/work", root() + "/Work");
  Link(root(), root() + "/Loop");                    // the store itself
  Link(temp_.path(), root() + "/Above");             // a folder that holds the store
  Link("..", root() + "/Contacts/Up");               // the folder above
  Link(root() + "/Self", root() + "/Self");          // a link to itself
  Link(books() + "/work/ann.vcf", root() + "/Ann");  // a file
  Link(temp_.Child("nowhere"), root() + "/Gone");
  Link(root(), books() + "/work/back");  // from inside a linked book, back to the store
  // Two books that link to each other.
  ASSERT_TRUE(MakeDirectories(books() + "/a").ok());
  ASSERT_TRUE(MakeDirectories(books() + "/b").ok());
  Link(books() + "/b", books() + "/a/to-b");
  Link(books() + "/a", books() + "/b/to-a");
  Link(books() + "/a", root() + "/A");

  std::vector<std::string> paths = WalkAll(*store);
  WalkAll(*store);  // a second walk reports nothing new
  EXPECT_EQ(std::count(paths.begin(), paths.end(), "Work"), 1);
  EXPECT_EQ(std::count(paths.begin(), paths.end(), "A/to-b"), 1);
  const std::vector<std::string> skipped = {"Loop", "Above", "Contacts/Up", "Self",
                                            "Ann",  "Gone",  "Work/back",   "A/to-b/to-a"};
  for (const std::string& path : skipped) {
    EXPECT_EQ(std::count(paths.begin(), paths.end(), path), 0) << path;
  }
  ASSERT_EQ(reports_.size(), skipped.size());
  for (const std::string& path : skipped) {
    EXPECT_EQ(std::count_if(reports_.begin(), reports_.end(),
                            [&](const std::string& line) {
                              return line.find(root() + "/" + path + " ") != std::string::npos;
                            }),
              1)
        << path;
  }

  // No ID goes where the walk does not.
  const std::string sid = store->store_id();
  for (const char* key :
       {"p:Loop", "p:Loop/Work", "p:Above", "p:Above/books/work", "p:Contacts/Up", "p:Self",
        "p:Ann", "p:Gone", "p:Work/back", "p:A/to-b/to-a", "p:Work/..", "p:Work/../Contacts"}) {
    EXPECT_FALSE(store->FolderFromId(EncodeEntryId({sid, key, ""}), "").ok()) << key;
    EXPECT_FALSE(store->ItemFromId(EncodeEntryId({sid, key, "ann.vcf"}), "").ok()) << key;
  }
  EXPECT_TRUE(store->FolderFromId(EncodeEntryId({sid, "p:A/to-b", ""}), "").ok());
}

// The system stamps a link when it is made: its cards arrived then, however
// old their files are, so the next refresh after linking reads them.
TEST_F(LinkedFoldersTest, TheCardsOfALinkedBookArriveWhenItIsLinked) {
  ApplicationOptions options;
  options.store_folder = root();
  options.create_store = true;
  com::ComPtr<Application> app = Application::Create(std::move(options)).value();
  struct stat card;
  ASSERT_EQ(stat((books() + "/work/ann.vcf").c_str(), &card), 0);
  struct stat link;
  do {  // until the system's clock has moved on since the card was written
    unlink((root() + "/Work").c_str());
    Link(books() + "/work", root() + "/Work");
    ASSERT_EQ(lstat((root() + "/Work").c_str(), &link), 0);
  } while (link.st_ctim.tv_sec == card.st_ctim.tv_sec &&
           link.st_ctim.tv_nsec == card.st_ctim.tv_nsec);

  com::ComPtr<MAPIFolder> work = app->GetNamespace("MAPI")
                                     .value()
                                     ->TopFolders()
                                     ->Item(1)
                                     .value()
                                     ->Subfolders()
                                     ->ItemNamed("Work")
                                     .value();
  shell::WallTime arrived =
      work->GetItems().value()->Item(1).value()->LastModificationTime().value();
  auto linked_at =
      std::chrono::seconds(link.st_ctim.tv_sec) + std::chrono::nanoseconds(link.st_ctim.tv_nsec);
  EXPECT_EQ(arrived.time_since_epoch(),
            std::chrono::duration_cast<shell::WallTime::duration>(linked_at));
}

}  // namespace
}  // namespace olconn97::pim
