// "reg query": lists keys and values, looks up one value, or searches.
#include <cstdio>
#include <ostream>
#include <set>

#include "base/strings.h"
#include "outside/registry/reg_command_internal.h"

namespace olconn97::registry::reg_command {
namespace {

struct Query {
  bool recursive = false;
  std::optional<std::string> value_name;  // /v NAME, or "" for /ve
  std::optional<std::string> find;        // /f
  bool keys_only = false;                 // /k
  bool data_only = false;                 // /d
  bool case_sensitive = false;            // /c
  bool exact = false;                     // /e
  std::set<ValueType> types;              // /t; empty: all
  std::string separator = "\\0";          // /se
  bool verbose = false;                   // /z
};

std::string DataText(const RegValue& value, std::string_view separator) {
  char number[32];
  switch (value.type) {
    case ValueType::kSz:
    case ValueType::kExpandSz:
      return value.data;
    case ValueType::kDword:
      if (value.data.size() != 4) break;
      std::snprintf(number, sizeof number, "0x%x", value.AsDword());
      return number;
    case ValueType::kQword:
      if (value.data.size() != 8) break;
      {
        unsigned long long wide = 0;
        for (int i = 7; i >= 0; --i) wide = (wide << 8) | static_cast<unsigned char>(value.data[i]);
        std::snprintf(number, sizeof number, "0x%llx", wide);
      }
      return number;
    case ValueType::kMultiSz: {
      std::string_view strings = value.data;
      if (strings.ends_with('\0')) strings.remove_suffix(1);
      return strings.empty() ? std::string()
                             : ReplaceAll(strings, std::string_view("\0", 1), separator);
    }
    default:
      break;
  }
  std::string hex;
  for (char c : value.data) {
    std::snprintf(number, sizeof number, "%02X", static_cast<unsigned char>(c));
    hex += number;
  }
  return hex;
}

class Printer {
 public:
  Printer(const Query& query, std::ostream& out) : query_(query), out_(out) {}

  void ListKey(const std::string& name, const RegKey& key);
  void FindValue(const std::string& name, const RegKey& key);
  void Search(const std::string& name, const RegKey& key, bool is_top);
  int matches() const { return matches_; }

 private:
  bool TypeShown(const RegValue& value) const {
    return query_.types.empty() || query_.types.contains(value.type);
  }
  bool Matches(std::string_view text) const;
  void PrintValue(const RegKey::NamedValue& named);

