#include "outside/registry/reg_command.h"

#include <cerrno>
#include <charconv>
#include <functional>
#include <istream>
#include <ostream>
#include <set>

#include "base/strings.h"
#include "outside/registry/hive_file_io.h"
#include "outside/registry/reg_command_internal.h"

namespace olconn97::registry {
namespace reg_command {
namespace {

constexpr std::string_view kUsage =
    "REG operation [parameters]\n"
    "  operation: QUERY | ADD | DELETE | IMPORT | EXPORT\n"
    "Type \"REG operation /?\" for the parameters of an operation.\n"
    "Exit codes: 0 done, 1 failed.\n";

struct Operation {
  std::string_view name;
  std::string_view usage;
  int (*run)(Registry&, std::span<const std::string>, Io&);
};

constexpr std::string_view kHelpQuery =
    "REG QUERY KeyName [/v ValueName | /ve] [/s] [/f Data [/k | /d] [/c] [/e]] [/t Types] [/z]"
    " [/se Separator]\n"
    "  KeyName  HKCU\\Path or HKLM\\Path (HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE)\n"
    "  /v       the value of that name          /ve  the default value\n"
    "  /s       every key below KeyName too      /f   search names and data for Data\n"
    "  /k       search key names only            /d   search data only\n"
    "  /c       case-sensitive search            /e   exact matches only\n"
    "  /t       value types to show, e.g. REG_SZ,REG_DWORD\n"
    "  /z       show the number of the type      /se  separator for REG_MULTI_SZ (\\0)\n";
constexpr std::string_view kHelpAdd =
    "REG ADD KeyName [/v ValueName | /ve] [/t Type] [/s Separator] [/d Data] [/f]\n"
    "  /t  REG_SZ (default), REG_EXPAND_SZ, REG_MULTI_SZ, REG_DWORD, REG_QWORD, REG_BINARY,"
    " REG_NONE\n"
    "  /s  separator of the strings of a REG_MULTI_SZ in Data (default \\0)\n"
    "  /d  the data: text, a number (decimal or 0x hex), or hex digits for binary data\n"
    "  /f  overwrite an existing value without asking\n";
constexpr std::string_view kHelpDelete =
    "REG DELETE KeyName [/v ValueName | /ve | /va] [/f]\n"
    "  without /v, /ve or /va the key is deleted with everything below it\n"
    "  /va  every value of the key                /f  do not ask\n";
constexpr std::string_view kHelpImport = "REG IMPORT FileName\n  FileName  a .reg file\n";
constexpr std::string_view kHelpExport =
    "REG EXPORT KeyName FileName [/y]\n  /y  overwrite an existing file without asking\n";

bool IsHelp(std::string_view word) {
  return word == "/?" || word == "-?" || word == "-h" || word == "--help";
}

// A number as reg.exe takes it: decimal, or hexadecimal after "0x".
std::optional<uint64_t> ParseNumber(std::string_view text, uint64_t max) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  uint64_t number = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number, base);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || number > max) {
    return std::nullopt;
  }
  return number;
}

Result<RegValue> MakeValue(ValueType type, std::string_view data, std::string_view separator) {
  auto invalid = [&] {
    return Status::InvalidArgument("Invalid data for " + TypeName(type) + ": \"" +
                                   std::string(data) + "\".");
  };
  switch (type) {
    case ValueType::kSz:
    case ValueType::kExpandSz:
      return RegValue{type, std::string(data)};
    case ValueType::kDword:
    case ValueType::kQword: {
      bool wide = type == ValueType::kQword;
      std::optional<uint64_t> number =
          data.empty() ? 0 : ParseNumber(data, wide ? UINT64_MAX : UINT32_MAX);
      if (!number) return invalid();
      std::string bytes(wide ? 8 : 4, '\0');
      for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(*number >> (8 * i));
      return RegValue{type, std::move(bytes)};
    }
    case ValueType::kMultiSz: {
      std::string joined;
      if (!data.empty()) joined = ReplaceAll(data, separator, std::string_view("\0", 1)) + '\0';
      return RegValue{type, std::move(joined)};
    }
    case ValueType::kBinary:
    case ValueType::kNone: {
      std::string bytes;
      if (data.size() % 2 != 0) return invalid();
      for (size_t i = 0; i < data.size(); i += 2) {
        std::optional<uint64_t> byte = ParseNumber("0x" + std::string(data.substr(i, 2)), 0xFF);
        if (!byte) return invalid();
        bytes += static_cast<char>(*byte);
      }
      return RegValue{type, std::move(bytes)};
    }
    default:
      return Status::InvalidArgument("Values of type " + TypeName(type) + " cannot be added.");
  }
}

