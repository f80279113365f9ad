#include "driver_library.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace host {

namespace {

std::string ProgramFolder() {
  std::vector<char> buffer(4096);
  ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (length <= 0) return ".";
  std::string path(buffer.data(), static_cast<size_t>(length));
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

std::vector<std::string> Candidates() {
  if (const char* chosen = std::getenv("OLCONN97_LIBRARY"); chosen != nullptr && *chosen != '\0') {
    return {chosen};
  }
  // The build folder has the library beside this program; an installation
  // has it in its own folder under lib/, which the build names relative to
  // bin/ (OLCONN97_DRIVER_FOLDER), so no search path or RPATH is needed.
  std::string folder = ProgramFolder();
  return {folder + "/libolconn97.so", folder + "/" OLCONN97_DRIVER_FOLDER "/libolconn97.so",
          "libolconn97.so"};
}

template <typename T>
bool Bind(void* handle, const char* name, T* slot, std::string* error) {
  *slot = reinterpret_cast<T>(dlsym(handle, name));
  if (*slot == nullptr) *error = std::string("the library does not export ") + name;
  return *slot != nullptr;
}

}  // namespace

DriverLibrary::DriverLibrary() {
  for (const std::string& candidate : Candidates()) {
    if (candidate.find('/') != std::string::npos && access(candidate.c_str(), F_OK) != 0) continue;
    handle_ = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ != nullptr) {
      // Told as a plain path (not ".../bin/../lib/..."), as a user reads it.
      char* real = realpath(candidate.c_str(), nullptr);
      path_ = real != nullptr ? real : candidate;
      std::free(real);
      break;
    }
    error_ = dlerror();
  }
  if (handle_ == nullptr) {
    if (error_.empty()) error_ = "libolconn97.so was not found";
    return;
  }
  if (!Resolve()) {
    dlclose(handle_);
    handle_ = nullptr;
  }
}

DriverLibrary::~DriverLibrary() {
  // The library stays loaded until the process ends, as in the suite's host:
  // the driver's shared state lives as long as the process.
}

bool DriverLibrary::Resolve() {
  void* h = handle_;
  return Bind(h, "DllGetClassObject", &api_.DllGetClassObject, &error_) &&
         Bind(h, "DllCanUnloadNow", &api_.DllCanUnloadNow, &error_) &&
         Bind(h, "SysAllocString", &api_.SysAllocString, &error_) &&
         Bind(h, "SysAllocStringLen", &api_.SysAllocStringLen, &error_) &&
         Bind(h, "SysFreeString", &api_.SysFreeString, &error_) &&
         Bind(h, "SysStringLen", &api_.SysStringLen, &error_) &&
         Bind(h, "VariantInit", &api_.VariantInit, &error_) &&
         Bind(h, "VariantClear", &api_.VariantClear, &error_) &&
         Bind(h, "VariantChangeType", &api_.VariantChangeType, &error_) &&
         Bind(h, "GetErrorInfo", &api_.GetErrorInfo, &error_) &&
         Bind(h, "olconn97_version", &api_.olconn97_version, &error_) &&
         Bind(h, "olconn97_reg", &api_.olconn97_reg, &error_) &&
         Bind(h, "olconn97_setting", &api_.olconn97_setting, &error_) &&
         Bind(h, "olconn97_store", &api_.olconn97_store, &error_) &&
         Bind(h, "olconn97_directory", &api_.olconn97_directory, &error_) &&
         Bind(h, "olconn97_demo_store", &api_.olconn97_demo_store, &error_) &&
         Bind(h, "olconn97_cache", &api_.olconn97_cache, &error_) &&
         Bind(h, "olconn97_pump", &api_.olconn97_pump, &error_) &&
         Bind(h, "olconn97_shows_windows", &api_.olconn97_shows_windows, &error_);
}

DataConnector* DriverLibrary::CreateDriver(std::string* error) const {
  IClassFactory* factory = nullptr;
  HRESULT hr = api_.DllGetClassObject(CLSID_cDataConnector, IID_IClassFactory,
                                      reinterpret_cast<void**>(&factory));
  if (FAILED(hr) || factory == nullptr) {
    *error = "the library has no class factory for cDataConnector";
    return nullptr;
  }
  DataConnector* driver = nullptr;
  hr = factory->CreateInstance(nullptr, IID_DataConnector, reinterpret_cast<void**>(&driver));
  factory->Release();
  if (FAILED(hr) || driver == nullptr) {
    *error = "the driver object could not be created";
    return nullptr;
  }
  return driver;
}

const DriverLibrary& Library() {
  static const DriverLibrary* library = new DriverLibrary();
  return *library;
}

const DriverApi& Api() { return Library().api(); }

}  // namespace host
