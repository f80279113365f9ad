#include "outside/shell/file_io.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>

namespace olconn97::shell {

namespace {

// A name no other writer of this or another process uses at the same time;
// hidden, so that a walk through the folder meanwhile does not take it for
// an item.
std::string TemporaryNameFor(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  size_t slash = path.rfind('/');
  std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  return folder + "." + name + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
}

}  // namespace

ScopedFd& ScopedFd::operator=(ScopedFd&& other) noexcept {
  if (this != &other) {
    Reset();
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

ScopedFd::~ScopedFd() { Reset(); }

int ScopedFd::Close() {
  if (fd_ < 0) return 0;
  int result = close(fd_);
  fd_ = -1;
  return result;
}

Status WriteAll(int fd, std::string_view bytes, const std::string& path) {
  while (!bytes.empty()) {
    ssize_t written = RetryOnInterrupt([&] { return write(fd, bytes.data(), bytes.size()); });
    if (written < 0) return Status::FromErrno(errno, "cannot write " + path);
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  return Status::Ok();
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

ScopedFd OpenFolder(const std::string& path) {
  return ScopedFd(
      RetryOnInterrupt([&] { return open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); }));
}

void SyncFolder(const std::string& folder) {
  ScopedFd fd = OpenFolder(folder);
  if (fd.valid()) fsync(fd.get());
}

Status WriteNewFile(const std::string& path, std::string_view bytes, bool durable, bool exclusive) {
  int flags = O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | (exclusive ? O_EXCL : 0);
  ScopedFd fd(RetryOnInterrupt([&] { return open(path.c_str(), flags, 0666); }));
  if (!fd.valid()) return Status::FromErrno(errno, "cannot create " + path);
  OLC_RETURN_IF_ERROR(WriteAll(fd.get(), bytes, path));
  if (durable && fsync(fd.get()) != 0) return Status::FromErrno(errno, "cannot flush " + path);
  if (fd.Close() != 0) return Status::FromErrno(errno, "cannot write " + path);
  return Status::Ok();
}

Status ReplaceFileAtomically(const std::string& path, std::string_view bytes, bool durable) {
  std::string temporary = TemporaryNameFor(path);
  Status written = WriteNewFile(temporary, bytes, durable, /*exclusive=*/true);
  struct stat old_status;
  if (written.ok() && stat(path.c_str(), &old_status) == 0 &&
      chmod(temporary.c_str(), old_status.st_mode & 07777) != 0) {
    written = Status::FromErrno(errno, "cannot set the mode of " + temporary);
  }
  if (written.ok() && rename(temporary.c_str(), path.c_str()) != 0) {
    written = Status::FromErrno(errno, "cannot replace " + path);
  }
  if (!written.ok()) {
    unlink(temporary.c_str());
    return written;
  }
  if (durable) SyncFolder(FolderOf(path));
  return Status::Ok();
}

Result<FileLock> FileLock::Acquire(const std::string& lock_path) { return Lock(lock_path, true); }

Result<FileLock> FileLock::TryAcquire(const std::string& lock_path) {
  return Lock(lock_path, false);
}

Result<FileLock> FileLock::Lock(const std::string& lock_path, bool wait) {
  ScopedFd fd(open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666));
  // A lock file another user created may be read-only to us; flock does
  // not need write access.
  if (!fd.valid() && errno == EACCES) fd = ScopedFd(open(lock_path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.valid()) return Status::FromErrno(errno, "cannot open the lock file " + lock_path);
  const int operation = wait ? LOCK_EX : LOCK_EX | LOCK_NB;
  if (RetryOnInterrupt([&] { return flock(fd.get(), operation); }) != 0) {
    if (errno == EWOULDBLOCK) return Status::Unavailable(lock_path + " is held by another process");
    return Status::FromErrno(errno, "cannot lock " + lock_path);
  }
  return FileLock(std::move(fd));
}

}  // namespace olconn97::shell
