#include "outside/pim/folder_links.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>

namespace olconn97::pim {

namespace {

std::string LinkTarget(const std::string& path) {
  char target[4096];
  ssize_t length = readlink(path.c_str(), target, sizeof target);
  return length < 0 ? std::string() : std::string(target, static_cast<size_t>(length));
}

std::string RealPathOf(const std::string& path) {
  char resolved[PATH_MAX];
  return realpath(path.c_str(), resolved) == nullptr ? std::string() : std::string(resolved);
}

// Whether the directory a link leads to holds the link itself: a folder
// above the store leads back into it, below the directories the walk
// knows.
bool LeadsAbove(const std::string& parent_path, const std::string& link_path) {
  std::string here = RealPathOf(parent_path);
  std::string there = RealPathOf(link_path);
  if (here.empty() || there.empty()) return false;
  return here == there || there == "/" || here.starts_with(there + "/");
}

}  // namespace

Result<DirectoryId> DirectoryIdOf(const std::string& path) {
  struct stat status;
  if (stat(path.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) {
    return Status::NotFound(path + " is not a folder");
  }
  return DirectoryId{status.st_dev, status.st_ino};
}

Step StepInto(const std::string& parent_path, std::string_view name, const FolderChain& chain) {
  std::string path = parent_path + "/" + std::string(name);
  struct stat own;
  if (lstat(path.c_str(), &own) != 0) return {};
  bool link = S_ISLNK(own.st_mode);
  if (!link && !S_ISDIR(own.st_mode)) return {};
  struct stat target = own;
  if (link && stat(path.c_str(), &target) != 0) {
    return {errno == ELOOP ? StepKind::kLoop : StepKind::kBrokenLink, {}};
  }
  if (!S_ISDIR(target.st_mode)) return {StepKind::kLinkToFile, {}};
  DirectoryId id{target.st_dev, target.st_ino};
  if (std::find(chain.begin(), chain.end(), id) != chain.end() ||
      (link && LeadsAbove(parent_path, path))) {
    return {StepKind::kLoop, id};
  }
  return {link ? StepKind::kLinkedFolder : StepKind::kFolder, id};
}

std::string SkippedLinkReport(const std::string& path, StepKind kind) {
  std::string target = LinkTarget(path);
  std::string line = "olconn97: skipped " + path;
  if (!target.empty()) line += " -> " + target;
  switch (kind) {
    case StepKind::kLoop:
      return line + ": it leads back to a folder above it (a loop)";
    case StepKind::kLinkToFile:
      return line +
             ": a link to a file, not to a folder of cards (a file of several cards goes in "
             "with 'olconn97 store import')";
    case StepKind::kBrokenLink:
      return line + ": the link leads nowhere";
    default:
      break;
  }
  return line;
}

std::optional<shell::WallTime> LinkTime(const std::string& path) {
  struct stat status;
  if (lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return std::nullopt;
  auto since_epoch = std::chrono::seconds(status.st_ctim.tv_sec) +
                     std::chrono::nanoseconds(status.st_ctim.tv_nsec);
  return shell::WallTime(std::chrono::duration_cast<shell::WallTime::duration>(since_epoch));
}

}  // namespace olconn97::pim
