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
// The store's identity (its store ID) lives in ".olconn97-store" at the
// root, which is the top folder. Opening a store creates the default
// folders it lacks (Inbox, Contacts, Journal, Outbox, Sent Items, Deleted
// Items, and Drafts, where a new mail lives until it is sent).
//
// Entry IDs are opaque (base64url of the store ID, the folder's identity
// and the item's file name), stable across restarts and case-sensitive. A
// marked folder keeps its identity when renamed; decoding an ID only ever
// finds folders by walking the store from its root and never follows a
// symbolic link, so no ID reaches a file outside the store.
#ifndef OLCONN97_OUTSIDE_PIM_STORE_H_
#define OLCONN97_OUTSIDE_PIM_STORE_H_

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
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

struct FolderRecord {
  std::string relative;  // path below the root, "/"-separated; "" for the top folder
  std::string key;       // identity within the store
  std::string name;      // display name
  FolderKind kind = FolderKind::kMail;
  int default_code = 0;  // 3, 4, 5, 6, 10, 11 for a default folder, else 0
  bool marked = false;

  bool is_top() const { return relative.empty(); }
  friend bool operator==(const FolderRecord&, const FolderRecord&) = default;
};

// Where an item lives.
struct ItemLocation {
  FolderRecord folder;
  std::string file;  // file name within the folder
};

class Store {
 public:
  // Opens the store at `root`. With `create`, a missing directory is made
  // (the default location); otherwise a missing or unreadable directory
  // fails with kUnavailable.
  static Result<std::shared_ptr<Store>> Open(const std::string& root, bool create);

  const std::string& root() const { return root_; }
  const std::string& store_id() const { return store_id_; }
  std::string PathOf(const FolderRecord& folder) const;
  std::string PathOf(const ItemLocation& item) const;

  FolderRecord Top() const;
  Result<std::vector<FolderRecord>> Subfolders(const FolderRecord& folder) const;
  // The folder above; kNotFound for the top folder.
  Result<FolderRecord> ParentOf(const FolderRecord& folder) const;
  Result<FolderRecord> DefaultFolder(int code) const;
  // The folder at a path below the root ("" for the top folder).
  Result<FolderRecord> FolderAt(const std::string& relative) const { return ReadFolder(relative); }
  // Re-reads a folder's record (its name may have changed on disk).
  Result<FolderRecord> Refresh(const FolderRecord& folder) const;

  // A new folder below `parent`; kAlreadyExists when a subfolder of that
  // name exists (names compare without regard to case).
  Result<FolderRecord> CreateFolder(const FolderRecord& parent, std::string_view name,
                                    FolderKind kind);
  Status RenameFolder(const FolderRecord& folder, std::string_view name, FolderRecord* renamed);

  // Item files of a folder, sorted by name.
  Result<std::vector<std::string>> ItemFiles(const FolderRecord& folder) const;

  std::string FolderEntryId(const FolderRecord& folder) const;
  std::string ItemEntryId(const ItemLocation& item) const;
  // `store_id` may be empty; when given it must be this store's.
  Result<FolderRecord> FolderFromId(std::string_view entry_id, std::string_view store_id) const;
  Result<ItemLocation> ItemFromId(std::string_view entry_id, std::string_view store_id) const;

  // Writes an item file atomically (temporary file, fsync, rename).
  Status WriteItem(const ItemLocation& item, std::string_view bytes) const;
  // A file name for a new item that no file of the folder has yet.
  std::string NewItemFileName(const FolderRecord& folder, std::string_view stem,
                              std::string_view extension) const;
  // Moves an item into another folder; the moved item's location.
  Result<ItemLocation> MoveItem(const ItemLocation& item, const FolderRecord& target) const;
  Status RemoveItem(const ItemLocation& item) const;

 private:
  Store(std::string root, std::string store_id);
  Status EnsureDefaultFolders();
  Result<FolderRecord> ReadFolder(const std::string& relative) const;
  Result<FolderRecord> FindByKey(std::string_view key) const;
  void IndexTree() const;

  std::string root_;
  std::string store_id_;
  mutable std::mutex index_mutex_;
  mutable std::map<std::string, std::string> marked_index_;  // key -> relative path
};

// A fresh random identity: 32 upper-case hexadecimal digits.
std::string NewIdentity();

// Whether `name` may be a folder's directory or an item's file name.
bool IsPlainName(std::string_view name);

}  // namespace olconn97::pim

#endif  // OLCONN97_OUTSIDE_PIM_STORE_H_
