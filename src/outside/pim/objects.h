// The contact store's object model, in the shape the driver knows from its
// PIM: Application, NameSpace, folders, items, inspectors and explorers.
//
// Each object is a reference-counted automation object that answers
// IDispatch by the PIM's member names (a host may receive an item and read
// its properties by name); the driver itself uses the typed C++ members.
// Collections count from 1; the codes are the PIM's (folder kinds 6, 10,
// 11; item kinds 0 mail, 2 contact, 4 journal; close mode 2).
//
// Objects keep the store alive; the user-interface state (open item
// windows, the explorer) belongs to the session of one Application and
// ends with it.
#ifndef OLCONN97_OUTSIDE_PIM_OBJECTS_H_
#define OLCONN97_OUTSIDE_PIM_OBJECTS_H_

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "outside/com/com_ptr.h"
#include "outside/com/dynamic_dispatch.h"
#include "outside/pim/store.h"
#include "outside/shell/clock.h"

namespace olconn97::ui {
class Desktop;
}

namespace olconn97::pim {

// Item kinds of CreateItem and Items.Add.
inline constexpr int kMailItem = 0;
inline constexpr int kContactItem = 2;
inline constexpr int kJournalItem = 4;
// Item classes (the Class property).
enum class ItemClass { kContact = 40, kJournal = 42, kMail = 43, kDistributionList = 69 };
// Inspector close modes.
inline constexpr int kCloseSave = 0;
inline constexpr int kCloseDiscard = 1;
inline constexpr int kClosePromptForSave = 2;

// The store's objects stand for another component's: they never keep the
// driver library from unloading.
template <typename T, typename Base = IDispatch>
using StoreObject = com::DispatchObject<T, Base, /*kCounted=*/false>;

class Application;
class NameSpace;
class MAPIFolder;
class Folders;
class Items;
class Item;
class ItemReadAhead;
class ContactItem;
class Inspector;
class Explorer;

// What a window of the store shows, when it is shown headless.
struct DisplayEvent {
  enum class What { kItem, kFolder, kClosed } what;
  std::string path;     // the item's file or the folder's directory
  std::string caption;  // the item's or folder's name
};

struct ApplicationOptions {
  std::string store_folder;
  bool create_store = false;  // only the default location is ever created
  // The mail transfer command ("SendmailCommand"); empty queues in Outbox.
  std::function<std::string()> sendmail_command;
  // Where headless windows are reported; default: a line on stderr.
  std::function<void(const DisplayEvent&)> display;
  // The desktop the windows are drawn on, asked when one is shown: where
  // its back end shows windows they are drawn there, otherwise `display`
  // reports them. The desktop outlives the application.
  std::function<ui::Desktop*()> desktop;
  // Where the store reports unreadable items and skipped links (once
  // each); default: debugger output.
  ReportFunction report;
};

// State of one Application: the open item windows and the explorer.
class Session {
 public:
  explicit Session(std::shared_ptr<Store> store, ApplicationOptions options);

  const std::shared_ptr<Store>& store() const { return store_; }
  const ApplicationOptions& options() const { return options_; }
  void Show(const DisplayEvent& event) const;
  // Reports an unreadable item once.
  void ReportOnce(const std::string& path, std::string_view problem);

  std::vector<com::ComPtr<Inspector>> open_inspectors;
  com::ComPtr<Explorer> explorer;  // the displayed explorer, if any

 private:
  std::shared_ptr<Store> store_;
  ApplicationOptions options_;
};

// What every object of the model carries.
struct Context {
  std::shared_ptr<Store> store;
  std::weak_ptr<Session> session;
};

class Application final : public StoreObject<Application> {
 public:
  static constexpr std::string_view kClassName = "Application";
  // Opens the store; fails (kUnavailable) when it cannot be opened.
  static Result<com::ComPtr<Application>> Create(ApplicationOptions options);
  explicit Application(std::shared_ptr<Session> session);

  std::string Version() const;
  Result<com::ComPtr<NameSpace>> GetNamespace(std::string_view type);
  Result<com::ComPtr<Item>> CreateItem(int kind);
  com::ComPtr<Inspector> ActiveInspector() const;
  com::ComPtr<Explorer> ActiveExplorer() const;
  const std::shared_ptr<Session>& session() const { return session_; }

  static const com::MemberList<Application>& Members();

 private:
  std::shared_ptr<Session> session_;
};

class NameSpace final : public StoreObject<NameSpace> {
 public:
  static constexpr std::string_view kClassName = "NameSpace";
  explicit NameSpace(std::shared_ptr<Session> session) : session_(std::move(session)) {}

  Result<com::ComPtr<MAPIFolder>> GetDefaultFolder(int code);
  Result<com::ComPtr<Item>> GetItemFromID(std::string_view entry_id,
                                          std::string_view store_id = {});
  Result<com::ComPtr<MAPIFolder>> GetFolderFromID(std::string_view entry_id,
                                                  std::string_view store_id = {});
  com::ComPtr<Folders> TopFolders();
  Context context() const { return {session_->store(), session_}; }

  static const com::MemberList<NameSpace>& Members();

 private:
  std::shared_ptr<Session> session_;
};

class MAPIFolder final : public StoreObject<MAPIFolder> {
 public:
  static constexpr std::string_view kClassName = "MAPIFolder";
  MAPIFolder(Context context, FolderRecord record);

