#include <dlfcn.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <syslog.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

#include "outside/shell/file_io.h"
#include "outside/shell/shell.h"

namespace olconn97::shell {
namespace {

// Writes straight through to the kernel: a line appended is kept even when
// the host process crashes right after.
class PosixWritableFile : public WritableFile {
 public:
  PosixWritableFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  Status Append(std::string_view data) override { return WriteAll(fd_.get(), data, path_); }
  // Append holds nothing back, so there is nothing left to push.
  Status Flush() override { return Status::Ok(); }

 private:
  ScopedFd fd_;
  std::string path_;
};

// The entry of the current user in the password database, if any.
bool LookUpEffectiveUser(std::string* name, std::string* home) {
  long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(suggested > 0 ? static_cast<size_t>(suggested) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  while (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == ERANGE) {
    buffer.resize(buffer.size() * 2);
  }
  if (found == nullptr) return false;
  if (name != nullptr) *name = found->pw_name != nullptr ? found->pw_name : "";
  if (home != nullptr) *home = found->pw_dir != nullptr ? found->pw_dir : "";
  return true;
}

std::string ParentFolder(const std::string& file) {
  size_t slash = file.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return file.substr(0, slash);
}

// The file mapped at `address`, as the kernel records it: an absolute path
// whatever the working folder was when the file was loaded.
std::string MappedFileAt(const void* address) {
  const auto target = reinterpret_cast<uintptr_t>(address);
  std::ifstream maps("/proc/self/maps");
  std::string line;
  while (std::getline(maps, line)) {
    uintptr_t start = 0;
    uintptr_t end = 0;
    if (std::sscanf(line.c_str(), "%" SCNxPTR "-%" SCNxPTR, &start, &end) != 2) continue;
    if (target < start || target >= end) continue;
    size_t path = line.find('/');
    return path == std::string::npos ? std::string() : line.substr(path);
  }
  return {};
}

// The file this code was loaded from: the driver's library, or the program
// that links it statically (the tests).
std::string LoadedFile() {
  const void* self = reinterpret_cast<const void*>(&LoadedFile);
  Dl_info info{};
  // dladdr gives the name the file was loaded by; only an absolute one can
  // be trusted after the host changed its working folder.
  if (dladdr(self, &info) != 0 && info.dli_fname != nullptr && info.dli_fname[0] == '/') {
    return info.dli_fname;
  }
  return MappedFileAt(self);
}

// Creates every missing folder of an absolute path (XDG asks for mode 0700).
bool MakeFolderTree(const std::string& path) {
  for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    std::string prefix = path.substr(0, slash);
    if (mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) break;
  }
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string DataHomeFromEnvironment() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  // A relative XDG_DATA_HOME is invalid and must be ignored.
  if (xdg != nullptr && xdg[0] == '/') return xdg;
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] != '\0') return std::string(home) + "/.local/share";
  std::string passwd_home;
  if (LookUpEffectiveUser(nullptr, &passwd_home) && !passwd_home.empty()) {
    return passwd_home + "/.local/share";
  }
  return {};
}

}  // namespace

std::string PosixShell::AppPath() {
  if (!app_path_override_.empty()) return app_path_override_;
  // The library does not move while it is loaded.
  static const std::string kLibraryFolder = [] {
    std::string file = LoadedFile();
    return file.empty() ? std::string(".") : ParentFolder(file);
  }();
  return kLibraryFolder;
}

Result<std::string> PosixShell::UserDataFolder() {
  std::string folder = DataHomeFromEnvironment();
  if (folder.empty()) {
    return Status::InvalidArgument("No home folder is known for the current user");
  }
  if (!DirectoryExists(folder) && !MakeFolderTree(folder)) {
    return Status::NotFound("The data folder " + folder +
                            " cannot be created: " + SystemErrorText(errno));
  }
  return folder;
}

std::string RegionOfLocale(std::string_view locale) {
  size_t underscore = locale.find('_');
  if (underscore == std::string_view::npos) return {};
  std::string_view region = locale.substr(underscore + 1);
  region = region.substr(0, region.find_first_of(".@"));
  if (region.size() != 2) return {};
  std::string upper;
  for (char c : region) {
    if ((c | 0x20) < 'a' || (c | 0x20) > 'z') return {};
    upper += static_cast<char>(c & ~0x20);
  }
  return upper;
}

