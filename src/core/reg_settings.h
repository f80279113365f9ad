// CRegSettings: settings below one base key, addressed by section and key
// name.
//
// The object is configured once with a hive and a three-part base key,
// MSubKey\Company\AppName ("Software\Norvale\7316\Popup"), and then reads,
// writes and deletes string values by section (a subkey of the base key;
// empty for the base key itself) and key name (the value name; "*" for the
// key's default value). The selected-folder list, the export folder location
// and the folder dialog keep their settings through it.
//
// No member fails loudly: a read that cannot be done gives its default, a
// write or deletion that cannot be done gives false. Nothing is logged here.
#ifndef OLCONN97_CORE_REG_SETTINGS_H_
#define OLCONN97_CORE_REG_SETTINGS_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "outside/registry/registry.h"

namespace olconn97 {

class CRegSettings {
 public:
  using Hive = registry::Hive;

  // HKEY_CURRENT_USER, "Software", "Norvale", the driver's product name.
  CRegSettings();

  Hive hKey() const { return hive_; }
  // A handle outside HKEY_CLASSES_ROOT..HKEY_DYN_DATA stores HKEY_CURRENT_USER.
  void set_hKey(Hive hive);

  // Each setter stores its argument trimmed of blanks; only an empty
  // argument brings back the default ("Software", "Norvale", the product
  // name), so blanks alone store an empty part.
  const std::string& MSubKey() const { return sub_key_; }
  void set_MSubKey(std::string_view text);
  const std::string& Company() const { return company_; }
  void set_Company(std::string_view text);
  const std::string& AppName() const { return app_name_; }
  void set_AppName(std::string_view text);

  // MSubKey\Company\AppName.
  const std::string& BaseKeyPath() const { return base_key_; }

  // With a key name: deletes that value of the section. Without: deletes
  // the section's key, which must have no subkeys. True when it was deleted.
  bool DeleteSetting(std::string_view section, std::string_view key = {});
  // Sets hKey and AppName (they stay changed), then DeleteSetting.
  bool DeleteKey(Hive hive, std::string_view app_name, std::string_view section,
                 std::string_view key = {});

  // Whether this process may change the hive ("full access to Software").
  // The other arguments are not used and the object is not changed.
  bool IsUserAdmin(Hive hive, std::string_view app_name, std::string_view section);

  // The text of the value, or `default_value` when the section key or the
  // value is missing or the value has no data.
  std::string GetSetting(std::string_view section, std::string_view key,
                         std::string_view default_value = {});
  // Sets hKey and AppName (they stay changed), then GetSetting.
  std::string GetSettingFromHKey(Hive hive, std::string_view app_name, std::string_view section,
                                 std::string_view key, std::string_view default_value = {});

  // A REG_DWORD value's number: -1 when the section key is missing,
  // `default_value` when the value is, 0 for a value of another kind.
  int32_t GetSettingLong(std::string_view section, std::string_view key, int32_t default_value = 0);
  // Sets hKey and AppName, then the decimal text of GetSettingLong.
  std::string GetSettingLongFromHKey(Hive hive, std::string_view app_name, std::string_view section,
                                     std::string_view key, int32_t default_value = 0);

  // Creates the section key as needed and writes the text as REG_SZ; an
  // empty text deletes the value instead. True when the write (or the
  // deletion of an existing value) succeeded.
  bool SaveSetting(std::string_view section, std::string_view key, std::string_view setting);
  // Sets hKey and AppName (they stay changed), then SaveSetting.
  bool SaveSettingToHKey(Hive hive, std::string_view app_name, std::string_view section,
                         std::string_view key, std::string_view setting);

  // False exactly when the text read (default "1" or "0") begins with "0".
  bool bGetSetting(std::string_view section, std::string_view key, int default_value = 0);
  // The number the text read begins with (default: `default_value`);
  // 0 when it lies outside the 16-bit range.
  int16_t iGetSetting(std::string_view section, std::string_view key, int16_t default_value = 0);

 private:
  std::string SectionPath(std::string_view section) const;
  void ComputeBaseKey();

  Hive hive_;
  std::string sub_key_;
  std::string company_;
  std::string app_name_;
  std::string base_key_;
};

// The number a setting's text begins with, the way iGetSetting reads it:
// an optional sign first, then digits up to the first other character; 0
// when the result leaves -32768..32767.
int16_t ParseSettingInteger(std::string_view text);

}  // namespace olconn97

#endif  // OLCONN97_CORE_REG_SETTINGS_H_