std::string ShownName(std::string_view name) {
  return name.empty() ? "(Default)" : std::string(name);
}

int RunAdd(Registry& registry, std::span<const std::string> words, Io& io) {
  static constexpr OptionRule kOptions[] = {{"v", true}, {"ve", false}, {"t", true},
                                            {"s", true}, {"d", true},   {"f", false}};
  Result<Args> parsed = ParseArgs(words, kOptions);
  if (!parsed.ok() || parsed.value().positional.size() != 1) return SyntaxError(io, "ADD");
  const Args& args = parsed.value();
  if (args.Has("v") && args.Has("ve")) return SyntaxError(io, "ADD");
  Result<KeyName> key = ParseCommandKey(args.positional[0]);
  if (!key.ok()) return Fail(io, key.status().description());
  bool sets_value = args.Has("v") || args.Has("ve") || args.Has("t") || args.Has("d");
  if (!sets_value) {
    Status created = CreateKey(registry, key.value().hive, key.value().path);
    return created.ok() ? Done(io) : Fail(io, created.description());
  }
  std::string name = args.Has("v") ? *args.Get("v") : std::string();
  std::optional<ValueType> type = TypeFromName(args.Has("t") ? *args.Get("t") : "REG_SZ");
  if (!type) return Fail(io, "Unknown value type \"" + *args.Get("t") + "\".");
  std::string separator = args.Has("s") ? *args.Get("s") : "\\0";
  if (separator.empty()) return SyntaxError(io, "ADD");
  Result<RegValue> value = MakeValue(*type, args.Has("d") ? *args.Get("d") : "", separator);
  if (!value.ok()) return Fail(io, value.status().description());
  bool exists = QueryValue(registry, key.value().hive, key.value().path, name).ok();
  if (exists && !args.Has("f") && !Confirm(io, "Value " + ShownName(name) + " exists, overwrite")) {
    io.out << "The operation was canceled by the user.\n";
    return 1;
  }
  Status stored = SetValue(registry, key.value().hive, key.value().path, name, value.value());
  return stored.ok() ? Done(io) : Fail(io, stored.description());
}

struct Deletion {
  std::string question;
  std::function<Status(RegTree&)> change;
};

// What "reg delete" is to do, checked against the store as it is now.
Result<Deletion> PlanDeletion(Registry& registry, const Args& args, const KeyName& target) {
  if (!KeyExists(registry, target.hive, target.path)) {
    return Status::NotFound(std::string(kNotFoundMessage));
  }
  const std::string& shown = args.positional[0];
  if (args.Has("va")) {
    return Deletion{"Delete all values under the registry key " + shown, [target](RegTree& tree) {
                      RegKey* found = tree.Find(target.path);
                      if (found == nullptr) return Status::NotFound(std::string(kNotFoundMessage));
                      while (!found->values().empty()) {
                        found->DeleteValue(found->values().front().name);
                      }
                      return Status::Ok();
                    }};
  }
  if (args.Has("v") || args.Has("ve")) {
    std::string name = args.Has("v") ? *args.Get("v") : std::string();
    if (!QueryValue(registry, target.hive, target.path, name).ok()) {
      return Status::NotFound(std::string(kNotFoundMessage));
    }
    return Deletion{"Delete the registry value " + ShownName(name), [target, name](RegTree& tree) {
                      RegKey* found = tree.Find(target.path);
                      if (found == nullptr || !found->DeleteValue(name)) {
                        return Status::NotFound(std::string(kNotFoundMessage));
                      }
                      return Status::Ok();
                    }};
  }
  if (SplitKeyPath(target.path).empty()) {
    return Status::InvalidArgument("The root of a hive cannot be deleted.");
  }
  return Deletion{"Permanently delete the registry key " + shown,
                  [target](RegTree& tree) { return tree.Delete(target.path, /*recursive=*/true); }};
}

int RunDelete(Registry& registry, std::span<const std::string> words, Io& io) {
  static constexpr OptionRule kOptions[] = {
      {"v", true}, {"ve", false}, {"va", false}, {"f", false}};
  Result<Args> parsed = ParseArgs(words, kOptions);
  if (!parsed.ok() || parsed.value().positional.size() != 1) return SyntaxError(io, "DELETE");
  const Args& args = parsed.value();
  if (args.Has("v") + args.Has("ve") + args.Has("va") > 1) return SyntaxError(io, "DELETE");
  Result<KeyName> key = ParseCommandKey(args.positional[0]);
  if (!key.ok()) return Fail(io, key.status().description());
  Result<Deletion> deletion = PlanDeletion(registry, args, key.value());
  if (!deletion.ok()) return Fail(io, deletion.status().description());
  if (!args.Has("f") && !Confirm(io, deletion.value().question)) {
    io.out << "The operation was canceled by the user.\n";
    return 1;
  }
  Status done = registry.Update(key.value().hive, deletion.value().change);
  return done.ok() ? Done(io) : Fail(io, done.IsNotFound() ? kNotFoundMessage : done.description());
}

