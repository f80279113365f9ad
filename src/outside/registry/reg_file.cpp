// Hive names and writing the registry export format.
#include "outside/registry/reg_file.h"

#include <array>
#include <cstdio>

#include "base/strings.h"
#include "outside/registry/reg_text.h"

namespace olconn97::registry {
namespace {

struct HiveNames {
  Hive hive;
  std::string_view short_name;
};

constexpr std::array<HiveNames, 7> kHiveNames = {{
    {Hive::kClassesRoot, "HKCR"},
    {Hive::kCurrentUser, "HKCU"},
    {Hive::kLocalMachine, "HKLM"},
    {Hive::kUsers, "HKU"},
    {Hive::kPerformanceData, ""},
    {Hive::kCurrentConfig, "HKCC"},
    {Hive::kDynData, ""},
}};

std::string Quoted(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '"':
        out += "\\\"";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\0':
        out += "\\0";
        break;
      default:
        out += c;
        break;
    }
  }
  return out + "\"";
}

std::string HexList(std::string_view bytes) {
  std::string out;
  char digits[4];
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(digits, sizeof digits, "%02x", static_cast<unsigned char>(bytes[i]));
    if (i > 0) out += ',';
    out += digits;
  }
  return out;
}

std::string ValueLine(const RegKey::NamedValue& named) {
  std::string line = named.name.empty() ? "@=" : Quoted(named.name) + "=";
  const RegValue& value = named.value;
  char number[32];
  switch (value.type) {
    case ValueType::kSz:
      return line + Quoted(value.data);
    case ValueType::kDword:
      if (value.data.size() != 4) break;
      std::snprintf(number, sizeof number, "dword:%08x", value.AsDword());
      return line + number;
    case ValueType::kExpandSz:
    case ValueType::kMultiSz:
      // regedit keeps these as UTF-16 with their terminating NUL.
      std::snprintf(number, sizeof number, "hex(%x):", static_cast<unsigned>(value.type));
      return line + number + HexList(Utf8ToUtf16Le(value.data) + std::string(2, '\0'));
    case ValueType::kBinary:
      return line + "hex:" + HexList(value.data);
    default:
      break;
  }
  std::snprintf(number, sizeof number, "hex(%x):", static_cast<unsigned>(value.type));
  return line + number + HexList(value.data);
}

Status WriteKey(const std::string& name, const RegKey& key, bool write_self, std::string& out) {
  if (name.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos) {
    return Status::InvalidArgument("a key name with a line break cannot be stored: " + name);
  }
  if (write_self) {
    out += "[" + name + "]\r\n";
    for (const RegKey::NamedValue& named : key.values()) out += ValueLine(named) + "\r\n";
    out += "\r\n";
  }
  for (const auto& sub : key.subkeys()) {
    OLC_RETURN_IF_ERROR(WriteKey(name + "\\" + sub->name(), *sub, true, out));
  }
  return Status::Ok();
}

}  // namespace

std::optional<Hive> HiveFromName(std::string_view name) {
  for (const HiveNames& names : kHiveNames) {
    if (EqualsIgnoreCase(name, HiveName(names.hive)) ||
        (!names.short_name.empty() && EqualsIgnoreCase(name, names.short_name))) {
      return names.hive;
    }
  }
  return std::nullopt;
}

Result<KeyName> ParseKeyName(std::string_view full_name) {
  size_t slash = full_name.find('\\');
  std::optional<Hive> hive = HiveFromName(full_name.substr(0, slash));
  if (!hive) {
    return Status::InvalidArgument("not a key name: \"" + std::string(full_name) +
                                   "\" (it must begin with a hive such as HKEY_CURRENT_USER)");
  }
  KeyName name;
  name.hive = *hive;
  if (slash != std::string_view::npos) name.path = std::string(full_name.substr(slash + 1));
  return name;
}

Result<std::string> WriteRegFile(std::string_view key_name, const RegKey& key) {
  std::string out = std::string(kRegFileHeader) + "\r\n\r\n";
  bool is_root = key_name.find('\\') == std::string_view::npos;
  OLC_RETURN_IF_ERROR(WriteKey(std::string(key_name), key, !is_root || !key.values().empty(), out));
  return out;
}

}  // namespace olconn97::registry
