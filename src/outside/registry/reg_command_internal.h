// What the operations of the "reg" command share: their arguments, their
// messages, and the names of value types.
#ifndef OLCONN97_OUTSIDE_REGISTRY_REG_COMMAND_INTERNAL_H_
#define OLCONN97_OUTSIDE_REGISTRY_REG_COMMAND_INTERNAL_H_

#include <iosfwd>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "outside/registry/reg_file.h"
#include "outside/registry/registry.h"

namespace olconn97::registry::reg_command {

struct Io {
  std::istream& in;
  std::ostream& out;
  std::ostream& err;
};

struct OptionRule {
  std::string_view name;  // lower case, without "/"
  bool takes_value;
};

struct Args {
  std::vector<std::string> positional;
  std::map<std::string, std::string> options;  // by lower-case name
  bool Has(std::string_view name) const { return options.contains(std::string(name)); }
  const std::string* Get(std::string_view name) const;
};

// Words that are an option of `rules` ("/v", "-V", ...) become options, the
// value-taking ones with the next word; the rest are positional. Fails for
// an option given twice or missing its value.
Result<Args> ParseArgs(std::span<const std::string> words, std::span<const OptionRule> rules);

// "ERROR: <message>" on the error stream; returns the failure exit code.
int Fail(Io& io, std::string_view message);
int SyntaxError(Io& io, std::string_view operation);
// "The operation completed successfully."; returns the success exit code.
int Done(Io& io);
inline constexpr std::string_view kNotFoundMessage =
    "The system was unable to find the specified registry key or value.";

// Asks a yes/no question on the output; true only for an answer beginning
// with "y" (any case).
bool Confirm(Io& io, std::string_view question);

// A key name as the command takes it; a remote "\\machine\..." is refused.
Result<KeyName> ParseCommandKey(std::string_view text);
// The key's full name with the names as stored ("HKEY_CURRENT_USER\Software").
std::string StoredKeyName(Hive hive, const RegTree& tree, std::string_view path);

std::string TypeName(ValueType type);
std::optional<ValueType> TypeFromName(std::string_view name);

int RunQuery(Registry& registry, std::span<const std::string> words, Io& io);

}  // namespace olconn97::registry::reg_command

#endif  // OLCONN97_OUTSIDE_REGISTRY_REG_COMMAND_INTERNAL_H_
