// The store's file system work: folders, markers, item files. Nothing here
// follows a symbolic link at the end of a path: a link is never read as an
// item or a marker. Where a link to a folder is a folder of the store is
// folder_links.h's business.
#ifndef OLCONN97_OUTSIDE_PIM_STORE_FILES_H_
#define OLCONN97_OUTSIDE_PIM_STORE_FILES_H_

#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "outside/pim/store.h"
#include "outside/shell/clock.h"

namespace olconn97::pim {

// "parent/name", or "name" below the top folder.
std::string JoinRelative(const std::string& parent, std::string_view name);

// `path` made absolute with the working folder, links and ".." kept as
// they are; RealPath resolves them ("" when the path leads nowhere).
std::string AbsolutePath(const std::string& path);
std::string RealPath(const std::string& path);

bool IsDirectory(const std::string& path);    // a real directory, not a link
bool IsRegularFile(const std::string& path);  // a real file, not a link
bool PathExists(const std::string& path);     // anything, links included
Status MakeDirectory(const std::string& path);
Status MakeDirectories(const std::string& path);

enum class EntryType { kDirectory, kFile };
// Names of the real directories (or files) in a folder, unsorted; the
// names of its symbolic links go to `links` when given.
Result<std::vector<std::string>> ListEntries(const std::string& folder, EntryType type,
                                             std::vector<std::string>* links = nullptr);

// The largest item file the store reads.
inline constexpr size_t kMaxItemFileSize = 64u << 20;
Result<std::string> ReadItemFile(const std::string& path);
// The same for the file `name` in `folder`, opened through `folder_fd`, a
// descriptor of that folder: a walk through a folder resolves its path once.
Result<std::string> ReadItemFileAt(int folder_fd, const std::string& folder,
                                   const std::string& name);
// When an item file last changed in the store: the later of its
// modification and status change times.
Result<shell::WallTime> ItemChangeTime(const std::string& path);
// The same for `name` in `folder`, looked up through `folder_fd`, a
// descriptor of that folder.
Result<shell::WallTime> ItemChangeTimeAt(int folder_fd, const std::string& folder,
                                         const std::string& name);
// Temporary file in the same folder, fsync, rename, fsync of the folder.
Status WriteFileAtomically(const std::string& path, std::string_view bytes);

struct FolderMarker {
  std::string id;
  FolderKind kind = FolderKind::kMail;
  std::string name;
  int default_code = 0;
};
Result<FolderMarker> ReadFolderMarker(const std::string& folder_path);
Status WriteFolderMarker(const std::string& folder_path, const FolderMarker& marker);

Result<std::string> ReadOrCreateStoreId(const std::string& root);
Result<std::string> ReadStoreName(const std::string& root);
Status WriteStoreName(const std::string& root, const std::string& store_id,
                      const std::string& name);

// The kind of a folder without marker, from what it holds.
FolderKind ClassifyUnmarkedFolder(const std::string& folder_path);
// Whether a folder holds .vcf files: an address book's cards.
bool HoldsCards(const std::string& folder_path);
// Whether a folder holds no entry but hidden ones.
bool HoldsNothing(const std::string& folder_path);
// A synced address book's "displayname" file, trimmed; kNotFound without one.
Result<std::string> ReadDisplayName(const std::string& folder_path);
Status WriteDisplayName(const std::string& folder_path, const std::string& name);

enum class ItemFileKind { kNone, kContact, kJournal, kMail };
ItemFileKind ItemKindOfFile(std::string_view file_name);

}  // namespace olconn97::pim

#endif  // OLCONN97_OUTSIDE_PIM_STORE_FILES_H_
