#include "outside/pim/store_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "base/strings.h"
#include "outside/shell/file_io.h"

namespace olconn97::pim {

namespace {

constexpr size_t kMaxMarkerSize = 4096;

Status TooLarge(const std::string& path, size_t limit) {
  return Status::Error(Code::kInvalidArgument,
                       path + " is larger than " + std::to_string(limit >> 20) + " MB");
}

bool LstatIs(const std::string& path, mode_t type) {
  struct stat status;
  return lstat(path.c_str(), &status) == 0 && (status.st_mode & S_IFMT) == type;
}

// Reads the file `name` names in the folder `folder_fd` (or, with AT_FDCWD,
// the path it is); `path` names it in a failure. A caller that listed the
// name as a regular file skips the check that it is one: a walk reads
// thousands of cards, and each system call counts. Its read then ends at
// the first short read, which for a regular file is its end, or at `limit`.
Result<std::string> ReadSmallFileAt(int folder_fd, const char* name, const std::string& path,
                                    size_t limit, bool listed_as_file = false) {
  shell::ScopedFd fd(shell::RetryOnInterrupt(
      [&] { return openat(folder_fd, name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK); }));
  if (!fd.valid()) return Status::FromErrno(errno, "cannot read " + path);
  // Fills `content` from `done` on; `ended` when the file had no more.
  auto read_into = [&](std::string& content, size_t done, bool* ended) -> Result<size_t> {
    while (done < content.size()) {
      const size_t wanted = content.size() - done;
      ssize_t n = read(fd.get(), content.data() + done, wanted);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return Status::FromErrno(errno, "cannot read " + path);
      done += static_cast<size_t>(n);
      if (n == 0 || (listed_as_file && static_cast<size_t>(n) < wanted)) {
        *ended = true;
        break;
      }
    }
    return done;
  };
  std::string content;
  bool ended = false;
  if (!listed_as_file) {
    struct stat status;
    if (fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
      return Status::NotFound(path + " is not a file");
    }
    if (static_cast<size_t>(status.st_size) > limit) return TooLarge(path, limit);
    content.resize(static_cast<size_t>(status.st_size));
    OLC_ASSIGN_OR_RETURN(size_t done, read_into(content, 0, &ended));
    content.resize(done);
    return content;
  }
  size_t done = 0;
  content.resize(std::min<size_t>(4u << 10, limit + 1));  // most cards: one read
  while (true) {
    OLC_ASSIGN_OR_RETURN(done, read_into(content, done, &ended));
    if (ended) break;
    if (done > limit) return TooLarge(path, limit);
    content.resize(std::min(content.size() * 4, limit + 1));
  }
  content.resize(done);
  return content;
}

Result<std::string> ReadSmallFile(const std::string& path, size_t limit) {
  return ReadSmallFileAt(AT_FDCWD, path.c_str(), path, limit);
}

std::string KindName(FolderKind kind) {
  switch (kind) {
    case FolderKind::kContacts:
      return "contacts";
    case FolderKind::kJournal:
      return "journal";
    case FolderKind::kMail:
      break;
  }
  return "mail";
}

std::string MarkerValue(std::string_view content, std::string_view key) {
  for (std::string_view line : Split(content, '\n')) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    size_t equals = line.find('=');
    if (equals != std::string_view::npos && TrimBlanks(line.substr(0, equals)) == key) {
      return std::string(TrimBlanks(line.substr(equals + 1)));
    }
  }
  return {};
}

}  // namespace

std::string JoinRelative(const std::string& parent, std::string_view name) {
  return parent.empty() ? std::string(name) : parent + "/" + std::string(name);
}

std::string AbsolutePath(const std::string& path) {
  if (path.empty() || path[0] == '/') return path;
  char here[PATH_MAX];
  return getcwd(here, sizeof here) == nullptr ? std::string() : std::string(here) + "/" + path;
}

std::string RealPath(const std::string& path) {
  char resolved[PATH_MAX];
  return realpath(path.c_str(), resolved) == nullptr ? std::string() : std::string(resolved);
}

bool IsDirectory(const std::string& path) { return LstatIs(path, S_IFDIR); }
bool IsRegularFile(const std::string& path) { return LstatIs(path, S_IFREG); }

bool PathExists(const std::string& path) {
  struct stat status;
  return lstat(path.c_str(), &status) == 0;
}

