#include "outside/registry/file_registry.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "outside/registry/hive_file_io.h"
#include "outside/shell/file_io.h"
#include "outside/registry/reg_file.h"

namespace olconn97::registry {

namespace {

std::string LockPathFor(const std::string& path) {
  std::string stem = path;
  if (stem.size() > 4 && stem.compare(stem.size() - 4, 4, ".reg") == 0)
    stem.resize(stem.size() - 4);
  return stem + ".lock";
}

// Enough lines to find the trouble without flooding a terminal.
constexpr size_t kFaultsNamed = 10;

// What the user needs to mend the file: where, which lines, and where the
// file as it was is kept (or why it could not be).
std::string FaultReport(const std::string& path, const std::vector<RegFileFault>& faults,
                        const Result<std::string>& copy) {
  std::string text = path + ": what cannot be read is skipped: ";
  for (size_t i = 0; i < faults.size() && i < kFaultsNamed; ++i) {
    text += (i > 0 ? "; " : "") + faults[i].ToString();
  }
  if (faults.size() > kFaultsNamed) {
    text += "; and " + std::to_string(faults.size() - kFaultsNamed) + " more lines";
  }
  if (copy.ok()) return text + ". The file as it was is kept as " + copy.value();
  return text + ". It could not be copied aside (" + copy.status().description() +
         "), so it is not written over until it can be";
}

// The hive's tree from a file's bytes, and what could not be read: keys of
// another hive count as faults too, since writing the file back would drop them.
std::vector<RegFileFault> ReadHive(Hive hive, std::string_view bytes, RegTree& tree) {
  RegFileContent parsed = ParseRegFile(bytes);
  for (const RegFileEntry& entry : parsed.entries) {
    if (entry.hive != hive) {
      parsed.faults.push_back({entry.line, "a key of " + std::string(HiveName(entry.hive)) +
                                               " in the file of " + std::string(HiveName(hive))});
    }
  }
  ApplyRegFileEntries(parsed.entries, hive, tree);
  return std::move(parsed.faults);
}

}  // namespace

struct FileRegistry::HiveFile {
  using Report = std::function<void(std::string_view)>;

  static std::unique_ptr<HiveFile> Make(Hive hive, const std::string& path, mode_t folder_mode) {
    if (path.empty()) return nullptr;
    auto file = std::make_unique<HiveFile>();
    file->hive = hive;
    file->path = path;
    file->lock_path = LockPathFor(path);
    file->folder_mode = folder_mode;
    return file;
  }

  Status Refresh(const Report& report);
  Status Update(const std::function<Status(RegTree&)>& change, bool durable, const Report& report);

  Hive hive = Hive::kCurrentUser;
  std::string path;
  std::string lock_path;
  mode_t folder_mode = 0700;

