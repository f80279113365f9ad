// How the store's walk steps from a folder into its subfolders.
//
// A subfolder is a real directory or a symbolic link to one: an address
// book kept elsewhere (~/.contacts/work, a vdirsyncer collection) and
// linked into the store is a folder of the store like a copied one. A link
// is followed only where the walk meets it, as a folder, never as an item:
// a linked card file is not read, so no card path leads out of the folder
// that lists it.
//
// The walk remembers the directories on its way down from the root, as the
// file system identifies them (device and inode, whatever path reached
// them). A step onto one of those again is a loop and is not taken, and so
// is a link to a directory that holds the link (a folder above the store),
// so the walk always ends and never climbs out of the store. Decoding an entry ID takes the very
// same steps: an ID names only folders the walk reaches.
#ifndef OLCONN97_OUTSIDE_PIM_FOLDER_LINKS_H_
#define OLCONN97_OUTSIDE_PIM_FOLDER_LINKS_H_

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "outside/shell/clock.h"

namespace olconn97::pim {

// A directory as the file system knows it.
struct DirectoryId {
  dev_t device = 0;
  ino_t inode = 0;
  friend bool operator==(const DirectoryId&, const DirectoryId&) = default;
};

// The directories from the store's root down to a folder, root first.
using FolderChain = std::vector<DirectoryId>;

// The directory at `path`, links followed; kNotFound when it is none.
Result<DirectoryId> DirectoryIdOf(const std::string& path);

enum class StepKind {
  kFolder,        // a real directory
  kLinkedFolder,  // a link to a directory
  kNotAFolder,    // a file or anything else that is not a link: not the walk's business
  kLoop,          // leads back onto the chain (or the link points to itself)
  kLinkToFile,    // a link to something that is not a directory
  kBrokenLink,    // a link to nothing
};

struct Step {
  StepKind kind = StepKind::kNotAFolder;
  DirectoryId id;  // for kFolder and kLinkedFolder
  bool IsFolder() const { return kind == StepKind::kFolder || kind == StepKind::kLinkedFolder; }
  bool IsSkippedLink() const { return kind != StepKind::kNotAFolder && !IsFolder(); }
};

// What `name` in the directory `parent_path` is to a walk that reached
// that directory through `chain`.
Step StepInto(const std::string& parent_path, std::string_view name, const FolderChain& chain);

// The line that reports a skipped link (IsSkippedLink) at `path`.
std::string SkippedLinkReport(const std::string& path, StepKind kind);

// The status change time of a symbolic link at `path`: when it was made
// (or renamed). Nothing when `path` is not a link.
std::optional<shell::WallTime> LinkTime(const std::string& path);

}  // namespace olconn97::pim

#endif  // OLCONN97_OUTSIDE_PIM_FOLDER_LINKS_H_