Status MakeDirectory(const std::string& path) {
  if (mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) {
    return Status::FromErrno(errno, "cannot create the folder " + path);
  }
  return Status::Ok();
}

Status MakeDirectories(const std::string& path) {
  for (size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    std::string prefix = path.substr(0, slash);
    if (!IsDirectory(prefix)) OLC_RETURN_IF_ERROR(MakeDirectory(prefix));
  }
  return MakeDirectory(path);
}

Result<std::vector<std::string>> ListEntries(const std::string& folder, EntryType type,
                                             std::vector<std::string>* links) {
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
  if (!dir) return Status::FromErrno(errno, "cannot list " + folder);
  std::vector<std::string> names;
  while (struct dirent* entry = readdir(dir.get())) {
    std::string name = entry->d_name;
    if (name.empty() || name[0] == '.') continue;
    unsigned char d_type = entry->d_type;
    if (d_type == DT_UNKNOWN) {
      struct stat status;
      if (lstat((folder + "/" + name).c_str(), &status) != 0) continue;
      d_type = S_ISDIR(status.st_mode)   ? DT_DIR
               : S_ISREG(status.st_mode) ? DT_REG
               : S_ISLNK(status.st_mode) ? DT_LNK
                                         : DT_UNKNOWN;
    }
    if ((type == EntryType::kDirectory && d_type == DT_DIR) ||
        (type == EntryType::kFile && d_type == DT_REG)) {
      names.push_back(std::move(name));
    } else if (links != nullptr && d_type == DT_LNK) {
      links->push_back(std::move(name));
    }
  }
  return names;
}

Result<std::string> ReadItemFile(const std::string& path) {
  return ReadSmallFile(path, kMaxItemFileSize);
}

Result<std::string> ReadItemFileAt(int folder_fd, const std::string& folder,
                                   const std::string& name) {
  return ReadSmallFileAt(folder_fd, name.c_str(), folder + "/" + name, kMaxItemFileSize,
                         /*listed_as_file=*/true);
}

Status WriteFileAtomically(const std::string& path, std::string_view bytes) {
  return shell::ReplaceFileAtomically(path, bytes, /*durable=*/true);
}

Result<FolderMarker> ReadFolderMarker(const std::string& folder_path) {
  OLC_ASSIGN_OR_RETURN(std::string content,
                       ReadSmallFile(folder_path + "/" + kFolderMarker, kMaxMarkerSize));
  FolderMarker marker;
  marker.id = MarkerValue(content, "id");
  if (marker.id.empty()) return Status::Corrupt(folder_path + ": the folder marker has no id");
  std::string kind = MarkerValue(content, "kind");
  marker.kind = kind == "contacts"  ? FolderKind::kContacts
                : kind == "journal" ? FolderKind::kJournal
                                    : FolderKind::kMail;
  marker.name = MarkerValue(content, "name");
  marker.default_code = static_cast<int>(LeadingNumber(MarkerValue(content, "default")));
  return marker;
}

Status WriteFolderMarker(const std::string& folder_path, const FolderMarker& marker) {
  std::string content = "id=" + marker.id + "\nkind=" + KindName(marker.kind) +
                        "\nname=" + ReplaceAll(marker.name, "\n", " ") + "\n";
  if (marker.default_code != 0) content += "default=" + std::to_string(marker.default_code) + "\n";
  return WriteFileAtomically(folder_path + "/" + kFolderMarker, content);
}

Result<std::string> ReadOrCreateStoreId(const std::string& root) {
  Result<std::string> content = ReadSmallFile(root + "/" + kStoreMarker, kMaxMarkerSize);
  if (content.ok()) {
    std::string id = MarkerValue(content.value(), "id");
    if (!id.empty()) return id;
  }
  std::string id = NewIdentity();
  Status written = WriteFileAtomically(root + "/" + kStoreMarker, "id=" + id + "\n");
  if (written.ok()) return id;
  // A store we cannot write to: an identity from its place, stable as long
  // as the store stays where it is.
  unsigned long long hash = 1469598103934665603ull;
  for (char c : root) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  char text[40];
  std::snprintf(text, sizeof text, "%016llX%016llX", hash, hash ^ 0x5A5A5A5A5A5A5A5Aull);
  return std::string(text);
}

Result<std::string> ReadStoreName(const std::string& root) {
  OLC_ASSIGN_OR_RETURN(std::string content,
                       ReadSmallFile(root + "/" + kStoreMarker, kMaxMarkerSize));
  std::string name = MarkerValue(content, "name");
  if (name.empty()) return Status::NotFound("the store has no name of its own");
  return name;
}