  const Query& query_;
  std::ostream& out_;
  int matches_ = 0;
};

void Printer::PrintValue(const RegKey::NamedValue& named) {
  std::string type = TypeName(named.value.type);
  if (query_.verbose) type += " (" + std::to_string(static_cast<uint32_t>(named.value.type)) + ")";
  out_ << "    " << (named.name.empty() ? "(Default)" : named.name) << "    " << type << "    "
       << DataText(named.value, query_.separator) << "\n";
}

bool Printer::Matches(std::string_view text) const {
  const std::string& pattern = *query_.find;
  if (pattern == "*") return true;
  std::string haystack = query_.case_sensitive ? std::string(text) : ToLowerAscii(text);
  std::string needle = query_.case_sensitive ? pattern : ToLowerAscii(pattern);
  return query_.exact ? haystack == needle : haystack.find(needle) != std::string::npos;
}

void Printer::ListKey(const std::string& name, const RegKey& key) {
  out_ << "\n" << name << "\n";
  for (const RegKey::NamedValue& named : key.values()) {
    if (TypeShown(named.value)) PrintValue(named);
  }
  if (query_.recursive) {
    for (const auto& sub : key.subkeys()) ListKey(name + "\\" + sub->name(), *sub);
    return;
  }
  if (!key.subkeys().empty()) out_ << "\n";
  for (const auto& sub : key.subkeys()) out_ << name << "\\" << sub->name() << "\n";
}

void Printer::FindValue(const std::string& name, const RegKey& key) {
  for (const RegKey::NamedValue& named : key.values()) {
    if (EqualsIgnoreCase(named.name, *query_.value_name) && TypeShown(named.value)) {
      out_ << "\n" << name << "\n";
      PrintValue(named);
      ++matches_;
    }
  }
  if (!query_.recursive) return;
  for (const auto& sub : key.subkeys()) FindValue(name + "\\" + sub->name(), *sub);
}

void Printer::Search(const std::string& name, const RegKey& key, bool is_top) {
  bool header = false;
  if (!is_top && !query_.data_only && Matches(key.name())) {
    out_ << "\n" << name << "\n";
    header = true;
    ++matches_;
  }
  if (is_top || query_.recursive) {
    for (const RegKey::NamedValue& named : key.values()) {
      if (query_.keys_only || !TypeShown(named.value)) continue;
      bool found = (!query_.data_only && Matches(named.name)) ||
                   Matches(DataText(named.value, query_.separator));
      if (!found) continue;
      if (!header) out_ << "\n" << name << "\n";
      header = true;
      PrintValue(named);
      ++matches_;
    }
  }
  if (!is_top && !query_.recursive) return;
  for (const auto& sub : key.subkeys()) Search(name + "\\" + sub->name(), *sub, false);
}

constexpr OptionRule kOptions[] = {{"v", true},  {"ve", false}, {"s", false}, {"f", true},
                                   {"k", false}, {"d", false},  {"c", false}, {"e", false},
                                   {"t", true},  {"z", false},  {"se", true}};

// The query the options ask for; false when they do not go together.
bool MakeQuery(const Args& args, Query& query) {
  query.recursive = args.Has("s");
  if (args.Has("v") && args.Has("ve")) return false;
  if (args.Has("v")) query.value_name = *args.Get("v");
  if (args.Has("ve")) query.value_name = "";
  if (args.Has("f")) query.find = *args.Get("f");
  query.keys_only = args.Has("k");
  query.data_only = args.Has("d");
  query.case_sensitive = args.Has("c");
  query.exact = args.Has("e");
  query.verbose = args.Has("z");
  if (args.Has("se")) query.separator = *args.Get("se");
  bool search_options = query.keys_only || query.data_only || query.case_sensitive || query.exact;
  if (query.find ? query.value_name.has_value() || (query.keys_only && query.data_only)
                 : search_options) {
    return false;
  }
  if (const std::string* types = args.Get("t")) {
    for (std::string_view type : Split(*types, ',')) {
      std::optional<ValueType> known = TypeFromName(TrimBlanks(type));
      if (!known) return false;
      query.types.insert(*known);
    }
  }
  return !query.separator.empty();
}

}  // namespace

int RunQuery(Registry& registry, std::span<const std::string> words, Io& io) {
  Result<Args> parsed = ParseArgs(words, kOptions);
  Query query;
  if (!parsed.ok() || parsed.value().positional.size() != 1 || !MakeQuery(parsed.value(), query)) {
    return SyntaxError(io, "QUERY");
  }
  Result<KeyName> key = ParseCommandKey(parsed.value().positional[0]);
  if (!key.ok()) return Fail(io, key.status().description());
  auto tree = registry.Snapshot(key.value().hive);
  if (!tree.ok()) return Fail(io, tree.status().description());
  const RegKey* found = tree.value()->Find(key.value().path);
  if (found == nullptr) return Fail(io, kNotFoundMessage);
  std::string name = StoredKeyName(key.value().hive, *tree.value(), key.value().path);
  Printer printer(query, io.out);
  if (query.find) {
    printer.Search(name, *found, /*is_top=*/true);
  } else if (query.value_name) {
    printer.FindValue(name, *found);
    if (printer.matches() == 0) return Fail(io, kNotFoundMessage);
    if (!query.recursive) return 0;
  } else {
    printer.ListKey(name, *found);
    return 0;
  }
  io.out << "\nEnd of search: " << printer.matches() << " match(es) found.\n";
  return 0;
}

}  // namespace olconn97::registry::reg_command