  const std::string& Name() const { return record_.name; }
  Status SetName(std::string_view name);
  std::string EntryID() const;
  std::string StoreID() const;
  // The folder above; null for the top folder (whose parent, the name
  // space, has no readable name).
  com::ComPtr<MAPIFolder> ParentFolder() const;
  int DefaultItemType() const { return static_cast<int>(record_.kind); }
  com::ComPtr<Folders> Subfolders() const;
  Result<com::ComPtr<Items>> GetItems() const;
  com::ComPtr<Explorer> GetExplorer();
  Status Display();

  const FolderRecord& record() const { return record_; }
  std::string path() const { return context_.store->PathOf(record_); }
  const Context& context() const { return context_; }

  static const com::MemberList<MAPIFolder>& Members();

 private:
  Context context_;
  FolderRecord record_;
};

class Folders final : public StoreObject<Folders> {
 public:
  static constexpr std::string_view kClassName = "Folders";
  Folders(Context context, std::vector<FolderRecord> folders, FolderRecord parent);

  int32_t Count() const { return static_cast<int32_t>(folders_.size()); }
  Result<com::ComPtr<MAPIFolder>> Item(int32_t index) const;
  Result<com::ComPtr<MAPIFolder>> ItemNamed(std::string_view name) const;
  // A new folder of kind 10 (contacts), 11 (journal) or 6 (mail); fails
  // when a folder of that name exists.
  Result<com::ComPtr<MAPIFolder>> Add(std::string_view name, int type);

  static const com::MemberList<Folders>& Members();

 private:
  Context context_;
  std::vector<FolderRecord> folders_;
  FolderRecord parent_;
};

class Items final : public StoreObject<Items> {
 public:
  static constexpr std::string_view kClassName = "Items";
  Items(Context context, FolderRecord folder, std::vector<std::string> files);
  ~Items();

  int32_t Count() const { return static_cast<int32_t>(files_.size()); }
  // The item at a 1-based position; an unreadable item fails alone.
  Result<com::ComPtr<pim::Item>> Item(int32_t index) const;
  // A new, unsaved item of kind 2 (contact), 0 (mail) or 4 (journal).
  Result<com::ComPtr<pim::Item>> Add(int kind) const;
  // The items for which "[LastModificationTime] <op> 'time'" holds.
  Result<com::ComPtr<Items>> Restrict(std::string_view filter) const;
  // The first contact whose user property matches "[name] = value"; null
  // when none does.
  Result<com::ComPtr<pim::Item>> Find(std::string_view filter) const;

  const FolderRecord& folder() const { return folder_; }
  const std::vector<std::string>& files() const { return files_; }

  static const com::MemberList<Items>& Members();

 private:
  Context context_;
  FolderRecord folder_;
  std::vector<std::string> files_;
  // Reads the next files while a walk through them in order works on one.
  mutable std::unique_ptr<ItemReadAhead> read_ahead_;
  mutable size_t next_in_order_ = 0;
  // The item made last from the read-ahead's files, and those the caller
  // let go of since, to be given back to the read-ahead in batches.
  mutable com::ComPtr<pim::Item> last_prepared_;
  mutable std::vector<com::ComPtr<pim::Item>> spent_;
};

// An item of any class. Its file is written by Save, moved by Delete.
class Item : public IDispatch {
 public:
  virtual ItemClass Class() const = 0;
  // Empty until the item is saved.
  std::string EntryID() const;
  // The entry ID of the item's file as it stands, worked out already (a
  // walk's read-ahead does it beside the walk).
  void KnowEntryID(std::string entry_id) const;
  // Writes the item to its file (creating it for a new item).
  virtual Status Save() = 0;
  // Moves the item to Deleted Items; in Deleted Items, removes its file.
  Status Delete();
  com::ComPtr<Inspector> GetInspector();
  com::ComPtr<MAPIFolder> ParentFolder() const;
  // When the item last changed in the store: the later of its file's
  // modification and status change times (a card copied in with an old
  // time counts as changed when it arrived) and the time its address book
  // was linked in (Store::LinkedSince); unset for an unsaved item.
  Result<shell::WallTime> LastModificationTime() const;
  // The display text of the item (its window's caption).
  virtual std::string Caption() const = 0;
  // Changed since it was read or last saved (a new item until it is saved).
  virtual bool Edited() const { return !saved(); }
  // The contact behind the item, or null for any other class.
  virtual ContactItem* AsContact() { return nullptr; }

  bool saved() const { return !location_.file.empty(); }
  // In Deleted Items: found by its former entry ID, but no longer a
  // contact anyone looks for.
  bool in_deleted_items() const { return location_.folder.default_code == kFolderDeletedItems; }
  std::string path() const;
  const Context& context() const { return context_; }

 protected:
  Item() = default;
  virtual ~Item() = default;
  // Writes `bytes` as the item's file; a new item gets a file named from `stem`.
  Status WriteFile(std::string_view bytes, std::string_view stem, std::string_view extension);

  Context context_;
  ItemLocation location_;

 private:
  // The entry ID of location_, kept: a cache walk asks it once per number.
  mutable std::string entry_id_;
  mutable std::string entry_id_folder_;  // the location entry_id_ is of
  mutable std::string entry_id_file_;
};

// Loads the item stored at `location`.
Result<com::ComPtr<Item>> LoadItem(const Context& context, const ItemLocation& location);

}  // namespace olconn97::pim

#endif  // OLCONN97_OUTSIDE_PIM_OBJECTS_H_