int RunImport(Registry& registry, std::span<const std::string> words, Io& io) {
  Result<Args> parsed = ParseArgs(words, {});
  if (!parsed.ok() || parsed.value().positional.size() != 1) return SyntaxError(io, "IMPORT");
  const std::string& file_name = parsed.value().positional[0];
  Result<FileContent> file = ReadWholeFile(file_name);
  if (!file.ok()) return Fail(io, "Error opening the file: " + file.status().description());
  RegFileContent content = ParseRegFile(file.value().bytes);
  if (!content.faults.empty()) {
    for (const RegFileFault& fault : content.faults) {
      io.err << file_name << ": " << fault.ToString() << "\n";
    }
    return Fail(io, "The file is not a registry script that can be read; nothing was imported.");
  }
  std::set<Hive> hives;
  for (const RegFileEntry& entry : content.entries) hives.insert(entry.hive);
  // Every hive is checked before any is changed.
  for (Hive hive : hives) {
    if (!registry.Snapshot(hive).ok() || !registry.CanWrite(hive)) {
      return Fail(io, "Error accessing the registry: " + std::string(HiveName(hive)) +
                          " cannot be changed.");
    }
  }
  for (Hive hive : hives) {
    Status applied = registry.Update(hive, [&](RegTree& tree) {
      ApplyRegFileEntries(content.entries, hive, tree);
      return Status::Ok();
    });
    if (!applied.ok()) return Fail(io, "Error accessing the registry: " + applied.description());
  }
  return Done(io);
}

int RunExport(Registry& registry, std::span<const std::string> words, Io& io) {
  static constexpr OptionRule kOptions[] = {{"y", false}};
  Result<Args> parsed = ParseArgs(words, kOptions);
  if (!parsed.ok() || parsed.value().positional.size() != 2) return SyntaxError(io, "EXPORT");
  const Args& args = parsed.value();
  Result<KeyName> key = ParseCommandKey(args.positional[0]);
  if (!key.ok()) return Fail(io, key.status().description());
  auto tree = registry.Snapshot(key.value().hive);
  if (!tree.ok()) return Fail(io, tree.status().description());
  const RegKey* found = tree.value()->Find(key.value().path);
  if (found == nullptr) return Fail(io, kNotFoundMessage);
  Result<std::string> text =
      WriteRegFile(StoredKeyName(key.value().hive, *tree.value(), key.value().path), *found);
  if (!text.ok()) return Fail(io, text.status().description());
  const std::string& file_name = args.positional[1];
  Result<FileIdentity> existing = IdentifyFile(file_name);
  if (existing.ok() && existing.value().exists && !args.Has("y") &&
      !Confirm(io, "File " + file_name + " already exists. Overwrite")) {
    io.out << "The operation was canceled by the user.\n";
    return 1;
  }
  Status written = ReplaceFileAtomically(file_name, text.value(), /*durable=*/true);
  return written.ok() ? Done(io) : Fail(io, written.description());
}

constexpr Operation kOperations[] = {
    {"query", kHelpQuery, RunQuery},    {"add", kHelpAdd, RunAdd},
    {"delete", kHelpDelete, RunDelete}, {"import", kHelpImport, RunImport},
    {"export", kHelpExport, RunExport},
};

}  // namespace
}  // namespace reg_command

int RunRegCommand(Registry& registry, const std::vector<std::string>& args, std::istream& in,
                  std::ostream& out, std::ostream& err) {
  using namespace reg_command;
  Io io{in, out, err};
  if (args.empty() || IsHelp(args[0])) {
    (args.empty() ? err : out) << kUsage;
    return args.empty() ? 1 : 0;
  }
  for (const Operation& operation : kOperations) {
    if (!EqualsIgnoreCase(args[0], operation.name)) continue;
    std::span<const std::string> words(args.begin() + 1, args.end());
    if (words.size() == 1 && IsHelp(words[0])) {
      out << operation.usage;
      return 0;
    }
    return operation.run(registry, words, io);
  }
  err << "ERROR: Invalid operation \"" << args[0] << "\".\n" << kUsage;
  return 1;
}

}  // namespace olconn97::registry
