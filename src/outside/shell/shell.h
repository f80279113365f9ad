// What the driver needs of the operating system beyond the settings store:
// where it lives, who the user is, folders and files with their modes,
// debugger output and system error texts.
//
// Domain code reaches the OS only through this interface. `PosixShell` is the
// real one; tests use `ShellWrapper` to change single answers (a missing
// data folder, a failing mkdir) around a real shell rooted in a temporary
// folder.
#ifndef OLCONN97_OUTSIDE_SHELL_SHELL_H_
#define OLCONN97_OUTSIDE_SHELL_SHELL_H_

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "base/status.h"

namespace olconn97::shell {

// A file opened for writing; closed by its destructor.
class WritableFile {
 public:
  virtual ~WritableFile() = default;
  virtual Status Append(std::string_view data) = 0;
  virtual Status Flush() = 0;
};

enum class OpenMode { kTruncate, kAppend };

class Shell {
 public:
  virtual ~Shell() = default;

  // The folder of the driver's own library file (its AppPath), without a
  // trailing "/".
  virtual std::string AppPath() = 0;

  // The user's application-data folder: $XDG_DATA_HOME, else
  // ~/.local/share; created when missing. Fails with kNotFound when it
  // neither exists nor can be created, kInvalidArgument when no home folder
  // can be determined.
  virtual Result<std::string> UserDataFolder() = 0;

  // The login name of the effective user; empty when it cannot be found.
  virtual std::string LoginName() = 0;

  // The region of the user's telephone locale, as its two letters ("DE"
  // for "de_DE.UTF-8"): from LC_ALL, else LC_TELEPHONE, else LANG, the
  // first of them that is set; empty when that one names no region ("C").
  virtual std::string TelephoneRegion() = 0;

  // Writes one line to the debugger output: the system log at debug
  // priority, and stderr when OLCONN97_DEBUG is set.
  virtual void DebugOutput(std::string_view text) = 0;

  // The system's message for an errno value; "Unknown Error." when it has none.
  virtual std::string SystemErrorText(int code) = 0;

  virtual bool DirectoryExists(const std::string& path) = 0;
  // Creates one folder; `mode` is applied exactly (whatever the umask) when
  // given, else the default mode under the umask applies.
  virtual Status MakeDirectory(const std::string& path, const mode_t* exact_mode) = 0;
  // Sets the permission bits of an existing file or folder.
  virtual Status SetMode(const std::string& path, mode_t mode) = 0;

  // True when the file can be opened for reading.
  virtual bool FileExists(const std::string& path) = 0;
  // The whole content of a file (a folder fails); "<path>: <reason>" on failure.
  virtual Result<std::string> ReadFile(const std::string& path) = 0;
  // The copy appears whole or not at all (written beside the target,
  // synced, then renamed into place).
  virtual Status CopyFile(const std::string& from, const std::string& to, bool fail_if_exists) = 0;
  // Renames a file; never replaces an existing `to` (fails with kAlreadyExists).
  virtual Status MoveFile(const std::string& from, const std::string& to) = 0;
  virtual Status DeleteFile(const std::string& path) = 0;
  virtual Result<std::unique_ptr<WritableFile>> OpenForWriting(const std::string& path,
                                                               OpenMode mode) = 0;
  // The size of a file, in bytes.
  virtual Result<uint64_t> FileSize(const std::string& path) = 0;
  // The bytes an ordinary user may still write on the file system that
  // holds `folder`.
  virtual Result<uint64_t> FreeSpace(const std::string& folder) = 0;

  // Starts the program argv[0] (a path, not looked up in PATH) with the
  // arguments argv[1...], without a shell, and does not wait for it: the
  // program runs in a session of its own with its input from /dev/null.
  // Answers its process id; fails with the system's description of why the
  // program could not be started ("No such file or directory").
  virtual Result<int> StartProgram(const std::vector<std::string>& argv) = 0;
};

// Forwards every call to another shell.
class ShellWrapper : public Shell {
 public:
  explicit ShellWrapper(Shell& target) : target_(target) {}
  std::string AppPath() override { return target_.AppPath(); }
  Result<std::string> UserDataFolder() override { return target_.UserDataFolder(); }
  std::string LoginName() override { return target_.LoginName(); }
  std::string TelephoneRegion() override { return target_.TelephoneRegion(); }
  void DebugOutput(std::string_view text) override { target_.DebugOutput(text); }
  std::string SystemErrorText(int code) override { return target_.SystemErrorText(code); }
  bool DirectoryExists(const std::string& path) override { return target_.DirectoryExists(path); }
  Status MakeDirectory(const std::string& path, const mode_t* exact_mode) override {
    return target_.MakeDirectory(path, exact_mode);
  }
  Status SetMode(const std::string& path, mode_t mode) override {
    return target_.SetMode(path, mode);
  }
  bool FileExists(const std::string& path) override { return target_.FileExists(path); }
  Result<std::string> ReadFile(const std::string& path) override { return target_.ReadFile(path); }
  Status CopyFile(const std::string& from, const std::string& to, bool fail_if_exists) override {
    return target_.CopyFile(from, to, fail_if_exists);
  }
  Status MoveFile(const std::string& from, const std::string& to) override {
    return target_.MoveFile(from, to);
  }
  Status DeleteFile(const std::string& path) override { return target_.DeleteFile(path); }
  Result<std::unique_ptr<WritableFile>> OpenForWriting(const std::string& path,
                                                       OpenMode mode) override {
    return target_.OpenForWriting(path, mode);
  }
  Result<uint64_t> FileSize(const std::string& path) override { return target_.FileSize(path); }
  Result<uint64_t> FreeSpace(const std::string& folder) override {
    return target_.FreeSpace(folder);
  }
  Result<int> StartProgram(const std::vector<std::string>& argv) override {
    return target_.StartProgram(argv);
  }

 protected:
  Shell& target() { return target_; }

 private:
  Shell& target_;
};

// The region a locale name carries: "de_DE.UTF-8" and "de_DE@euro" give
// "DE"; "C", "POSIX" and "C.UTF-8" give the empty text.
std::string RegionOfLocale(std::string_view locale);

// The real shell. `app_path` overrides the library's folder (tests, and the
// reference host when it runs the driver from the build tree).
class PosixShell : public Shell {
 public:
  PosixShell() = default;
  explicit PosixShell(std::string app_path) : app_path_override_(std::move(app_path)) {}

  std::string AppPath() override;
  Result<std::string> UserDataFolder() override;
  std::string LoginName() override;
  std::string TelephoneRegion() override;
  void DebugOutput(std::string_view text) override;
  std::string SystemErrorText(int code) override;
  bool DirectoryExists(const std::string& path) override;
  Status MakeDirectory(const std::string& path, const mode_t* exact_mode) override;
  Status SetMode(const std::string& path, mode_t mode) override;
  bool FileExists(const std::string& path) override;
  Result<std::string> ReadFile(const std::string& path) override;
  Status CopyFile(const std::string& from, const std::string& to, bool fail_if_exists) override;
  Status MoveFile(const std::string& from, const std::string& to) override;
  Status DeleteFile(const std::string& path) override;
  Result<std::unique_ptr<WritableFile>> OpenForWriting(const std::string& path,
                                                       OpenMode mode) override;
  Result<uint64_t> FileSize(const std::string& path) override;
  Result<uint64_t> FreeSpace(const std::string& folder) override;
  Result<int> StartProgram(const std::vector<std::string>& argv) override;

 private:
  std::string app_path_override_;
};

}  // namespace olconn97::shell

#endif  // OLCONN97_OUTSIDE_SHELL_SHELL_H_
