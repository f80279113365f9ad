#include "core/data_paths.h"

#include <sys/stat.h>

#include <cerrno>

#include "base/status.h"
#include "base/strings.h"
#include "core/product_identity.h"
#include "core/reports.h"
#include "core/settings.h"
#include "core/shared_state.h"
#include "outside/shell/shell.h"

namespace olconn97 {
namespace {

constexpr mode_t kSharedFolderMode = 0777;
constexpr mode_t kSharedFileMode = 0666;

shell::Shell& TheShell() { return Shared().services.shell(); }

std::string ReadTrimmed(Hive hive, std::string_view key, std::string_view value_name) {
  return std::string(TrimBlanks(RegReadString(hive, key, value_name)));
}

// A failed system call is reported by its OS error alone: no failure of the
// driver's own is pending, so the line's error text stays "-".
Status OsErrorOf(const Status& failure) {
  if (failure.os_error() == 0) return Status();
  return Status::FromErrno(failure.os_error(), {}).WithNumber(0);
}

// Drops trailing "/" so that callers can append "/" and a file name.
std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace

std::string DataPath() {
  SharedState& shared = Shared();
  if (!shared.gDataPath.empty()) return shared.gDataPath;
  // An empty gDataPath means "not decided yet"; it must not stay empty while
  // the steps below report into the error file, which lives in DataPath().
  std::string app_path = TheShell().AppPath();
  shared.gDataPath = app_path.empty() ? "." : app_path;

  std::string user_path = ReadTrimmed(Hive::kCurrentUser, kZepPhoneKey, "DataPath");
  std::string multi_user = ReadTrimmed(Hive::kLocalMachine, kInstallKey, "MultiUser");
  if (multi_user.empty()) multi_user = "yes";
  std::string machine_path = ReadTrimmed(Hive::kLocalMachine, kInstallKey, "DataPath");

  if (!user_path.empty()) {
    shared.gDataPath = WithoutTrailingSlash(user_path);
    shared.gPerUserDataPath = true;
  } else if (ToLowerAscii(multi_user) == "yes") {
    // Without a profile folder the driver's own folder stays, shared.
    std::string profile = GetUserProfilePath();
    if (!profile.empty()) {
      shared.gDataPath = WithoutTrailingSlash(profile) + "/" + ProductFullName();
      shared.gPerUserDataPath = true;
    }
  } else if (!machine_path.empty()) {
    shared.gDataPath = WithoutTrailingSlash(machine_path);
  }
  MakeSubDir(shared.gDataPath);
  return shared.gDataPath;
}

std::string GetUserProfilePath() {
  constexpr std::string_view kWhere = "modMultiUser.GetUserProfilePath";
  Result<std::string> folder = TheShell().UserDataFolder();
  if (folder.ok()) return folder.value();
  switch (folder.status().code()) {
    case Code::kInvalidArgument:
      ReportError(kWhere, "An invalid folder ID was specified");
      break;
    case Code::kNotFound:
      ReportError(kWhere, "The folder does not exist");
      break;
    default:
      break;
  }
  return {};
}

std::string StxFileName() {
  SharedState& shared = Shared();
  if (shared.gStxFileName.empty()) shared.gStxFileName = DataPath() + "/stx.mdb";
  return shared.gStxFileName;
}

// "/srv/a/b" creates, as far as missing, "/", "/srv/", "/srv/a/", then
// "/srv/a/b". A ":" is an ordinary character here: there are no drive
// letters to split off.
void MakeSubDir(std::string_view path) {
  std::string built;
  std::string_view rest = path;
  for (size_t slash = rest.find('/'); slash != std::string_view::npos; slash = rest.find('/')) {
    built += rest.substr(0, slash + 1);
    rest.remove_prefix(slash + 1);
    MakeDir(built);
  }
  MakeDir(path);
}

void MakeDir(std::string_view path) {
  shell::Shell& shell = TheShell();
  const std::string folder(path);
  if (shell.DirectoryExists(folder)) return;
  // A shared data folder is opened to every user by its mode. (Windows had
  // to prepare a security descriptor first, a step that could fail; a mode
  // needs no preparation.)
  const mode_t shared_mode = kSharedFolderMode;
  const mode_t* exact_mode = Shared().gPerUserDataPath ? nullptr : &shared_mode;
  Status made = shell.MakeDirectory(folder, exact_mode);
  if (!made.ok()) ReportError("modMultiUser.MakeDir", folder, OsErrorOf(made));
}

int32_t SetFileEveryoneAccess(const std::string& file) {
  if (Shared().gPerUserDataPath) return 0;
  // As in MakeDir, there is no security descriptor to prepare: the mode is
  // the whole of it.
  Status set = TheShell().SetMode(file, kSharedFileMode);
  if (set.ok()) {
    DebugOutput("Everyone FullControl Set on File: " + file);
    return 0;
  }
  ReportError("modMultiUser.SetFileEveryoneAccess",
              "SetFileSecurity - Unable to Set New Security Descriptor to File : " + file,
              OsErrorOf(set));
  // A failure must never read as success, even without an OS error code.
  return set.os_error() != 0 ? set.os_error() : EIO;
}

std::string GetNetworkUserName() { return TheShell().LoginName(); }

// The system log keeps lines apart itself: no CR LF is added.
void DebugOutput(std::string_view text) { TheShell().DebugOutput(text); }

}  // namespace olconn97
