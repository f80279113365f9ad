#include "core/settings.h"

#include "core/reports.h"
#include "core/shared_state.h"
#include "outside/registry/file_registry.h"

namespace olconn97 {

std::string RegReadString(Hive hive, std::string_view key_path, std::string_view value_name) {
  Result<registry::RegValue> value =
      registry::QueryValue(Shared().services.registry(), hive, key_path, value_name);
  if (!value.ok()) return {};
  const registry::RegValue& v = value.value();
  if (v.DataSize() > kRegReadBufferSize) return {};
  switch (v.type) {
    case registry::ValueType::kSz:
    case registry::ValueType::kExpandSz:
      return v.data.substr(0, v.data.find('\0'));
    case registry::ValueType::kDword:
      return std::to_string(v.AsDword());
    default:
      return {};
  }
}

bool RegWriteString(Hive hive, std::string_view key_path, std::string_view value_name,
                    std::string_view text) {
  std::string stored = text.empty() ? std::string(" ") : std::string(text);
  return registry::SetValue(Shared().services.registry(), hive, key_path, value_name,
                            registry::RegValue::String(std::move(stored)))
      .ok();
}

bool RegKeyExists(Hive hive, std::string_view key_path) {
  return registry::KeyExists(Shared().services.registry(), hive, key_path);
}

void ReportSettingsFile(std::string_view message) {
  registry::ReportOnStderr(message);
  ReportLogWhenLoaded("Settings: " + std::string(message));
}

}  // namespace olconn97
