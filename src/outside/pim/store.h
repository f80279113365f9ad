// The contact store on disk: a directory whose subdirectories are folders.
//
// A folder carries its kind, display name and identity in a small marker
// file (".olconn97-folder"). A directory without a marker is still a folder:
// a contacts folder when it holds .vcf files or a "displayname" file (an
// address book that vdirsyncer syncs, a "vdir"), named by that file or by
// the directory; otherwise a journal folder when it holds .ics files, else a
// mail folder. Items are files: .vcf contacts, .ics journal entries, .eml
// mails. Hidden entries (starting with ".") are the store's own.
//
// A symbolic link to a directory is a folder too, named by the link: the
// user's own address book linked into the store (folder_links.h says which
// links the walk follows). Its cards stay where they are; new ones are
// written there, where the user's address book program finds them.
//
// The store's identity (its store ID) lives in ".olconn97-store" at the
// root, which is the top folder. Opening a store creates the default
// folders it lacks (Inbox, Contacts, Journal, Outbox, Sent Items, Deleted
// Items, and Drafts, where a new mail lives until it is sent).
//
// Entry IDs are opaque (base64url of the store ID, the folder's identity
// and the item's file name), stable across restarts and case-sensitive. A
// marked folder keeps its identity when renamed; decoding an ID only ever
// finds folders by walking the store from its root, taking the steps the
// walk takes, and an item is never a link, so no ID reaches a file the
// walk does not list.
#ifndef OLCONN97_OUTSIDE_PIM_STORE_H_
#define OLCONN97_OUTSIDE_PIM_STORE_H_

#include <sys/types.h>

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "outside/pim/folder_links.h"
#include "outside/shell/clock.h"

namespace olconn97::pim {

// DefaultItemType of a folder.
enum class FolderKind { kMail = 0, kContacts = 2, kJournal = 4 };

// GetDefaultFolder codes.
inline constexpr int kFolderDeletedItems = 3;
inline constexpr int kFolderOutbox = 4;
inline constexpr int kFolderSentMail = 5;
inline constexpr int kFolderInbox = 6;
inline constexpr int kFolderContacts = 10;
inline constexpr int kFolderJournal = 11;
inline constexpr int kFolderDrafts = 16;

inline constexpr char kStoreMarker[] = ".olconn97-store";
inline constexpr char kFolderMarker[] = ".olconn97-folder";
// In Deleted Items: one line per item moved there, "<former entry ID>
// <file name there>", so the entry ID an item had before Delete finds it.
inline constexpr char kMovedRecord[] = ".olconn97-moved";

struct FolderRecord {
  std::string relative;  // path below the root, "/"-separated; "" for the top folder
  std::string key;       // identity within the store
  std::string name;      // display name
  FolderKind kind = FolderKind::kMail;
  int default_code = 0;  // 3, 4, 5, 6, 10, 11 for a default folder, else 0
  bool marked = false;
  bool linked = false;  // a symbolic link to a directory

  bool is_top() const { return relative.empty(); }
  friend bool operator==(const FolderRecord&, const FolderRecord&) = default;
};

// Where an item lives.
struct ItemLocation {
  FolderRecord folder;
  std::string file;  // file name within the folder
};

// Where the store reports what it skips or cannot read: one line each.
using ReportFunction = std::function<void(std::string_view)>;

class Store {
 public:
  // Opens the store at `root` (a directory, or a link to one). With
  // `create`, a missing directory is made (the default location); otherwise
  // a missing or unreadable directory fails with kUnavailable. Problems go
  // to `report`, once each; without one, to debugger output.
  static Result<std::shared_ptr<Store>> Open(const std::string& root, bool create,
                                             ReportFunction report = {});

  const std::string& root() const { return root_; }
  const std::string& store_id() const { return store_id_; }
  std::string PathOf(const FolderRecord& folder) const;
  std::string PathOf(const ItemLocation& item) const;

  FolderRecord Top() const;
  Result<std::vector<FolderRecord>> Subfolders(const FolderRecord& folder) const;
  // The folder above; kNotFound for the top folder.
  Result<FolderRecord> ParentOf(const FolderRecord& folder) const;
  Result<FolderRecord> DefaultFolder(int code) const;
  // The folder at a path below the root ("" for the top folder), if the
  // walk reaches it.
  Result<FolderRecord> FolderAt(const std::string& relative) const;
  // Re-reads a folder's record (its name may have changed on disk).
  Result<FolderRecord> Refresh(const FolderRecord& folder) const;

