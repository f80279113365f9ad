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
  struct Options {
    std::string current_user_file;   // HKEY_CURRENT_USER
    std::string local_machine_file;  // HKEY_LOCAL_MACHINE
    // fsync the file and its folder on every write (off only for speed in tests).
    bool durable = true;
    // Where a malformed file is reported (once per file version).
    std::function<void(std::string_view message)> report;
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

// A FileRegistry on the default paths, reporting to the debugger output.
std::unique_ptr<Registry> OpenDefaultRegistry();

}  // namespace olconn97::registry

#endif  // OLCONN97_OUTSIDE_REGISTRY_FILE_REGISTRY_H_
