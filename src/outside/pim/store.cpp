#include "outside/pim/store.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "base/strings.h"
#include "outside/pim/entry_id.h"
#include "outside/pim/store_files.h"
#include "outside/shell/shell.h"

namespace olconn97::pim {

namespace {

constexpr char kTopFolderDefaultName[] = "Personal Folders";

struct DefaultFolderSpec {
  int code;
  const char* name;
  FolderKind kind;
};

constexpr DefaultFolderSpec kDefaultFolders[] = {
    {kFolderInbox, "Inbox", FolderKind::kMail},
    {kFolderContacts, "Contacts", FolderKind::kContacts},
    {kFolderJournal, "Journal", FolderKind::kJournal},
    {kFolderOutbox, "Outbox", FolderKind::kMail},
    {kFolderSentMail, "Sent Items", FolderKind::kMail},
    {kFolderDeletedItems, "Deleted Items", FolderKind::kMail},
    {kFolderDrafts, "Drafts", FolderKind::kMail},
};

// A directory name for a display name: no "/", no control character, not
// hidden.
std::string DirectoryNameFor(std::string_view name) {
  std::string safe;
  for (char c : name) {
    unsigned char u = static_cast<unsigned char>(c);
    safe += (c == '/' || u < 0x20) ? '-' : c;
  }
  safe = std::string(TrimBlanks(safe));
  if (safe.empty() || safe == "." || safe == "..") safe = "Folder";
  if (safe.front() == '.') safe.front() = '_';
  if (safe.size() > 200) safe.resize(200);
  return safe;
}

// A file name's stem: letters, digits, "-" and "_"; a fresh identity for
// a stem that is empty or too long.
std::string SafeStem(std::string_view stem) {
  std::string safe;
  for (char c : stem) {
    bool keep = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                c == '-' || c == '_';
    safe += keep ? c : '_';
  }
  if (safe.empty() || safe.size() > 120) safe = NewIdentity();
  return safe;
}

// A folder that is no store yet becomes one only when it holds nothing of
// its own: an address book or a folder of address books pointed at as the
// store would get seven folders written into it and its cards read as
// mail. Links are welcome (address books linked into a new store), and so
// are hidden files.
Status CheckNewStoreFolder(const std::string& root) {
  if (PathExists(root + "/" + kStoreMarker)) return Status::Ok();
  std::vector<std::string> links;
  Result<std::vector<std::string>> folders = ListEntries(root, EntryType::kDirectory, &links);
  Result<std::vector<std::string>> files = ListEntries(root, EntryType::kFile);
  if (!folders.ok()) return Status::Unavailable("the contact store " + root + " cannot be read");
  if (folders.value().empty() && files.ok() && files.value().empty()) return Status::Ok();
  std::string found = "it holds files or folders of its own";
  std::string command = "olconn97 store link PATH";
  if (HoldsCards(root) || PathExists(root + "/displayname")) {
    found = "it holds vCard files, as an address book does (a khard or vdirsyncer collection)";
    command = "olconn97 store link '" + root + "'";
  } else if (std::any_of(folders.value().begin(), folders.value().end(),
                         [&](const std::string& name) { return HoldsCards(root + "/" + name); })) {
    found = "it holds address books (the folder of a khard or vdirsyncer set-up)";
    command = "olconn97 store link '" + root + "'";
  }
  return Status::Unavailable(root +
                             " is not a contact store, and a folder that holds something already "
                             "is never made one: " +
                             found +
                             ". Use an empty or new folder as the store (set \"PimStore\" to it, "
                             "or remove that setting for the default store), then link address "
                             "books into it: " +
                             command);
}

}  // namespace

std::string NewIdentity() {
  unsigned char bytes[16];
  size_t got = 0;
  while (got < sizeof bytes) {
    ssize_t n = getrandom(bytes + got, sizeof bytes - got, 0);
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  static std::atomic<unsigned> fallback{0};
  if (got < sizeof bytes) {  // no entropy source: still unique in this process
    unsigned long long seed = static_cast<unsigned long long>(getpid()) * 1000003u + fallback++;
    for (size_t i = got; i < sizeof bytes; ++i)
      bytes[i] = static_cast<unsigned char>(seed >> (i % 8));
  }
  char text[33];
  for (size_t i = 0; i < sizeof bytes; ++i) std::snprintf(text + 2 * i, 3, "%02X", bytes[i]);
  return std::string(text, 32);
}

bool IsPlainName(std::string_view name) {
  if (name.empty() || name.size() > 255 || name == "." || name == "..") return false;
  if (name.front() == '.') return false;
  for (char c : name) {
    if (c == '/' || static_cast<unsigned char>(c) < 0x20) return false;
  }
  return true;
}

Store::Store(std::string root, std::string store_id, ReportFunction report)
    : root_(std::move(root)), store_id_(std::move(store_id)), report_(std::move(report)) {}

Result<std::shared_ptr<Store>> Store::Open(const std::string& root_in, bool create,
                                           ReportFunction report) {
  std::string root = root_in;
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  if (root.empty()) return Status::Unavailable("no contact store folder is configured");
  if (!DirectoryIdOf(root).ok()) {
    if (!create) {
      return Status::Unavailable("the contact store " + root +
                                 " does not exist or is not a folder");
    }
    OLC_RETURN_IF_ERROR(MakeDirectories(root));
  }
  if (access(root.c_str(), R_OK | X_OK) != 0) {
    return Status::Unavailable("the contact store " + root + " cannot be read");
  }
  OLC_RETURN_IF_ERROR(CheckNewStoreFolder(root));
  OLC_ASSIGN_OR_RETURN(std::string store_id, ReadOrCreateStoreId(root));
  std::shared_ptr<Store> store(new Store(root, std::move(store_id), std::move(report)));
  // A store we may not write to still opens; it just keeps what it has.
  if (access(root.c_str(), W_OK) == 0) OLC_RETURN_IF_ERROR(store->EnsureDefaultFolders());
  return store;
}

Status Store::EnsureDefaultFolders() {
  OLC_ASSIGN_OR_RETURN(std::vector<FolderRecord> top_folders, Subfolders(Top()));
  for (const DefaultFolderSpec& wanted : kDefaultFolders) {
    bool present = std::any_of(top_folders.begin(), top_folders.end(), [&](const FolderRecord& f) {
      return f.default_code == wanted.code;
    });
    if (present) continue;
    std::string relative = DirectoryNameFor(wanted.name);
    FolderMarker marker{NewIdentity(), wanted.kind, wanted.name, wanted.code};
    if (!PathExists(root_ + "/" + relative)) {
      OLC_RETURN_IF_ERROR(MakeDirectory(root_ + "/" + relative));
    } else if (!IsDirectory(root_ + "/" + relative) ||
               ReadFolderMarker(root_ + "/" + relative).ok()) {
      continue;  // a folder (or link) of that name is someone else's: leave it alone
    }
    OLC_RETURN_IF_ERROR(WriteFolderMarker(root_ + "/" + relative, marker));
  }
  return Status::Ok();
}

std::string Store::PathOf(const FolderRecord& folder) const {
  return folder.relative.empty() ? root_ : root_ + "/" + folder.relative;
}

std::string Store::PathOf(const ItemLocation& item) const {
  return PathOf(item.folder) + "/" + item.file;
}

FolderRecord Store::Top() const {
  FolderRecord top;
  top.key = "top";
  top.name = ReadStoreName(root_).value_or(kTopFolderDefaultName);
  top.kind = FolderKind::kMail;
  return top;
}

Result<FolderRecord> Store::ParentOf(const FolderRecord& folder) const {
  if (folder.is_top()) return Status::NotFound("the top folder has no parent folder");
  size_t slash = folder.relative.rfind('/');
  return ReadFolder(slash == std::string::npos ? std::string() : folder.relative.substr(0, slash));
}

Result<FolderRecord> Store::DefaultFolder(int code) const {
  OLC_ASSIGN_OR_RETURN(std::vector<FolderRecord> top_folders, Subfolders(Top()));
  for (const FolderRecord& folder : top_folders) {
    if (folder.default_code == code) return folder;
  }
  return Status::NotFound("the store has no default folder " + std::to_string(code));
}

Result<FolderRecord> Store::Refresh(const FolderRecord& folder) const {
  if (!folder.marked) return ReadFolder(folder.relative);
  Result<FolderRecord> here = ReadFolder(folder.relative);
  if (here.ok() && here.value().key == folder.key) return here;
  return FindByKey(folder.key);  // renamed or moved meanwhile
}

Result<FolderRecord> Store::CreateFolder(const FolderRecord& parent, std::string_view name_in,
                                         FolderKind kind) {
  std::string name(TrimBlanks(name_in));
  if (name.empty()) return Status::InvalidArgument("a folder needs a name");
  OLC_ASSIGN_OR_RETURN(std::vector<FolderRecord> siblings, Subfolders(parent));
  for (const FolderRecord& sibling : siblings) {
    if (EqualsIgnoreCase(sibling.name, name)) {
      return Status::Error(Code::kAlreadyExists, "a folder named " + name + " exists already");
    }
  }
  std::string base = DirectoryNameFor(name);
  std::string relative = JoinRelative(parent.relative, base);
  for (int n = 2; IsDirectory(root_ + "/" + relative) || PathExists(root_ + "/" + relative); ++n) {
    relative = JoinRelative(parent.relative, base + " (" + std::to_string(n) + ")");
  }
  OLC_RETURN_IF_ERROR(MakeDirectory(root_ + "/" + relative));
  OLC_RETURN_IF_ERROR(
      WriteFolderMarker(root_ + "/" + relative, FolderMarker{NewIdentity(), kind, name, 0}));
  return ReadFolder(relative);
}

Status Store::RenameFolder(const FolderRecord& folder, std::string_view name_in,
                           FolderRecord* renamed) {
  std::string name(TrimBlanks(name_in));
  if (name.empty()) return Status::InvalidArgument("a folder needs a name");
  if (folder.is_top()) {
    OLC_RETURN_IF_ERROR(WriteStoreName(root_, store_id_, name));
    *renamed = Top();
    return Status::Ok();
  }
  OLC_ASSIGN_OR_RETURN(FolderRecord parent, ParentOf(folder));
  OLC_ASSIGN_OR_RETURN(std::vector<FolderRecord> siblings, Subfolders(parent));
  for (const FolderRecord& sibling : siblings) {
    if (sibling.key != folder.key && EqualsIgnoreCase(sibling.name, name)) {
      return Status::Error(Code::kAlreadyExists, "a folder named " + name + " exists already");
    }
  }
  if (folder.linked) {
    // A linked address book is named by its link; its own files stay as
    // they are. Its path, and with it its identity, changes.
    std::string relative = JoinRelative(parent.relative, DirectoryNameFor(name));
    if (PathExists(root_ + "/" + relative)) {
      return Status::Error(Code::kAlreadyExists, "the store holds " + relative + " already");
    }
    if (std::rename(PathOf(folder).c_str(), (root_ + "/" + relative).c_str()) != 0) {
      return Status::FromErrno(errno, "cannot rename " + PathOf(folder));
    }
    OLC_ASSIGN_OR_RETURN(*renamed, ReadFolder(relative));
    return Status::Ok();
  }
  if (!folder.marked) {
    // A synced address book: its display name is its "displayname" file;
    // the directory keeps its name so the folder keeps its identity.
    OLC_RETURN_IF_ERROR(WriteDisplayName(PathOf(folder), name));
    OLC_ASSIGN_OR_RETURN(*renamed, ReadFolder(folder.relative));
    return Status::Ok();
  }
  OLC_ASSIGN_OR_RETURN(FolderMarker marker, ReadFolderMarker(PathOf(folder)));
  marker.name = name;
  OLC_RETURN_IF_ERROR(WriteFolderMarker(PathOf(folder), marker));
  std::string relative = JoinRelative(parent.relative, DirectoryNameFor(name));
  if (relative != folder.relative && !PathExists(root_ + "/" + relative)) {
    if (std::rename(PathOf(folder).c_str(), (root_ + "/" + relative).c_str()) != 0) {
      relative = folder.relative;  // the name changed; the directory keeps its old one
    }
  } else {
    relative = folder.relative;
  }
  {
    std::lock_guard<std::mutex> lock(index_mutex_);
    marked_index_[folder.key] = relative;
  }
  OLC_ASSIGN_OR_RETURN(*renamed, ReadFolder(relative));
  return Status::Ok();
}

Result<FolderRecord> Store::LinkFolder(const std::string& target, std::string_view name_in) {
  std::string name(TrimBlanks(name_in));
  if (name.empty()) return Status::InvalidArgument("a folder needs a name");
  std::string relative = DirectoryNameFor(name);
  if (PathExists(root_ + "/" + relative)) {
    return Status::Error(Code::kAlreadyExists,
                         "the store holds " + root_ + "/" + relative + " already");
  }
  OLC_ASSIGN_OR_RETURN(std::vector<FolderRecord> top_folders, Subfolders(Top()));
  Result<DirectoryId> wanted = DirectoryIdOf(target);
  for (const FolderRecord& folder : top_folders) {
    Result<DirectoryId> there = DirectoryIdOf(PathOf(folder));
    if (folder.linked && wanted.ok() && there.ok() && there.value() == wanted.value()) {
      return Status::InvalidArgument("it is linked into the store as " + folder.name + " already");
    }
    if (EqualsIgnoreCase(folder.name, name) || EqualsIgnoreCase(folder.name, relative)) {
      return Status::Error(Code::kAlreadyExists, "the store has a folder named " + folder.name +
                                                     " already (" + PathOf(folder) + ")");
    }
  }
  if (symlink(target.c_str(), (root_ + "/" + relative).c_str()) != 0) {
    return Status::FromErrno(errno, "cannot link " + target + " into the store");
  }
  Result<FolderRecord> linked = FolderAt(relative);
  if (!linked.ok()) {  // the walk would not take it: it leads back into the store
    unlink((root_ + "/" + relative).c_str());
    return Status::InvalidArgument(target + " holds the store itself");
  }
  return linked;
}

Result<std::vector<std::string>> Store::ItemFiles(const FolderRecord& folder) const {
  OLC_ASSIGN_OR_RETURN(std::vector<std::string> names,
                       ListEntries(PathOf(folder), EntryType::kFile));
  std::vector<std::string> items;
  for (std::string& name : names) {
    if (IsPlainName(name) && ItemKindOfFile(name) != ItemFileKind::kNone)
      items.push_back(std::move(name));
  }
  std::sort(items.begin(), items.end());
  return items;
}

std::string Store::FolderEntryId(const FolderRecord& folder) const {
  return EncodeEntryId({store_id_, folder.key, {}});
}

std::string Store::ItemEntryId(const ItemLocation& item) const {
  return EncodeEntryId({store_id_, item.folder.key, item.file});
}

Status Store::WriteItem(const ItemLocation& item, std::string_view bytes) const {
  if (!IsPlainName(item.file))
    return Status::InvalidArgument("not a plain file name: " + item.file);
  return WriteFileAtomically(PathOf(item), bytes);
}

std::string Store::ItemFileNameFor(std::string_view stem, std::string_view extension) {
  return SafeStem(stem) + std::string(extension);
}

std::string Store::NewItemFileName(const FolderRecord& folder, std::string_view stem,
                                   std::string_view extension) const {
  std::string safe = SafeStem(stem);
  std::string name = safe + std::string(extension);
  for (int n = 2; PathExists(PathOf(folder) + "/" + name); ++n) {
    name = safe + "-" + std::to_string(n) + std::string(extension);
  }
  return name;
}

Result<ItemLocation> Store::MoveItem(const ItemLocation& item, const FolderRecord& target) const {
  std::string file = item.file;
  if (PathExists(PathOf(target) + "/" + file)) {
    size_t dot = file.rfind('.');
    file = NewItemFileName(target, file.substr(0, dot), file.substr(dot));
  }
  ItemLocation moved{target, file};
  if (std::rename(PathOf(item).c_str(), PathOf(moved).c_str()) != 0) {
    return Status::FromErrno(errno, "cannot move " + item.file);
  }
  if (target.default_code == kFolderDeletedItems) RecordMoveToDeletedItems(item, moved);
  return moved;
}

void Store::RecordMoveToDeletedItems(const ItemLocation& from, const ItemLocation& to) const {
  // One short line appended at once: two processes deleting together
  // never mix their lines. A record that cannot be written only costs
  // the former ID; the move itself stands.
  std::string line = ItemEntryId(from) + " " + to.file + "\n";
  std::string path = PathOf(to.folder) + "/" + kMovedRecord;
  int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0 || write(fd, line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
    ReportOnce(path, "cannot record the move into Deleted Items in " + path + ": " +
                         std::strerror(errno));
  }
  if (fd < 0) return;
  struct stat info {};
  bool large = fstat(fd, &info) == 0 && info.st_size > kMovedRecordLimit;
  close(fd);
  if (large) PruneMovedRecord(to.folder);
}

void Store::PruneMovedRecord(const FolderRecord& deleted_items) const {
  // Only the lines of items still in Deleted Items, the last one for each
  // file name, keep meaning.
  std::string path = PathOf(deleted_items) + "/" + kMovedRecord;
  Result<std::string> record = ReadItemFile(path);
  if (!record.ok()) return;
  std::map<std::string, std::string> line_of_file;
  for (std::string_view line : Split(record.value(), '\n')) {
    size_t blank = line.find(' ');
    if (blank == std::string_view::npos) continue;
    line_of_file[std::string(line.substr(blank + 1))] = std::string(line) + "\n";
  }
  std::string kept;
  for (const auto& [file, line] : line_of_file) {
    if (IsPlainName(file) && IsRegularFile(PathOf(deleted_items) + "/" + file)) kept += line;
  }
  (void)WriteFileAtomically(path, kept);
}

Status Store::RemoveItem(const ItemLocation& item) const {
  if (unlink(PathOf(item).c_str()) != 0)
    return Status::FromErrno(errno, "cannot delete " + item.file);
  return Status::Ok();
}

void Store::ReportOnce(const std::string& key, std::string_view line) const {
  {
    std::lock_guard<std::mutex> lock(report_mutex_);
    if (!reported_.insert(key).second) return;
  }
  if (report_) {
    report_(line);
  } else {
    shell::PosixShell().DebugOutput(line);
  }
}

}  // namespace olconn97::pim
