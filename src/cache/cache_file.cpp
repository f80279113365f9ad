#include "cache/cache_file.h"

#include "cache/cache_schema.h"
#include "core/shared_state.h"
#include "outside/shell/clock.h"
#include "outside/shell/shell.h"

namespace olconn97 {

Result<std::unique_ptr<jet::Database>> OpenCacheFile(jet::Workspace& workspace,
                                                     const std::string& path) {
  OLC_ASSIGN_OR_RETURN(std::unique_ptr<jet::Database> cache, workspace.OpenDatabase(path));
  OLC_RETURN_IF_ERROR(CheckCacheLayout(*cache));
  // Indexes made under another process's rebuild would slow its inserts
  // and wait for its batches.
  if (WalkRunningElsewhere(path)) return cache;
  OLC_RETURN_IF_ERROR(EnsureCacheIndexes(*cache));
  OLC_RETURN_IF_ERROR(FillDerivedValues(*cache).status());
  return cache;
}

Result<shell::FileLock> TakeWalkLock(const std::string& path) {
  return shell::FileLock::TryAcquire(path + "-walk");
}

bool WalkRunningElsewhere(const std::string& path) {
  Result<shell::FileLock> lock = TakeWalkLock(path);
  return !lock.ok() && lock.status().code() == Code::kUnavailable;
}

namespace {

// The journal holds a rebuild's pages until a checkpoint copies them into
// the file, every 1000 pages of 4 KB: room for that many, and a batch more.
constexpr uint64_t kRebuildJournalRoom = uint64_t{5} << 20;

std::string Megabytes(uint64_t bytes) {
  return std::to_string((bytes + (uint64_t{1} << 19)) >> 20) + " MB";
}

}  // namespace

Status CheckRoomForRebuild(const std::string& path) {
  shell::Shell& shell = Shared().services.shell();
  const std::string folder = path.substr(0, path.find_last_of('/') + 1);
  Result<uint64_t> free = shell.FreeSpace(folder.empty() ? "." : folder);
  if (!free.ok()) return Status::Ok();  // the walk will say it, if it comes to that
  // The rows written again take about the room the current ones take.
  const uint64_t needed = shell.FileSize(path).value_or(0) + kRebuildJournalRoom;
  if (free.value() >= needed) return Status::Ok();
  return Status::Error(Code::kIoError, "not enough free space for a rebuild in " + folder + " (" +
                                           Megabytes(free.value()) + " free, about " +
                                           Megabytes(needed) +
                                           " needed): the cache is left as it was");
}

Result<std::string> MoveCacheAside(const std::string& path, const Status& why) {
  SharedState& shared = Shared();
  shell::Shell& shell = shared.services.shell();
  std::string stamp = shell::FormatLocal(shared.services.clock().Now(), "%Y%m%d-%H%M%S");
  std::string aside = path + ".damaged-" + stamp;
  for (int n = 1; shell.FileExists(aside); ++n) {
    aside = path + ".damaged-" + stamp + "-" + std::to_string(n);
  }
  OLC_RETURN_IF_ERROR(shell.MoveFile(path, aside));
  // The journal files go with the file they belong to: beside a fresh copy
  // they would corrupt it, beside the kept one they may still be read.
  for (const char* journal : {"-wal", "-shm"}) {
    if (shell.FileExists(path + journal)) (void)shell.MoveFile(path + journal, aside + journal);
  }
  std::string reason = why.description();
  if (!reason.empty() && reason.back() == '.') reason.pop_back();
  return "The contact cache " + path + " could not be used (" + reason +
         "): it was moved aside to " + aside + " and is made again from the template.";
}

}  // namespace olconn97
