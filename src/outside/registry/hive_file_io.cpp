#include "outside/registry/hive_file_io.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace olconn97::registry {
namespace {

using shell::FolderOf;

long long Nanoseconds(const timespec& time) {
  return static_cast<long long>(time.tv_sec) * 1000000000LL + time.tv_nsec;
}

FileIdentity IdentityOf(const struct stat& status) {
  return {true,
          status.st_dev,
          status.st_ino,
          status.st_size,
          Nanoseconds(status.st_mtim),
          Nanoseconds(status.st_ctim)};
}

}  // namespace

Result<FileIdentity> IdentifyFile(const std::string& path) {
  struct stat status;
  if (stat(path.c_str(), &status) == 0) return IdentityOf(status);
  if (errno == ENOENT) return FileIdentity{};
  return Status::FromErrno(errno, "cannot examine " + path);
}

Result<FileContent> OpenWithoutReading(const std::string& path) {
  ScopedFd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) return Status::FromErrno(errno, "cannot open " + path);
  struct stat status;
  if (fstat(fd.get(), &status) != 0) return Status::FromErrno(errno, "cannot examine " + path);
  return FileContent{IdentityOf(status), {}, std::move(fd)};
}

Result<FileContent> ReadWholeFile(const std::string& path) {
  OLC_ASSIGN_OR_RETURN(FileContent content, OpenWithoutReading(path));
  char buffer[65536];
  for (;;) {
    ssize_t got = read(content.file.get(), buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return Status::FromErrno(errno, "cannot read " + path);
    if (got == 0) return content;
    content.bytes.append(buffer, static_cast<size_t>(got));
  }
}

Status MakeParentFolders(const std::string& path, mode_t mode) {
  std::string folder = FolderOf(path);
  for (size_t at = folder.find('/', 1);; at = folder.find('/', at + 1)) {
    std::string part = folder.substr(0, at);
    if (mkdir(part.c_str(), mode) != 0 && errno != EEXIST) {
      return Status::FromErrno(errno, "cannot create the folder " + part);
    }
    if (at == std::string::npos) return Status::Ok();
  }
}

Result<std::string> KeepCopyBeside(const std::string& path, std::string_view bytes) {
  for (int n = 0; n < 1000; ++n) {
    std::string name = path + ".malformed" + (n == 0 ? "" : "." + std::to_string(n));
    Status written = shell::WriteNewFile(name, bytes, /*durable=*/true, /*exclusive=*/true);
    if (written.ok()) return name;
    if (written.code() != Code::kAlreadyExists) return written;
    // Every process that reads the same faulty file keeps it: one copy will do.
    Result<FileContent> existing = ReadWholeFile(name);
    if (existing.ok() && existing.value().bytes == bytes) return name;
  }
  return Status::Error(Code::kAlreadyExists, "no free name for a copy of " + path);
}

bool CanReplaceFile(const std::string& path) {
  struct stat status;
  if (stat(path.c_str(), &status) == 0 &&
      faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) {
    return false;
  }
  // The nearest existing folder must take new entries.
  std::string folder = FolderOf(path);
  while (stat(folder.c_str(), &status) != 0) {
    if (errno != ENOENT || folder == "/" || folder == ".") return false;
    folder = FolderOf(folder);
  }
  return S_ISDIR(status.st_mode) &&
         faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

}  // namespace olconn97::registry
