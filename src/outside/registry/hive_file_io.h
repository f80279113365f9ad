// The file operations under the store's hive files: reading a file whole,
// replacing it atomically, the advisory write lock, and what a file looks
// like from outside (to notice another process's write).
#ifndef OLCONN97_OUTSIDE_REGISTRY_HIVE_FILE_IO_H_
#define OLCONN97_OUTSIDE_REGISTRY_HIVE_FILE_IO_H_

#include <sys/types.h>

#include <string>
#include <string_view>

#include "base/result.h"
#include "base/status.h"
#include "outside/shell/file_io.h"

namespace olconn97::registry {

// Enough of a file's status to tell that it was replaced or changed: every
// write of the store renames a new file into place, and an editor that
// writes in place changes the size or the modification time.
struct FileIdentity {
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  long long modified_ns = 0;
  long long changed_ns = 0;
  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// The identity of the file at `path`; one that does not exist has
// exists == false and is no failure.
Result<FileIdentity> IdentifyFile(const std::string& path);

using shell::ScopedFd;

struct FileContent {
  FileIdentity identity;
  std::string bytes;
  // The file stays open: while it is, its inode number cannot be given to
  // another file, so a replacement is always told apart by its identity.
  ScopedFd file;
};
// Reads the whole file, with the identity of what was read (kNotFound when
// it does not exist).
Result<FileContent> ReadWholeFile(const std::string& path);
// Opens the file and gives its identity, reading nothing.
Result<FileContent> OpenWithoutReading(const std::string& path);

// Creates every missing folder above `path` with `mode`.
Status MakeParentFolders(const std::string& path, mode_t mode);

// Replaces the file at `path` by `bytes` all at once (see file_io.h).
using shell::ReplaceFileAtomically;

// Writes `bytes` to the first free name of "<path>.malformed",
// "<path>.malformed.1", ... and returns the name used; a copy that holds
// exactly these bytes already is used instead of a new one.
Result<std::string> KeepCopyBeside(const std::string& path, std::string_view bytes);

// Whether this process could replace the file at `path` (creating its
// folders as needed).
bool CanReplaceFile(const std::string& path);

}  // namespace olconn97::registry

#endif  // OLCONN97_OUTSIDE_REGISTRY_HIVE_FILE_IO_H_