Status WriteStoreName(const std::string& root, const std::string& store_id,
                      const std::string& name) {
  return WriteFileAtomically(root + "/" + kStoreMarker,
                             "id=" + store_id + "\nname=" + ReplaceAll(name, "\n", " ") + "\n");
}

FolderKind ClassifyUnmarkedFolder(const std::string& folder_path) {
  if (IsRegularFile(folder_path + "/displayname")) return FolderKind::kContacts;
  Result<std::vector<std::string>> files = ListEntries(folder_path, EntryType::kFile);
  if (!files.ok()) return FolderKind::kMail;
  bool journal = false;
  for (const std::string& file : files.value()) {
    ItemFileKind kind = ItemKindOfFile(file);
    if (kind == ItemFileKind::kContact) return FolderKind::kContacts;
    journal = journal || kind == ItemFileKind::kJournal;
  }
  return journal ? FolderKind::kJournal : FolderKind::kMail;
}

bool HoldsCards(const std::string& folder_path) {
  Result<std::vector<std::string>> files = ListEntries(folder_path, EntryType::kFile);
  return files.ok() &&
         std::any_of(files.value().begin(), files.value().end(), [](const std::string& name) {
           return ItemKindOfFile(name) == ItemFileKind::kContact;
         });
}

bool HoldsNothing(const std::string& folder_path) {
  std::vector<std::string> links;
  Result<std::vector<std::string>> folders =
      ListEntries(folder_path, EntryType::kDirectory, &links);
  Result<std::vector<std::string>> files = ListEntries(folder_path, EntryType::kFile, &links);
  return folders.ok() && files.ok() && folders.value().empty() && files.value().empty() &&
         links.empty();
}

Result<std::string> ReadDisplayName(const std::string& folder_path) {
  OLC_ASSIGN_OR_RETURN(std::string content,
                       ReadSmallFile(folder_path + "/displayname", kMaxMarkerSize));
  std::string_view text = content;
  while (!text.empty() && std::strchr(" \t\r\n", text.front()) != nullptr) text.remove_prefix(1);
  while (!text.empty() && std::strchr(" \t\r\n", text.back()) != nullptr) text.remove_suffix(1);
  if (text.empty()) return Status::NotFound("the display name is empty");
  return std::string(text);
}

Status WriteDisplayName(const std::string& folder_path, const std::string& name) {
  return WriteFileAtomically(folder_path + "/displayname", name);  // no final newline, as synced
}

ItemFileKind ItemKindOfFile(std::string_view file_name) {
  size_t dot = file_name.rfind('.');
  if (dot == std::string_view::npos) return ItemFileKind::kNone;
  std::string extension = ToLowerAscii(file_name.substr(dot));
  if (extension == ".vcf") return ItemFileKind::kContact;
  if (extension == ".ics") return ItemFileKind::kJournal;
  if (extension == ".eml") return ItemFileKind::kMail;
  return ItemFileKind::kNone;
}

}  // namespace olconn97::pim

namespace olconn97::pim {

namespace {

shell::WallTime TimeOf(const struct timespec& time) {
  auto since_epoch = std::chrono::seconds(time.tv_sec) + std::chrono::nanoseconds(time.tv_nsec);
  return shell::WallTime(std::chrono::duration_cast<shell::WallTime::duration>(since_epoch));
}

}  // namespace

// A card copied in with its old modification time kept (cp -a, rsync -a, an
// unpacked archive) or moved in from elsewhere has a fresh status change
// time, which no tool can set back: it counts as changed when it arrived.
Result<shell::WallTime> ItemChangeTime(const std::string& path) {
  struct stat status;
  if (lstat(path.c_str(), &status) != 0) return Status::FromErrno(errno, "cannot read " + path);
  return std::max(TimeOf(status.st_mtim), TimeOf(status.st_ctim));
}

Result<shell::WallTime> ItemChangeTimeAt(int folder_fd, const std::string& folder,
                                         const std::string& name) {
  struct stat status;
  if (fstatat(folder_fd, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
    return Status::FromErrno(errno, "cannot read " + folder + "/" + name);
  }
  return std::max(TimeOf(status.st_mtim), TimeOf(status.st_ctim));
}

}  // namespace olconn97::pim