  // Guards what follows; writes of other processes are kept out by the lock file.
  std::mutex mutex;
  bool loaded = false;
  FileIdentity identity;  // of the file `tree` was read from
  ScopedFd held_file;     // that file, kept open (see FileContent)
  std::shared_ptr<const RegTree> tree;
  // The faults of the file as read, its bytes, and the copy of them kept
  // beside it (empty until one could be made): the file is never replaced
  // before the copy exists, so that no unreadable line is lost.
  std::vector<RegFileFault> faults;
  std::string malformed_bytes;
  std::string kept_copy;
};

// Reads the file again when it is not the one last read. Callers hold the mutex.
Status FileRegistry::HiveFile::Refresh(const Report& report) {
  OLC_ASSIGN_OR_RETURN(FileIdentity current, IdentifyFile(path));
  if (loaded && current == identity) return Status::Ok();
  auto fresh = std::make_shared<RegTree>();
  std::vector<RegFileFault> found;
  std::string bytes;
  ScopedFd opened;
  Result<FileContent> read = current.exists ? ReadWholeFile(path) : Status::NotFound("no file");
  // A file removed since it was looked at is no file at all.
  if (!read.ok() && !read.status().IsNotFound()) return read.status();
  if (read.ok()) {
    FileContent content = std::move(read).value();
    current = content.identity;
    found = ReadHive(hive, content.bytes, *fresh);
    bytes = std::move(content.bytes);
    opened = std::move(content.file);
  } else {
    current = FileIdentity{};
  }
  // The original is copied aside at once, so that the report can say where
  // it is and an editor or another process cannot lose it first.
  kept_copy.clear();
  if (!found.empty()) {
    Result<std::string> copy = KeepCopyBeside(path, bytes);
    if (copy.ok()) kept_copy = copy.value();
    if (report) report(FaultReport(path, found, copy));
  }
  tree = std::move(fresh);
  identity = current;
  held_file = std::move(opened);
  faults = std::move(found);
  malformed_bytes = faults.empty() ? std::string() : std::move(bytes);
  loaded = true;
  return Status::Ok();
}

Status FileRegistry::HiveFile::Update(const std::function<Status(RegTree&)>& change, bool durable,
                                      const Report& report) {
  OLC_RETURN_IF_ERROR(MakeParentFolders(path, folder_mode));
  OLC_ASSIGN_OR_RETURN(shell::FileLock file_lock, shell::FileLock::Acquire(lock_path));
  // Under the lock the file is the newest any process wrote.
  OLC_RETURN_IF_ERROR(Refresh(report));
  auto changed = std::make_shared<RegTree>(*tree);
  OLC_RETURN_IF_ERROR(change(*changed));
  OLC_ASSIGN_OR_RETURN(std::string text, WriteRegFile(HiveName(hive), changed->root()));
  if (!faults.empty() && kept_copy.empty()) {
    // Copying failed when the file was read: no write until it succeeds.
    OLC_ASSIGN_OR_RETURN(kept_copy, KeepCopyBeside(path, malformed_bytes));
    if (report) report(path + ": the file as it was is kept as " + kept_copy);
  }
  faults.clear();
  malformed_bytes.clear();
  OLC_RETURN_IF_ERROR(ReplaceFileAtomically(path, text, durable));
  tree = std::move(changed);
  Result<FileContent> written = OpenWithoutReading(path);
  if (written.ok()) {
    identity = written.value().identity;
    held_file = std::move(written.value().file);
  } else {
    loaded = false;  // read it again next time
  }
  return Status::Ok();
}

FileRegistry::FileRegistry(Options options)
    : options_(std::move(options)),
      current_user_(HiveFile::Make(Hive::kCurrentUser, options_.current_user_file, 0700)),
      local_machine_(HiveFile::Make(Hive::kLocalMachine, options_.local_machine_file, 0755)) {}

FileRegistry::~FileRegistry() = default;

FileRegistry::HiveFile* FileRegistry::FileFor(Hive hive) {
  if (hive == Hive::kCurrentUser) return current_user_.get();
  if (hive == Hive::kLocalMachine) return local_machine_.get();
  return nullptr;
}

Result<std::shared_ptr<const RegTree>> FileRegistry::Snapshot(Hive hive) {
  HiveFile* file = FileFor(hive);
  if (file == nullptr) {
    return Status::Unavailable("this store keeps no " + std::string(HiveName(hive)));
  }
  std::lock_guard<std::mutex> lock(file->mutex);
  OLC_RETURN_IF_ERROR(file->Refresh(options_.report));
  return std::shared_ptr<const RegTree>(file->tree);
}

Status FileRegistry::Update(Hive hive, const std::function<Status(RegTree&)>& change) {
  HiveFile* file = FileFor(hive);
  if (file == nullptr) {
    return Status::Unavailable("this store keeps no " + std::string(HiveName(hive)));
  }
  std::lock_guard<std::mutex> lock(file->mutex);
  return file->Update(change, options_.durable, options_.report);
}

bool FileRegistry::CanWrite(Hive hive) {
  HiveFile* file = FileFor(hive);
  return file != nullptr && CanReplaceFile(file->path);
}

FileRegistry::Options DefaultFileRegistryOptions() {
  FileRegistry::Options options;
  const char* folder = std::getenv("OLCONN97_REGISTRY_DIR");
  if (folder != nullptr && *folder != '\0') {
    options.current_user_file = std::string(folder) + "/HKCU.reg";
    options.local_machine_file = std::string(folder) + "/HKLM.reg";
    return options;
  }
  options.local_machine_file = "/etc/olconn97/HKLM.reg";
  std::string config;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/') {
    config = xdg;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    config = std::string(home) + "/.config";
  } else if (const passwd* entry = getpwuid(geteuid()); entry != nullptr && entry->pw_dir) {
    config = std::string(entry->pw_dir) + "/.config";
  }
  // Without a home folder there is no HKEY_CURRENT_USER to keep.
  if (!config.empty()) options.current_user_file = config + "/olconn97/HKCU.reg";
  return options;
}

void ReportOnStderr(std::string_view message) {
  std::string line = "olconn97 settings: " + std::string(message) + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
}

std::unique_ptr<Registry> OpenDefaultRegistry(FileRegistry::Report report) {
  FileRegistry::Options options = DefaultFileRegistryOptions();
  options.report = std::move(report);
  return std::make_unique<FileRegistry>(std::move(options));
}

}  // namespace olconn97::registry
