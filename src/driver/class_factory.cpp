// The library's entry points: the class factory of cDataConnector, the
// unload test, and the administration entry of the reference host.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "core/product_identity.h"
#include "core/shared_state.h"
#include "driver/cache_command.h"
#include "driver/data_connector.h"
#include "driver/demo_store.h"
#include "driver/pim_connection.h"
#include "export/directory_command.h"
#include "olconn97/olconn97.h"
#include "outside/com/automation_object.h"
#include "outside/com/object.h"
#include "outside/pim/store_command.h"
#include "outside/registry/reg_command.h"
#include "outside/registry/registry.h"
#include "outside/ui/desktop.h"

namespace olconn97 {
namespace {

class DataConnectorFactory final : public com::Object<DataConnectorFactory, IClassFactory> {
 public:
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    com::ComPtr<DataConnector> driver = com::MakeAutomationObject<DataConnector, cDataConnector>();
    return driver->QueryInterface(riid, ppv);
  }

  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock) {
      com::ModuleLock();
    } else {
      com::ModuleUnlock();
    }
    return S_OK;
  }
};

// A text handed to the host in its own buffer: at most size - 1 bytes and a
// NUL; the whole length is returned, so the host can ask again with room.
int CopyOut(const std::string& data, char* text, unsigned size) {
  if (text != nullptr && size > 0) {
    size_t copied = std::min<size_t>(data.size(), size - 1);
    std::memcpy(text, data.data(), copied);
    text[copied] = '\0';
  }
  return static_cast<int>(std::min<size_t>(data.size(), INT32_MAX));
}

}  // namespace
}  // namespace olconn97

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  if (rclsid != CLSID_cDataConnector) return CLASS_E_CLASSNOTAVAILABLE;
  auto factory = olconn97::com::MakeObject<olconn97::DataConnectorFactory>();
  return factory->QueryInterface(riid, ppv);
}

STDAPI DllCanUnloadNow(void) { return olconn97::com::ModuleLockCount() == 0 ? S_OK : S_FALSE; }

STDAPI_(int) olconn97_reg(int argc, const char* const* argv) {
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) args.emplace_back(argv[i] == nullptr ? "" : argv[i]);
  return olconn97::registry::RunRegCommand(olconn97::Shared().services.registry(), args, std::cin,
                                           std::cout, std::cerr);
}

STDAPI_(int) olconn97_setting(const char* key, const char* name, char* text, unsigned size) {
  if (key == nullptr || name == nullptr) return -1;
  auto value = olconn97::registry::QueryValue(olconn97::Shared().services.registry(),
                                              olconn97::registry::Hive::kCurrentUser, key, name);
  if (!value.ok()) return -1;
  std::string data = value.value().type == olconn97::registry::ValueType::kDword
                         ? std::to_string(value.value().AsDword())
                         : value.value().data;
  return olconn97::CopyOut(data, text, size);
}

STDAPI_(int) olconn97_version(char* text, unsigned size) {
  std::string line = std::string(olconn97::kDriverTitle) + " (" +
                     olconn97::InstalledProductFullName() + ") " +
                     std::string(olconn97::DriverVersion());
  return olconn97::CopyOut(line, text, size);
}

STDAPI_(int) olconn97_store(int argc, const char* const* argv) {
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) args.emplace_back(argv[i] == nullptr ? "" : argv[i]);
  auto open = [](const std::string& folder) {
    olconn97::StoreLocation location = olconn97::ConfiguredStoreLocation();
    // A folder named on the command line is the admin's to inspect, never created.
    if (!folder.empty()) location = {folder, true};
    return olconn97::ConnectToStore(location,
                                    [](std::string_view line) { std::cerr << line << "\n"; });
  };
  return olconn97::pim::RunStoreCommand(args, open, std::cout, std::cerr);
}

STDAPI_(int) olconn97_directory(int argc, const char* const* argv) {
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) args.emplace_back(argv[i] == nullptr ? "" : argv[i]);
  return olconn97::RunDirectoryCommand(args, olconn97::Shared().services.shell(), std::cout,
                                       std::cerr);
}

STDAPI_(int) olconn97_demo_store(const char* folder) {
  olconn97::Status created = olconn97::CreateDemoStore(folder == nullptr ? "" : folder);
  if (created.ok()) return 0;
  if (created.code() == olconn97::Code::kAlreadyExists) return 3;
  std::cerr << "olconn97: cannot create the demo store: " << created.description() << "\n";
  return 1;
}

STDAPI_(int) olconn97_cache(int argc, const char* const* argv) {
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) args.emplace_back(argv[i] == nullptr ? "" : argv[i]);
  return olconn97::RunCacheCommand(args, std::cout, std::cerr);
}

STDAPI_(int) olconn97_shows_windows(void) {
  return olconn97::Shared().services.desktop().backend().ShowsWindows() ? 1 : 0;
}
