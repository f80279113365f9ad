// Opening the cache file at start-up, and what happens to one that cannot
// serve: it is moved aside (kept, with the time in its name) so that a
// fresh copy of the template can take its place and be rebuilt.
#ifndef OLCONN97_CACHE_CACHE_FILE_H_
#define OLCONN97_CACHE_CACHE_FILE_H_

#include <memory>
#include <string>

#include "base/result.h"
#include "outside/jet/dao.h"
#include "outside/shell/file_io.h"

namespace olconn97 {

// Opens an existing cache: checks its layout, makes missing indexes (a
// rebuild the previous process did not live to finish dropped them) and
// completes rows another program wrote; while another process walks into
// it, that walk does both when it ends. Fails with kCorrupt when the file
// cannot serve as a cache (damaged, not a database, an older layout).
Result<std::unique_ptr<jet::Database>> OpenCacheFile(jet::Workspace& workspace,
                                                     const std::string& path);

// The lock a process holds beside the cache file at `path` while it walks
// the store into it ("<path>-walk"); the kernel releases it when that
// process ends, however it ends. kUnavailable while another process has it.
Result<shell::FileLock> TakeWalkLock(const std::string& path);
// True while another process walks the store into the cache file at `path`.
bool WalkRunningElsewhere(const std::string& path);

// Whether the file system of the cache file at `path` has room for a
// rebuild: the table is emptied in one commit, so a rebuild that runs out
// of room half way leaves a cache with only some of its rows. kIoError,
// saying how much is free and needed, when there is plainly not enough;
// ok when there is, or when the room cannot be told.
Status CheckRoomForRebuild(const std::string& path);

// Moves the cache file at `path` (and its journal files) aside, to
// "<path>.damaged-YYYYmmdd-HHMMSS". Returns the one line that says what
// happened and why, for the log and the status commands.
Result<std::string> MoveCacheAside(const std::string& path, const Status& why);

}  // namespace olconn97

#endif  // OLCONN97_CACHE_CACHE_FILE_H_