std::string PosixShell::TelephoneRegion() {
  // The order in which the C library picks the locale of a category.
  for (const char* name : {"LC_ALL", "LC_TELEPHONE", "LANG"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return RegionOfLocale(value);
  }
  return {};
}

std::string PosixShell::LoginName() {
  std::string name;
  return LookUpEffectiveUser(&name, nullptr) ? name : std::string();
}

void PosixShell::DebugOutput(std::string_view text) {
  std::string line(text);
  // No openlog: the ident and facility belong to the host.
  syslog(LOG_USER | LOG_DEBUG, "%s", line.c_str());
  const char* echo = std::getenv("OLCONN97_DEBUG");
  if (echo != nullptr && echo[0] != '\0') std::fprintf(stderr, "%s\n", line.c_str());
}

std::string PosixShell::SystemErrorText(int code) {
  // strerror_r invents "Unknown error N" (translated under some locales);
  // the name table says for sure whether the system knows the code.
  if (strerrorname_np(code) == nullptr) return "Unknown Error.";
  char buffer[256];
  return strerror_r(code, buffer, sizeof buffer);
}

bool PosixShell::DirectoryExists(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

Status PosixShell::MakeDirectory(const std::string& path, const mode_t* exact_mode) {
  if (mkdir(path.c_str(), exact_mode != nullptr ? *exact_mode : 0777) != 0) {
    return Status::FromErrno(errno, path);
  }
  // mkdir's mode passes through the umask; only chmod sets it exactly.
  if (exact_mode != nullptr) return SetMode(path, *exact_mode);
  return Status::Ok();
}

Status PosixShell::SetMode(const std::string& path, mode_t mode) {
  if (chmod(path.c_str(), mode) != 0) return Status::FromErrno(errno, path);
  return Status::Ok();
}

bool PosixShell::FileExists(const std::string& path) {
  // O_NONBLOCK: a FIFO must not hang the host.
  ScopedFd fd(RetryOnInterrupt(
      [&] { return open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY); }));
  if (!fd.valid()) return false;
  struct stat info {};
  return fstat(fd.get(), &info) == 0 && !S_ISDIR(info.st_mode);
}

Result<uint64_t> PosixShell::FileSize(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return Status::FromErrno(errno, path);
  return static_cast<uint64_t>(info.st_size);
}

Result<uint64_t> PosixShell::FreeSpace(const std::string& folder) {
  struct statvfs info {};
  if (statvfs(folder.c_str(), &info) != 0) return Status::FromErrno(errno, folder);
  // f_bavail, not f_bfree: the blocks kept for root are not the user's.
  return static_cast<uint64_t>(info.f_bavail) * info.f_frsize;
}

Result<std::string> PosixShell::ReadFile(const std::string& path) {
  ScopedFd fd(RetryOnInterrupt([&] { return open(path.c_str(), O_RDONLY | O_CLOEXEC); }));
  struct stat info {};
  if (!fd.valid() || fstat(fd.get(), &info) != 0) return Status::FromErrno(errno, path);
  if (S_ISDIR(info.st_mode)) return Status::FromErrno(EISDIR, path);
  std::string content;
  char buffer[65536];
  while (true) {
    ssize_t got = RetryOnInterrupt([&] { return read(fd.get(), buffer, sizeof buffer); });
    if (got < 0) return Status::FromErrno(errno, path);
    if (got == 0) return content;
    content.append(buffer, static_cast<size_t>(got));
  }
}

Status PosixShell::CopyFile(const std::string& from, const std::string& to, bool fail_if_exists) {
  ScopedFd source(RetryOnInterrupt([&] { return open(from.c_str(), O_RDONLY | O_CLOEXEC); }));
  struct stat source_info {};
  if (!source.valid() || fstat(source.get(), &source_info) != 0) {
    return Status::FromErrno(errno, from);
  }
  struct stat target_info {};
  if (stat(to.c_str(), &target_info) == 0) {
    if (fail_if_exists) return Status::FromErrno(EEXIST, to);
    // Copying a file onto itself would destroy it.
    if (target_info.st_dev == source_info.st_dev && target_info.st_ino == source_info.st_ino) {
      return Status::FromErrno(EINVAL, to);
    }
  }
  // Written beside the target and renamed into place once synced, so the
  // target is never seen half-written, even after a crash.
  std::string partial = to + ".XXXXXX";
  ScopedFd target(RetryOnInterrupt([&] { return mkostemp(partial.data(), O_CLOEXEC); }));
  if (!target.valid()) return Status::FromErrno(errno, to);
  Status copied = fchmod(target.get(), source_info.st_mode & 0777) == 0
                      ? Status::Ok()
                      : Status::FromErrno(errno, partial);
  char buffer[65536];
  while (copied.ok()) {
    ssize_t got = RetryOnInterrupt([&] { return read(source.get(), buffer, sizeof buffer); });
    if (got == 0) break;
    copied = got < 0
                 ? Status::FromErrno(errno, from)
                 : WriteAll(target.get(), std::string_view(buffer, static_cast<size_t>(got)), to);
  }
  if (copied.ok() && fsync(target.get()) != 0) copied = Status::FromErrno(errno, partial);
  if (copied.ok()) {
    // link() never replaces a file that appeared meanwhile; rename() does.
    int placed =
        fail_if_exists ? link(partial.c_str(), to.c_str()) : rename(partial.c_str(), to.c_str());
    if (placed != 0) copied = Status::FromErrno(errno, to);
  }
  unlink(partial.c_str());  // after a rename there is nothing left to remove
  if (copied.ok()) SyncFolder(FolderOf(to));
  return copied;
}

Status PosixShell::MoveFile(const std::string& from, const std::string& to) {
  // link + unlink: unlike rename, it never replaces an existing target.
  if (link(from.c_str(), to.c_str()) != 0) return Status::FromErrno(errno, to);
  if (unlink(from.c_str()) != 0) return Status::FromErrno(errno, from);
  SyncFolder(FolderOf(to));
  return Status::Ok();
}

Status PosixShell::DeleteFile(const std::string& path) {
  if (unlink(path.c_str()) != 0) return Status::FromErrno(errno, path);
  return Status::Ok();
}

Result<std::unique_ptr<WritableFile>> PosixShell::OpenForWriting(const std::string& path,
                                                                 OpenMode mode) {
  int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (mode == OpenMode::kAppend ? O_APPEND : O_TRUNC);
  int fd = RetryOnInterrupt([&] { return open(path.c_str(), flags, 0666); });
  if (fd < 0) return Status::FromErrno(errno, path);
  return std::unique_ptr<WritableFile>(std::make_unique<PosixWritableFile>(fd, path));
}

}  // namespace olconn97::shell
