// The registry export format ("Windows Registry Editor Version 5.00"), read
// and written: the hive files of the store and the admin tool's import and
// export use it.
//
// Reading accepts what regedit writes (UTF-16 LE with a byte-order mark, or
// UTF-8; "REGEDIT4" files in the ANSI code page; hex data continued over
// several lines, two digits a byte; deletion entries "[-KEY]" and
// "name"=-), and UTF-16 BE with its byte-order mark, as other editors may
// save a file. Writing produces UTF-8 without byte-order mark, CR LF line
// ends, REG_SZ as quoted strings and REG_DWORD as dword:, the other types
// as regedit's hex forms.
#ifndef OLCONN97_OUTSIDE_REGISTRY_REG_FILE_H_
#define OLCONN97_OUTSIDE_REGISTRY_REG_FILE_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "outside/registry/registry.h"

namespace olconn97::registry {

inline constexpr std::string_view kRegFileHeader = "Windows Registry Editor Version 5.00";

// "HKEY_CURRENT_USER" or its short form "HKCU" (any case), ...
std::optional<Hive> HiveFromName(std::string_view name);

struct KeyName {
  Hive hive = Hive::kCurrentUser;
  std::string path;  // below the hive, as given
};
// "HKEY_CURRENT_USER\Software\X" (or "HKCU\Software\X"); kInvalidArgument
// when it does not begin with a hive name.
Result<KeyName> ParseKeyName(std::string_view full_name);

// One line of a file, in file order.
struct RegFileEntry {
  enum class Kind { kKey, kDeleteKey, kValue, kDeleteValue };
  Kind kind = Kind::kKey;
  Hive hive = Hive::kCurrentUser;
  std::string path;  // the key, below the hive
  std::string name;  // the value name ("" for the default value)
  RegValue value;    // kValue only
  int line = 0;
};

struct RegFileFault {
  int line = 0;  // 1-based; 0 for the file as a whole
  std::string message;
  std::string ToString() const;
};

struct RegFileContent {
  std::vector<RegFileEntry> entries;
  // Lines that could not be read; they are skipped, and so are the values
  // below an unreadable key line.
  std::vector<RegFileFault> faults;
};

RegFileContent ParseRegFile(std::string_view bytes);

// Applies the entries of `hive` to `tree` in file order; entries of other
// hives are left out.
void ApplyRegFileEntries(const std::vector<RegFileEntry>& entries, Hive hive, RegTree& tree);

// A whole file holding `key` and everything below it; `key_name` is the key's
// full name ("HKEY_CURRENT_USER\Software"), or the bare hive name for the
// root, which is written only when it has values. Fails with
// kInvalidArgument for a key name the format cannot hold (a line break).
Result<std::string> WriteRegFile(std::string_view key_name, const RegKey& key);

}  // namespace olconn97::registry

#endif  // OLCONN97_OUTSIDE_REGISTRY_REG_FILE_H_
