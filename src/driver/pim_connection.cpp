#include "driver/pim_connection.h"

#include "base/strings.h"
#include "core/data_paths.h"
#include "core/settings.h"
#include "core/shared_state.h"
#include "outside/pim/store.h"
#include "outside/shell/shell.h"

namespace olconn97 {

StoreLocation ConfiguredStoreLocation() {
  std::string configured(TrimBlanks(RegReadString(Hive::kCurrentUser, kOutlook98Key, "PimStore")));
  if (!configured.empty()) return {configured, true};
  Result<std::string> data = Shared().services.shell().UserDataFolder();
  // Without a data folder the store cannot live anywhere of the user's.
  return {data.ok() ? data.value() + "/olconn97/pim" : std::string(), false};
}

Result<com::ComPtr<pim::Application>> ConnectToStore(const StoreLocation& location,
                                                     pim::ReportFunction report) {
  pim::ApplicationOptions options;
  options.store_folder = location.folder;
  options.create_store = !location.configured;
  options.sendmail_command = [] {
    return std::string(
        TrimBlanks(RegReadString(Hive::kCurrentUser, kOutlook98Key, "SendmailCommand")));
  };
  options.report = report ? std::move(report) : [](std::string_view line) { DebugOutput(line); };
  // Items and folders the store displays are drawn where the driver's
  // windows are; headless they are reported as before.
  options.desktop = [] { return &Shared().services.desktop(); };
  return pim::Application::Create(std::move(options));
}

}  // namespace olconn97
