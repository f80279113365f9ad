// The few file operations every store of the driver shares: an owner for a
// file descriptor, writes that survive signals, and the one way a file is
// replaced (temporary file, fsync, rename, fsync of the folder), so that a
// crash never leaves a torn settings file, card or marker.
#ifndef OLCONN97_OUTSIDE_SHELL_FILE_IO_H_
#define OLCONN97_OUTSIDE_SHELL_FILE_IO_H_

#include <cerrno>
#include <string>
#include <string_view>

#include "base/result.h"
#include "base/status.h"

namespace olconn97::shell {

// Owns a file descriptor and closes it. Move-only.
class ScopedFd {
 public:
  ScopedFd() = default;
  explicit ScopedFd(int fd) : fd_(fd) {}
  ScopedFd(ScopedFd&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  ScopedFd& operator=(ScopedFd&& other) noexcept;
  ScopedFd(const ScopedFd&) = delete;
  ScopedFd& operator=(const ScopedFd&) = delete;
  ~ScopedFd();

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Closes now and returns close()'s result, where a delayed write error shows.
  int Close();
  void Reset() { (void)Close(); }

 private:
  int fd_ = -1;
};

// Repeats a system call that a signal interrupted.
template <typename Call>
auto RetryOnInterrupt(Call call) {
  decltype(call()) result;
  do {
    result = call();
  } while (result == -1 && errno == EINTR);
  return result;
}

// Writes all of `bytes`; `path` names the file in a failure.
Status WriteAll(int fd, std::string_view bytes, const std::string& path);

// The folder of `path` ("." for a bare name).
std::string FolderOf(const std::string& path);
// A descriptor of the folder at `path` (invalid when it cannot be opened),
// for looking up many names in it without resolving its path each time.
ScopedFd OpenFolder(const std::string& path);
// Makes the renames and links in a folder durable.
void SyncFolder(const std::string& folder);

// Creates `path` holding `bytes` (failing with kAlreadyExists when
// `exclusive` and it exists), flushed to disk when `durable`.
Status WriteNewFile(const std::string& path, std::string_view bytes, bool durable, bool exclusive);

// Replaces the file at `path` by `bytes` all at once: a hidden temporary
// file in the same folder is written, flushed to disk when `durable`, given
// the mode of the file it replaces, and renamed over it; then the folder is
// flushed. Readers see the old file or the new one, never a part.
Status ReplaceFileAtomically(const std::string& path, std::string_view bytes, bool durable);

// An exclusive advisory lock (flock) on a lock file, held until it is
// destroyed or the process ends, whichever comes first: a process that dies
// never leaves it held.
class FileLock {
 public:
  // Waits for the lock; creates the lock file when missing.
  static Result<FileLock> Acquire(const std::string& lock_path);
  // Takes the lock only if no one holds it: kUnavailable when someone does.
  static Result<FileLock> TryAcquire(const std::string& lock_path);

  FileLock(FileLock&&) = default;
  FileLock& operator=(FileLock&&) = default;

 private:
  static Result<FileLock> Lock(const std::string& lock_path, bool wait);
  explicit FileLock(ScopedFd fd) : fd_(std::move(fd)) {}
  ScopedFd fd_;
};

}  // namespace olconn97::shell

#endif  // OLCONN97_OUTSIDE_SHELL_FILE_IO_H_
