// olconn97 export: the employee directory mirrored into a contacts folder,
// as the suite's host asks for it, and what that changed in the folder.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "commands.h"
#include "host_actions.h"
#include "json_text.h"
#include "store_snapshot.h"

namespace host {

namespace {

constexpr char kExportHelp[] =
    "usage: olconn97 export init|sync [--from DIRECTORY] --folder NAME [--json]\n"
    "\n"
    "Mirrors the suite's employee directory (stx.mdb: an SQLite file, or a Jet\n"
    "file written on Windows) into one contacts folder of the store, so that\n"
    "colleagues are found by number like any contact:\n"
    "  init   creates the folder NAME beside the Contacts folder when no export\n"
    "         folder is recorded yet, and adds one contact per directory entry\n"
    "         (phone sets of page 1, employees of page 2), even if it holds some\n"
    "  sync   brings the recorded export folder in line with the directory:\n"
    "         contacts are matched by employee number, refilled, created or\n"
    "         deleted; contacts added to the folder by hand stay. Without an\n"
    "         export folder it does what init does.\n"
    "Then the contact cache is refreshed, and the changes in the folder are\n"
    "counted: created, updated, deleted, kept (unchanged).\n"
    "\n"
    "  --from DIRECTORY   the directory database; by default stx.mdb in the\n"
    "                     driver's data folder, where lookups read the employee\n"
    "                     data ('olconn97 directory import' makes one from CSV)\n"
    "  --folder NAME      the folder's name when it has to be created\n"
    "  --json             the counts and the folder as one JSON object\n"
    "Exit status: 0 done, 1 failed (the folder could not be created, the\n"
    "directory cannot be read), 2 bad usage.\n";

struct FolderChanges {
  int created = 0, updated = 0, deleted = 0, kept = 0;
};

// The contact files of the export folder before and after, by file name:
// a folder renamed to the suite's name keeps its files.
FolderChanges Compare(const Snapshot& before_paths, const Snapshot& after_paths) {
  auto by_name = [](const Snapshot& files) {
    Snapshot named;
    for (const auto& [path, time] : files) named[std::filesystem::path(path).filename()] = time;
    return named;
  };
  const Snapshot before = by_name(before_paths);
  const Snapshot after = by_name(after_paths);
  FolderChanges changes;
  for (const auto& [name, time] : after) {
    auto old = before.find(name);
    if (old == before.end()) {
      ++changes.created;
    } else if (old->second != time) {
      ++changes.updated;
    } else {
      ++changes.kept;
    }
  }
  for (const auto& [name, time] : before) changes.deleted += after.count(name) == 0 ? 1 : 0;
  return changes;
}

}  // namespace

int RunExport(const Args& args) {
  if (WantsHelp(args)) {
    std::fputs(kExportHelp, stdout);
    return 0;
  }
  auto usage = [](const std::string& why) {
    std::fprintf(stderr, "olconn97 export: %s\n%s", why.c_str(), kExportHelp);
    return 2;
  };
  std::string operation, from, folder;
  bool json = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    bool has_value = i + 1 < args.size();
    if (arg == "--from" && has_value) {
      from = args[++i];
    } else if (arg == "--folder" && has_value) {
      folder = args[++i];
    } else if (arg == "--json") {
      json = true;
    } else if (arg.rfind("--", 0) == 0) {
      return usage("unknown option or missing value '" + arg + "'");
    } else if (operation.empty()) {
      operation = arg;
    } else {
      return usage("one operation only");
    }
  }
  if (operation != "init" && operation != "sync") return usage("expected init or sync");
  if (folder.empty()) return usage("--folder names the export folder");
  Held<DataConnector> driver = StartDriver("export");
  if (driver.get() == nullptr) return 1;
  VARIANT_BOOL ready = VARIANT_FALSE;
  if (FAILED(driver.get()->get_DataConnector_PIMInstalled(&ready)) || ready == VARIANT_FALSE) {
    std::fprintf(stderr, "olconn97 export: the driver is not ready (see 'olconn97 status')\n");
    return 1;
  }
  if (from.empty()) from = CommandText(driver.get(), "directoryFile");
  // The driver only logs what it cannot read; a missing file is said here.
  if (access(from.c_str(), R_OK) != 0) {
    std::perror(("olconn97 export: " + from).c_str());
    return 1;
  }
  std::string before_folder = CommandText(driver.get(), "exportFolder");
  Snapshot before = before_folder.empty() ? Snapshot() : TakeSnapshot(before_folder);

  HostBstr from_text(from);
  HostBstr folder_text(folder);
  HRESULT hr = S_OK;
  SHORT result = 0;
  if (operation == "init") {
    hr = driver.get()->Dataconnector_InitializeExportFolder(from_text.get(), folder_text.get(),
                                                            VARIANT_FALSE, &result);
  } else {
    hr = driver.get()->Dataconnector_SynchronizeExportFolder(from_text.get(), folder_text.get());
  }
  FinishDriverWork();  // the cache refresh that follows
  if (FAILED(hr)) {
    std::fprintf(stderr, "olconn97 export: %s\n", FailureText(hr).c_str());
    return 1;
  }
  std::string after_folder = CommandText(driver.get(), "exportFolder");
  if (result != 0 || after_folder.empty()) {
    std::fprintf(stderr, "olconn97 export: no export folder could be made (see above)\n");
    return 1;
  }
  FolderChanges changes = Compare(before, TakeSnapshot(after_folder));
  if (json) {
    std::printf(
        "{\"operation\": \"%s\", \"folder\": \"%s\", \"created\": %d, \"updated\": %d, "
        "\"deleted\": %d, \"kept\": %d}\n",
        operation.c_str(), JsonEscape(after_folder).c_str(), changes.created, changes.updated,
        changes.deleted, changes.kept);
  } else {
    std::printf("Export folder: %s\ncreated %d, updated %d, deleted %d, kept %d\n",
                after_folder.c_str(), changes.created, changes.updated, changes.deleted,
                changes.kept);
  }
  return 0;
}

}  // namespace host
