// The settings store on files: each hive is a text file in the registry
// export format ("Windows Registry Editor Version 5.00"), so a .reg file
// exported on Windows imports as it is and ordinary tools can read ours.
//
// HKEY_CURRENT_USER is $XDG_CONFIG_HOME/olconn97/HKCU.reg (default
// ~/.config/olconn97/HKCU.reg), HKEY_LOCAL_MACHINE /etc/olconn97/HKLM.reg;
// OLCONN97_REGISTRY_DIR moves both into one folder. Other hives are not kept.
//
// Reads see what other processes wrote: a file whose modification time or
// size changed is read again. Every write takes an advisory lock on the
// sibling file "<hive>.lock", re-reads the file, applies the change and
// replaces the file atomically (temporary file, fsync, rename), so two
// processes never lose each other's writes and a crash never leaves a torn
// file.
//
// A file with lines that cannot be read is read as far as it is valid,
// copied aside as it is ("<hive>.malformed", see KeepCopyBeside) and
// reported, once for each version of the file.
#ifndef OLCONN97_OUTSIDE_REGISTRY_FILE_REGISTRY_H_
#define OLCONN97_OUTSIDE_REGISTRY_FILE_REGISTRY_H_

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "outside/registry/registry.h"

namespace olconn97::registry {

class FileRegistry : public Registry {
 public:
  // Called, under the store's lock, with a message naming a hive file, its
  // lines that cannot be read and where the file as it was is kept: once
  // per version of the file. It must not reach the store again.
  using Report = std::function<void(std::string_view message)>;

  struct Options {
    std::string current_user_file;   // HKEY_CURRENT_USER
    std::string local_machine_file;  // HKEY_LOCAL_MACHINE
    // fsync the file and its folder on every write (off only for speed in tests).
    bool durable = true;
    // Where a malformed file is reported.
    Report report;
  };

  explicit FileRegistry(Options options);
  ~FileRegistry() override;

  Result<std::shared_ptr<const RegTree>> Snapshot(Hive hive) override;
  Status Update(Hive hive, const std::function<Status(RegTree&)>& change) override;
  bool CanWrite(Hive hive) override;

 private:
  struct HiveFile;
  HiveFile* FileFor(Hive hive);

  Options options_;
  std::unique_ptr<HiveFile> current_user_;
  std::unique_ptr<HiveFile> local_machine_;
};

// The file paths the environment asks for (see above).
FileRegistry::Options DefaultFileRegistryOptions();

// Prints the report as one line on stderr, where the user of a command
// sees it and a desktop session's journal keeps it.
void ReportOnStderr(std::string_view message);

// A FileRegistry on the default paths.
std::unique_ptr<Registry> OpenDefaultRegistry(FileRegistry::Report report = ReportOnStderr);

}  // namespace olconn97::registry

#endif  // OLCONN97_OUTSIDE_REGISTRY_FILE_REGISTRY_H_
