#include <array>
#include <istream>
#include <ostream>

#include "base/strings.h"
#include "outside/registry/reg_command_internal.h"

namespace olconn97::registry::reg_command {
namespace {

struct TypeEntry {
  ValueType type;
  std::string_view name;
};

constexpr std::array<TypeEntry, 12> kTypeNames = {{
    {ValueType::kNone, "REG_NONE"},
    {ValueType::kSz, "REG_SZ"},
    {ValueType::kExpandSz, "REG_EXPAND_SZ"},
    {ValueType::kBinary, "REG_BINARY"},
    {ValueType::kDword, "REG_DWORD"},
    {static_cast<ValueType>(5), "REG_DWORD_BIG_ENDIAN"},
    {static_cast<ValueType>(6), "REG_LINK"},
    {ValueType::kMultiSz, "REG_MULTI_SZ"},
    {static_cast<ValueType>(8), "REG_RESOURCE_LIST"},
    {static_cast<ValueType>(9), "REG_FULL_RESOURCE_DESCRIPTOR"},
    {static_cast<ValueType>(10), "REG_RESOURCE_REQUIREMENTS_LIST"},
    {ValueType::kQword, "REG_QWORD"},
}};

bool IsOptionWord(std::string_view word) {
  return word.size() > 1 && (word[0] == '/' || word[0] == '-');
}

}  // namespace

const std::string* Args::Get(std::string_view name) const {
  auto it = options.find(std::string(name));
  return it == options.end() ? nullptr : &it->second;
}

Result<Args> ParseArgs(std::span<const std::string> words, std::span<const OptionRule> rules) {
  Args args;
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    std::string name = IsOptionWord(word) ? ToLowerAscii(word.substr(1)) : std::string();
    if (name == "reg:32" || name == "reg:64") continue;  // one view here
    const OptionRule* rule = nullptr;
    for (const OptionRule& candidate : rules) {
      if (candidate.name == name) rule = &candidate;
    }
    if (rule == nullptr) {
      args.positional.push_back(word);
      continue;
    }
    if (args.options.contains(name)) return Status::InvalidArgument("/" + name + " given twice");
    std::string value;
    if (rule->takes_value) {
      if (i + 1 == words.size()) return Status::InvalidArgument("/" + name + " needs a value");
      value = words[++i];
    }
    args.options.emplace(name, std::move(value));
  }
  return args;
}

int Fail(Io& io, std::string_view message) {
  io.err << "ERROR: " << message << "\n";
  return 1;
}

int SyntaxError(Io& io, std::string_view operation) {
  io.err << "ERROR: Invalid syntax.\nType \"REG " << operation << " /?\" for usage.\n";
  return 1;
}

int Done(Io& io) {
  io.out << "The operation completed successfully.\n";
  return 0;
}

bool Confirm(Io& io, std::string_view question) {
  io.out << question << " (Yes/No)? " << std::flush;
  std::string answer;
  if (!std::getline(io.in, answer)) {
    io.out << "\n";
    return false;
  }
  answer = std::string(TrimBlanks(answer));
  return !answer.empty() && ToLowerAscii(answer[0]) == 'y';
}

Result<KeyName> ParseCommandKey(std::string_view text) {
  if (text.starts_with("\\\\")) {
    return Status::InvalidArgument("Keys on other machines cannot be reached.");
  }
  Result<KeyName> name = ParseKeyName(text);
  if (!name.ok()) return Status::InvalidArgument("Invalid key name.");
  return name;
}

std::string StoredKeyName(Hive hive, const RegTree& tree, std::string_view path) {
  std::string name(HiveName(hive));
  const RegKey* key = &tree.root();
  for (std::string_view part : SplitKeyPath(path)) {
    key = key != nullptr ? key->FindSubkey(part) : nullptr;
    name += "\\";
    name += key != nullptr ? std::string_view(key->name()) : part;
  }
  return name;
}

std::string TypeName(ValueType type) {
  for (const TypeEntry& entry : kTypeNames) {
    if (entry.type == type) return std::string(entry.name);
  }
  return "REG_UNKNOWN_" + std::to_string(static_cast<uint32_t>(type));
}

std::optional<ValueType> TypeFromName(std::string_view name) {
  if (EqualsIgnoreCase(name, "REG_DWORD_LITTLE_ENDIAN")) return ValueType::kDword;
  for (const TypeEntry& entry : kTypeNames) {
    if (EqualsIgnoreCase(entry.name, name)) return entry.type;
  }
  return std::nullopt;
}

}  // namespace olconn97::registry::reg_command
