// The store's walk: which directories are its folders, and finding a folder
// again from its identity by the same steps.
#include <algorithm>
#include <map>
#include <optional>

#include "base/strings.h"
#include "outside/pim/entry_id.h"
#include "outside/pim/store.h"
#include "outside/pim/store_files.h"

namespace olconn97::pim {

Result<FolderRecord> Store::ReadFolder(const std::string& relative) const {
  if (relative.empty()) return Top();
  std::string path = root_ + "/" + relative;
  if (!DirectoryIdOf(path).ok())
    return Status::NotFound("the folder " + relative + " does not exist");
  FolderRecord record;
  record.relative = relative;
  record.linked = !IsDirectory(path);
  Result<FolderMarker> marker = ReadFolderMarker(path);
  if (marker.ok()) {
    record.key = marker.value().id;
    record.name = marker.value().name;
    record.kind = marker.value().kind;
    record.default_code = marker.value().default_code;
    record.marked = true;
  } else {
    record.key = "p:" + relative;
    record.kind = ClassifyUnmarkedFolder(path);
    if (!record.linked) record.name = ReadDisplayName(path).value_or("");
    // A linked folder that holds nothing yet is a new address book.
    if (record.linked && record.kind == FolderKind::kMail && HoldsNothing(path)) {
      record.kind = FolderKind::kContacts;
    }
  }
  // A link's name is the one the user gave the address book in the store.
  if (record.linked || record.name.empty()) record.name = relative.substr(relative.rfind('/') + 1);
  return record;
}

// Only what tells the folder from others: finding a marked folder again
// needs no classification of the folders that hold cards.
Result<FolderRecord> Store::ReadIdentity(const std::string& relative) const {
  FolderRecord record;
  record.relative = relative;
  Result<FolderMarker> marker = ReadFolderMarker(root_ + "/" + relative);
  record.marked = marker.ok();
  record.key = marker.ok() ? marker.value().id : "p:" + relative;
  return record;
}

Result<FolderChain> Store::ChainTo(const std::string& relative) const {
  OLC_ASSIGN_OR_RETURN(DirectoryId root_id, DirectoryIdOf(root_));
  FolderChain chain{root_id};
  if (relative.empty()) return chain;
  std::string walked;
  for (std::string_view part : Split(relative, '/')) {
    if (!IsPlainName(part)) return Status::NotFound("there is no folder " + relative);
    Step step = StepInto(walked.empty() ? root_ : root_ + "/" + walked, part, chain);
    if (!step.IsFolder()) return Status::NotFound("the folder " + relative + " does not exist");
    chain.push_back(step.id);
    walked = JoinRelative(walked, part);
  }
  return chain;
}

Result<std::vector<Store::WalkedFolder>> Store::FoldersBelow(const std::string& relative,
                                                             const FolderChain& chain,
                                                             bool identity_only) const {
  std::string path = relative.empty() ? root_ : root_ + "/" + relative;
  std::vector<std::string> links;
  OLC_ASSIGN_OR_RETURN(std::vector<std::string> names,
                       ListEntries(path, EntryType::kDirectory, &links));
  names.insert(names.end(), links.begin(), links.end());
  std::vector<WalkedFolder> folders;
  for (const std::string& name : names) {
    if (!IsPlainName(name)) continue;
    Step step = StepInto(path, name, chain);
    if (step.IsSkippedLink()) {
      ReportOnce(path + "/" + name, SkippedLinkReport(path + "/" + name, step.kind));
    }
    if (!step.IsFolder()) continue;
    Result<FolderRecord> child = identity_only ? ReadIdentity(JoinRelative(relative, name))
                                               : ReadFolder(JoinRelative(relative, name));
    if (!child.ok()) continue;
    folders.push_back({std::move(child).value(), chain, {}});
    folders.back().chain.push_back(step.id);
  }
  return folders;
}

Result<FolderRecord> Store::FolderAt(const std::string& relative) const {
  OLC_RETURN_IF_ERROR(ChainTo(relative).status());
  return ReadFolder(relative);
}

Result<std::vector<FolderRecord>> Store::Subfolders(const FolderRecord& folder) const {
  OLC_ASSIGN_OR_RETURN(FolderChain chain, ChainTo(folder.relative));
  OLC_ASSIGN_OR_RETURN(std::vector<WalkedFolder> walked, FoldersBelow(folder.relative, chain));
  std::vector<FolderRecord> folders;
  for (WalkedFolder& child : walked) folders.push_back(std::move(child.record));
  std::sort(folders.begin(), folders.end(), [](const FolderRecord& a, const FolderRecord& b) {
    std::string la = ToLowerAscii(a.name);
    std::string lb = ToLowerAscii(b.name);
    return la != lb ? la < lb : a.relative < b.relative;
  });
  return folders;
}

Result<FolderRecord> Store::FindFolder(std::string_view path_or_name) const {
  std::string wanted(TrimBlanks(path_or_name));
  while (wanted.size() > 1 && wanted.back() == '/') wanted.pop_back();
  if (wanted.starts_with(root_ + "/")) wanted.erase(0, root_.size() + 1);
  if (wanted.empty()) return Status::InvalidArgument("no folder named");
  Result<FolderRecord> at = FolderAt(wanted);
  if (at.ok()) return at;
  std::string top_prefix = Top().name + "/";
  if (wanted.size() > top_prefix.size() &&
      EqualsIgnoreCase(wanted.substr(0, top_prefix.size()), top_prefix)) {
    wanted.erase(0, top_prefix.size());
  }
  std::vector<FolderRecord> found;
  WalkTree([&](const FolderRecord& folder, const std::string& names) {
    if (EqualsIgnoreCase(names, wanted) || EqualsIgnoreCase(folder.name, wanted)) {
      found.push_back(folder);
    }
  });
  if (found.empty()) {
    return Status::NotFound("the store has no folder " + wanted +
                            " ('olconn97 store folders' lists them)");
  }
  if (found.size() > 1) {
    std::string paths;
    for (const FolderRecord& folder : found) paths += (paths.empty() ? "" : ", ") + folder.relative;
    return Status::InvalidArgument("several folders are named " + wanted + " (" + paths +
                                   "): name one by its path");
  }
  return found.front();
}

std::optional<shell::WallTime> Store::LinkedSince(const FolderRecord& folder) const {
  std::optional<shell::WallTime> latest;
  std::string walked;
  for (std::string_view part : Split(folder.relative, '/')) {
    if (part.empty()) continue;
    walked = JoinRelative(walked, part);
    std::optional<shell::WallTime> made = LinkTime(root_ + "/" + walked);
    if (made && (!latest || *made > *latest)) latest = made;
  }
  return latest;
}

Result<FolderRecord> Store::FolderFromId(std::string_view entry_id,
                                         std::string_view store_id) const {
  OLC_ASSIGN_OR_RETURN(EntryIdParts parts, DecodeEntryId(entry_id));
  if (parts.store_id != store_id_ || (!store_id.empty() && store_id != store_id_)) {
    return Status::NotFound("the entry ID belongs to another store");
  }
  if (!parts.file.empty()) return Status::NotFound("the entry ID names an item, not a folder");
  return FindByKey(parts.folder_key);
}

Result<ItemLocation> Store::ItemFromId(std::string_view entry_id, std::string_view store_id) const {
  OLC_ASSIGN_OR_RETURN(EntryIdParts parts, DecodeEntryId(entry_id));
  if (parts.store_id != store_id_ || (!store_id.empty() && store_id != store_id_)) {
    return Status::NotFound("the entry ID belongs to another store");
  }
  if (!IsPlainName(parts.file) || ItemKindOfFile(parts.file) == ItemFileKind::kNone) {
    return Status::NotFound("the entry ID names no item");
  }
  Result<FolderRecord> folder = FindByKey(parts.folder_key);
  if (folder.ok()) {
    ItemLocation item{std::move(folder).value(), std::move(parts.file)};
    // A link is never an item, wherever it leads.
    if (IsRegularFile(PathOf(item))) return item;
  }
  Result<ItemLocation> moved = MovedToDeletedItems(entry_id);
  if (moved.ok()) return moved;
  if (!folder.ok()) return folder.status();
  return Status::NotFound("the item does not exist (any more)");
}

Result<ItemLocation> Store::MovedToDeletedItems(std::string_view entry_id) const {
  OLC_ASSIGN_OR_RETURN(FolderRecord deleted_items, DefaultFolder(kFolderDeletedItems));
  Result<std::string> record = ReadItemFile(PathOf(deleted_items) + "/" + kMovedRecord);
  if (!record.ok()) return Status::NotFound("nothing was moved to Deleted Items");
  // The last line that names a file tells which item the file holds; of
  // the files an ID names, the one moved there last is the item.
  std::map<std::string_view, std::pair<std::string_view, size_t>> move_of_file;
  size_t order = 0;
  for (std::string_view line : Split(record.value(), '\n')) {
    size_t blank = line.find(' ');
    if (blank == std::string_view::npos) continue;
    move_of_file[line.substr(blank + 1)] = {line.substr(0, blank), ++order};
  }
  std::optional<ItemLocation> latest;
  size_t latest_order = 0;
  for (const auto& [file, move] : move_of_file) {
    if (move.first != entry_id || move.second < latest_order) continue;
    ItemLocation item{deleted_items, std::string(file)};
    if (!IsPlainName(file) || !IsRegularFile(PathOf(item))) continue;
    latest = std::move(item);
    latest_order = move.second;
  }
  if (latest) return *latest;
  return Status::NotFound("the item does not exist (any more)");
}

Result<FolderRecord> Store::FindByKey(std::string_view key) const {
  if (key == "top") return Top();
  if (key.starts_with("p:")) {
    std::string relative(key.substr(2));
    // Only the walk's own steps: no "..", no link it would not follow.
    if (relative.empty() || !ChainTo(relative).ok()) {
      return Status::NotFound("the entry ID names no folder of this store");
    }
    Result<FolderRecord> folder = ReadFolder(relative);
    if (!folder.ok() || folder.value().key != key)
      return Status::NotFound("the folder does not exist");
    return folder;
  }
  for (int attempt = 0; attempt < 2; ++attempt) {
    std::string relative;
    {
      std::lock_guard<std::mutex> lock(index_mutex_);
      auto it = marked_index_.find(std::string(key));
      if (it != marked_index_.end()) relative = it->second;
    }
    if (!relative.empty()) {
      Result<FolderRecord> folder = FolderAt(relative);
      if (folder.ok() && folder.value().key == key) return folder;
    }
    if (attempt == 0) IndexTree();
  }
  return Status::NotFound("the entry ID names no folder of this store");
}

void Store::WalkTree(
    const std::function<void(const FolderRecord&, const std::string& names)>& visit,
    bool identity_only) const {
  Result<FolderChain> root_chain = ChainTo("");
  if (!root_chain.ok()) return;
  std::vector<WalkedFolder> pending;
  pending.push_back({Top(), std::move(root_chain).value(), {}});
  while (!pending.empty()) {
    WalkedFolder folder = std::move(pending.back());
    pending.pop_back();
    Result<std::vector<WalkedFolder>> children =
        FoldersBelow(folder.record.relative, folder.chain, identity_only);
    if (!children.ok()) continue;
    for (WalkedFolder& child : children.value()) {
      child.names = JoinRelative(folder.names, child.record.name);
      visit(child.record, child.names);
      pending.push_back(std::move(child));
    }
  }
}

void Store::IndexTree() const {
  std::map<std::string, std::string> index;
  WalkTree(
      [&](const FolderRecord& folder, const std::string&) {
        if (folder.marked) index.emplace(folder.key, folder.relative);
      },
      /*identity_only=*/true);
  std::lock_guard<std::mutex> lock(index_mutex_);
  marked_index_ = std::move(index);
}

}  // namespace olconn97::pim
