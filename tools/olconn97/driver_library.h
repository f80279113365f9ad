// The driver library as the host sees it: loaded with dlopen, reached only
// through its exported entry points and the interfaces they hand out.
#ifndef OLCONN97_TOOLS_DRIVER_LIBRARY_H_
#define OLCONN97_TOOLS_DRIVER_LIBRARY_H_

#include <string>

#include "olconn97/olconn97.h"

namespace host {

struct DriverApi {
  decltype(&::DllGetClassObject) DllGetClassObject = nullptr;
  decltype(&::DllCanUnloadNow) DllCanUnloadNow = nullptr;
  decltype(&::SysAllocString) SysAllocString = nullptr;
  decltype(&::SysAllocStringLen) SysAllocStringLen = nullptr;
  decltype(&::SysFreeString) SysFreeString = nullptr;
  decltype(&::SysStringLen) SysStringLen = nullptr;
  decltype(&::VariantInit) VariantInit = nullptr;
  decltype(&::VariantClear) VariantClear = nullptr;
  decltype(&::VariantChangeType) VariantChangeType = nullptr;
  decltype(&::GetErrorInfo) GetErrorInfo = nullptr;
  decltype(&::olconn97_version) olconn97_version = nullptr;
  decltype(&::olconn97_reg) olconn97_reg = nullptr;
  decltype(&::olconn97_setting) olconn97_setting = nullptr;
  decltype(&::olconn97_store) olconn97_store = nullptr;
  decltype(&::olconn97_directory) olconn97_directory = nullptr;
  decltype(&::olconn97_demo_store) olconn97_demo_store = nullptr;
  decltype(&::olconn97_cache) olconn97_cache = nullptr;
  decltype(&::olconn97_pump) olconn97_pump = nullptr;
  decltype(&::olconn97_shows_windows) olconn97_shows_windows = nullptr;
};

class DriverLibrary {
 public:
  // Finds the library: $OLCONN97_LIBRARY, else beside this program (the
  // build folder), else where an installation puts it relative to this
  // program (../lib/<multiarch>/olconn97/), else the system's search path.
  DriverLibrary();
  ~DriverLibrary();
  DriverLibrary(const DriverLibrary&) = delete;
  DriverLibrary& operator=(const DriverLibrary&) = delete;

  bool ok() const { return handle_ != nullptr; }
  const std::string& error() const { return error_; }
  const std::string& path() const { return path_; }
  const DriverApi& api() const { return api_; }

  // A new driver object (cDataConnector) through its class factory, or null
  // with the reason in `error`.
  DataConnector* CreateDriver(std::string* error) const;

 private:
  bool Resolve();

  void* handle_ = nullptr;
  std::string path_;
  std::string error_;
  DriverApi api_;
};

// The process-wide library, loaded on first use.
const DriverLibrary& Library();
const DriverApi& Api();

}  // namespace host

#endif  // OLCONN97_TOOLS_DRIVER_LIBRARY_H_