  // A new folder below `parent`; kAlreadyExists when a subfolder of that
  // name exists (names compare without regard to case).
  Result<FolderRecord> CreateFolder(const FolderRecord& parent, std::string_view name,
                                    FolderKind kind);
  Status RenameFolder(const FolderRecord& folder, std::string_view name, FolderRecord* renamed);
  // A symbolic link named `name` in the top folder, to the directory
  // `target` (an address book kept elsewhere). kAlreadyExists when the
  // store holds an entry of that name or a top folder shows that name;
  // kInvalidArgument when a top folder links there already, or when the
  // link would lead back into the store.
  Result<FolderRecord> LinkFolder(const std::string& target, std::string_view name);
  // The folder a user names: the path of its directory below the root (or
  // the whole path), its path of names as 'store folders' lists it (with
  // or without the top folder's name), or its name alone when no other
  // folder has it.
  Result<FolderRecord> FindFolder(std::string_view path_or_name) const;

  // Item files of a folder, sorted by name.
  Result<std::vector<std::string>> ItemFiles(const FolderRecord& folder) const;

  std::string FolderEntryId(const FolderRecord& folder) const;
  std::string ItemEntryId(const ItemLocation& item) const;
  // `store_id` may be empty; when given it must be this store's. An item
  // that Delete moved to Deleted Items is found there by its former ID too.
  Result<FolderRecord> FolderFromId(std::string_view entry_id, std::string_view store_id) const;
  Result<ItemLocation> ItemFromId(std::string_view entry_id, std::string_view store_id) const;

  // Writes an item file atomically (temporary file, fsync, rename).
  Status WriteItem(const ItemLocation& item, std::string_view bytes) const;
  // The file name a new item with this stem (a card's UID) gets first.
  static std::string ItemFileNameFor(std::string_view stem, std::string_view extension);
  // A file name for a new item that no file of the folder has yet.
  std::string NewItemFileName(const FolderRecord& folder, std::string_view stem,
                              std::string_view extension) const;
  // Moves an item into another folder; the moved item's location. A move
  // into Deleted Items is recorded there (kMovedRecord).
  Result<ItemLocation> MoveItem(const ItemLocation& item, const FolderRecord& target) const;
  Status RemoveItem(const ItemLocation& item) const;

  // When the last link on the folder's path was made; nothing for a folder
  // reached without links. An item arrived in the store no earlier than
  // that: the cards of an address book linked in after a walk are new to
  // the next one, whatever their files' times.
  std::optional<shell::WallTime> LinkedSince(const FolderRecord& folder) const;

  // Reports `line` unless a line was reported for `key` already.
  void ReportOnce(const std::string& key, std::string_view line) const;

 private:
  Store(std::string root, std::string store_id, ReportFunction report);
  Status EnsureDefaultFolders();
  Result<FolderRecord> ReadFolder(const std::string& relative) const;
  // The directories the walk passes from the root down to `relative`;
  // kNotFound when it does not get there.
  Result<FolderChain> ChainTo(const std::string& relative) const;
  // The relative path, key and marked flag of the folder at `relative`.
  Result<FolderRecord> ReadIdentity(const std::string& relative) const;
  // The subfolders of the folder at `relative`, reached through `chain`,
  // each with its own chain, read whole or only for their identity;
  // skipped links are reported.
  struct WalkedFolder {
    FolderRecord record;
    FolderChain chain;
    std::string names;  // path of names below the top folder
  };
  Result<std::vector<WalkedFolder>> FoldersBelow(const std::string& relative,
                                                 const FolderChain& chain,
                                                 bool identity_only = false) const;
  // Every folder below the top one, each before those below it, with its
  // path of names below the top folder ("Inbox/Suppliers").
  void WalkTree(const std::function<void(const FolderRecord&, const std::string& names)>& visit,
                bool identity_only = false) const;
  Result<FolderRecord> FindByKey(std::string_view key) const;
  // Where the item that had `entry_id` went in Deleted Items, if it is
  // still there.
  Result<ItemLocation> MovedToDeletedItems(std::string_view entry_id) const;
  void RecordMoveToDeletedItems(const ItemLocation& from, const ItemLocation& to) const;
  // Past this size the record drops the lines of items no longer there.
  static constexpr off_t kMovedRecordLimit = 64 * 1024;
  void PruneMovedRecord(const FolderRecord& deleted_items) const;
  void IndexTree() const;

  std::string root_;
  std::string store_id_;
  mutable std::mutex index_mutex_;
  mutable std::map<std::string, std::string> marked_index_;  // key -> relative path
  ReportFunction report_;
  mutable std::mutex report_mutex_;
  mutable std::set<std::string> reported_;
};

// A fresh random identity: 32 upper-case hexadecimal digits.
std::string NewIdentity();

// Whether `name` may be a folder's directory or an item's file name.
bool IsPlainName(std::string_view name);

}  // namespace olconn97::pim

#endif  // OLCONN97_OUTSIDE_PIM_STORE_H_
