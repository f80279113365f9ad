#include "core/reg_settings.h"

#include <cstdint>
#include <optional>

#include "base/strings.h"
#include "core/product_identity.h"
#include "core/shared_state.h"

namespace olconn97 {
namespace {

constexpr std::string_view kDefaultSubKey = "Software";
constexpr std::string_view kDefaultCompany = "Norvale";

registry::Registry& Store() { return Shared().services.registry(); }

// "*" names the key's default (unnamed) value.
std::string_view ValueName(std::string_view key) { return key == "*" ? std::string_view() : key; }

bool IsPredefinedHive(CRegSettings::Hive hive) {
  auto handle = static_cast<int32_t>(static_cast<uint32_t>(hive));
  return handle >= static_cast<int32_t>(0x80000000u) && handle <= static_cast<int32_t>(0x80000006u);
}

std::string TrimmedOrDefault(std::string_view text, std::string_view fallback) {
  return std::string(text.empty() ? fallback : TrimBlanks(text));
}

// A value's text the way a read of its data shows it: strings as stored;
// numbers as decimal text rather than their raw bytes; other data without
// its last byte, which a string's terminating NUL would have been. Empty
// when there is no data at all.
std::optional<std::string> SettingText(const registry::RegValue& value) {
  using registry::ValueType;
  switch (value.type) {
    case ValueType::kSz:
    case ValueType::kExpandSz:
    case ValueType::kMultiSz:
      return value.data;
    case ValueType::kDword:
      if (value.data.size() == 4) return std::to_string(value.AsDword());
      break;
    case ValueType::kQword:
      if (value.data.size() == 8) {
        uint64_t number = 0;
        for (int i = 7; i >= 0; --i) number = (number << 8) | static_cast<uint8_t>(value.data[i]);
        return std::to_string(number);
      }
      break;
    default:
      break;
  }
  if (value.data.empty()) return std::nullopt;
  return value.data.substr(0, value.data.size() - 1);
}

}  // namespace

CRegSettings::CRegSettings()
    : hive_(Hive::kCurrentUser),
      sub_key_(kDefaultSubKey),
      company_(kDefaultCompany),
      app_name_(kVersionProductName) {
  ComputeBaseKey();
}

void CRegSettings::set_hKey(Hive hive) {
  hive_ = IsPredefinedHive(hive) ? hive : Hive::kCurrentUser;
}

void CRegSettings::set_MSubKey(std::string_view text) {
  sub_key_ = TrimmedOrDefault(text, kDefaultSubKey);
  ComputeBaseKey();
}

void CRegSettings::set_Company(std::string_view text) {
  company_ = TrimmedOrDefault(text, kDefaultCompany);
  ComputeBaseKey();
}

void CRegSettings::set_AppName(std::string_view text) {
  app_name_ = TrimmedOrDefault(text, kVersionProductName);
  ComputeBaseKey();
}

void CRegSettings::ComputeBaseKey() { base_key_ = sub_key_ + "\\" + company_ + "\\" + app_name_; }

std::string CRegSettings::SectionPath(std::string_view section) const {
  return section.empty() ? base_key_ : base_key_ + "\\" + std::string(section);
}

bool CRegSettings::DeleteSetting(std::string_view section, std::string_view key) {
  if (!key.empty()) {
    return registry::DeleteValue(Store(), hive_, SectionPath(section), ValueName(key)).ok();
  }
  return registry::DeleteKey(Store(), hive_, SectionPath(section), /*recursive=*/false).ok();
}

bool CRegSettings::DeleteKey(Hive hive, std::string_view app_name, std::string_view section,
                             std::string_view key) {
  set_hKey(hive);
  set_AppName(app_name);
  return DeleteSetting(section, key);
}

bool CRegSettings::IsUserAdmin(Hive hive, std::string_view, std::string_view) {
  return IsPredefinedHive(hive) && Store().CanWrite(hive);
}

std::string CRegSettings::GetSetting(std::string_view section, std::string_view key,
                                     std::string_view default_value) {
  Result<registry::RegValue> value =
      registry::QueryValue(Store(), hive_, SectionPath(section), ValueName(key));
  if (!value.ok()) return std::string(default_value);
  return SettingText(value.value()).value_or(std::string(default_value));
}

std::string CRegSettings::GetSettingFromHKey(Hive hive, std::string_view app_name,
                                             std::string_view section, std::string_view key,
                                             std::string_view default_value) {
  set_hKey(hive);
  set_AppName(app_name);
  return GetSetting(section, key, default_value);
}

int32_t CRegSettings::GetSettingLong(std::string_view section, std::string_view key,
                                     int32_t default_value) {
  auto tree = Store().Snapshot(hive_);
  if (!tree.ok()) return -1;
  const registry::RegKey* found = tree.value()->Find(SectionPath(section));
  if (found == nullptr) return -1;
  const registry::RegValue* value = found->FindValue(ValueName(key));
  if (value == nullptr) return default_value;
  if (value->type != registry::ValueType::kDword || value->data.size() != 4) return 0;
  return static_cast<int32_t>(value->AsDword());
}

std::string CRegSettings::GetSettingLongFromHKey(Hive hive, std::string_view app_name,
                                                 std::string_view section, std::string_view key,
                                                 int32_t default_value) {
  set_hKey(hive);
  set_AppName(app_name);
  return std::to_string(GetSettingLong(section, key, default_value));
}

bool CRegSettings::SaveSetting(std::string_view section, std::string_view key,
                               std::string_view setting) {
  std::string path = SectionPath(section);
  std::string_view name = ValueName(key);
  if (!setting.empty()) {
    return registry::SetValue(Store(), hive_, path, name,
                              registry::RegValue::String(std::string(setting)))
        .ok();
  }
  // The section key is created even when there is no value to delete.
  bool deleted = false;
  Status stored = Store().Update(hive_, [&](registry::RegTree& tree) {
    deleted = tree.Create(path).DeleteValue(name);
    return Status::Ok();
  });
  return stored.ok() && deleted;
}

bool CRegSettings::SaveSettingToHKey(Hive hive, std::string_view app_name, std::string_view section,
                                     std::string_view key, std::string_view setting) {
  set_hKey(hive);
  set_AppName(app_name);
  return SaveSetting(section, key, setting);
}

bool CRegSettings::bGetSetting(std::string_view section, std::string_view key, int default_value) {
  return !GetSetting(section, key, default_value != 0 ? "1" : "0").starts_with('0');
}

int16_t CRegSettings::iGetSetting(std::string_view section, std::string_view key,
                                  int16_t default_value) {
  return ParseSettingInteger(GetSetting(section, key, std::to_string(default_value)));
}

int16_t ParseSettingInteger(std::string_view text) {
  int sign = 1;
  int32_t value = 0;
  size_t at = 0;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    sign = text[0] == '-' ? -1 : 1;
    at = 1;
  }
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
    value = value * 10 + (text[at] - '0');
    if (value > 32768) return 0;  // out of range whatever the sign
  }
  int32_t result = sign * value;
  if (result < INT16_MIN || result > INT16_MAX) return 0;
  return static_cast<int16_t>(result);
}

}  // namespace olconn97
