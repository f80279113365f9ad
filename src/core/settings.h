// One-value access to the driver's settings, and the suite's key paths.
//
// Every setting is a string. Failures never raise: a read gives the empty
// text, a write false.
#ifndef OLCONN97_CORE_SETTINGS_H_
#define OLCONN97_CORE_SETTINGS_H_

#include <string>
#include <string_view>

#include "outside/registry/registry.h"

namespace olconn97 {

using registry::Hive;

// The suite's keys.
inline constexpr std::string_view kPopupKey = "Software\\Norvale\\7316\\Popup";
inline constexpr std::string_view kFolderSelectionKey =
    "Software\\Norvale\\7316\\Popup\\olconn98folder";
inline constexpr std::string_view kOutlook98Key = "Software\\Norvale\\7316\\Popup\\outlook98";
inline constexpr std::string_view kZepPhoneKey = "Software\\Norvale\\7316\\ZEPPhone";
inline constexpr std::string_view kZepPhoneSettingsKey =
    "Software\\Norvale\\7316\\ZEPPhone\\Settings";
inline constexpr std::string_view kInstallKey = "Software\\Norvale\\7316\\Install";

// The longest value data RegReadString accepts, terminating NUL included.
inline constexpr size_t kRegReadBufferSize = 1024;

// The value's text: REG_SZ and REG_EXPAND_SZ as stored (no expansion),
// REG_DWORD as decimal text; empty when the key or value is missing, the
// value has another type, or its data is longer than kRegReadBufferSize. The
// text ends at its first NUL character.
std::string RegReadString(Hive hive, std::string_view key_path, std::string_view value_name);

// Creates the key path if needed and writes the text as REG_SZ; an empty
// text is written as a single blank. True on success.
bool RegWriteString(Hive hive, std::string_view key_path, std::string_view value_name,
                    std::string_view text);

// True when the key exists.
bool RegKeyExists(Hive hive, std::string_view key_path);

// Where the driver's settings store reports a file it could not read whole:
// stderr, and the developer log as soon as the log knows whether it is on.
void ReportSettingsFile(std::string_view message);

}  // namespace olconn97

#endif  // OLCONN97_CORE_SETTINGS_H_
