// A third-party host built from nothing but what the package installs: the
// headers and the pkg-config file, which also names the library to load.
// It prints the driver's version line and whether the driver started, and
// exits 0 when the driver is ready.
#include <dlfcn.h>

#include <cstdio>

#include "olconn97/olconn97.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s LIBRARY\n", argv[0]);
    return 2;
  }
  void* handle = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    std::fprintf(stderr, "%s\n", dlerror());
    return 2;
  }
  auto version = reinterpret_cast<decltype(&olconn97_version)>(dlsym(handle, "olconn97_version"));
  auto get_class_object =
      reinterpret_cast<decltype(&DllGetClassObject)>(dlsym(handle, "DllGetClassObject"));
  if (version == nullptr || get_class_object == nullptr) {
    std::fprintf(stderr, "the library lacks an entry point\n");
    return 2;
  }
  char line[256];
  version(line, sizeof line);
  std::printf("%s\n", line);

  IClassFactory* factory = nullptr;
  DataConnector* driver = nullptr;
  if (FAILED(get_class_object(CLSID_cDataConnector, IID_IClassFactory,
                              reinterpret_cast<void**>(&factory))) ||
      FAILED(factory->CreateInstance(nullptr, IID_DataConnector,
                                     reinterpret_cast<void**>(&driver)))) {
    std::fprintf(stderr, "the driver could not be created\n");
    return 2;
  }
  factory->Release();
  VARIANT_BOOL installed = VARIANT_FALSE;
  HRESULT hr = driver->get_DataConnector_PIMInstalled(&installed);
  driver->Release();
  std::printf("PIMInstalled: %s\n", SUCCEEDED(hr) && installed != VARIANT_FALSE ? "true" : "false");
  return SUCCEEDED(hr) && installed != VARIANT_FALSE ? 0 : 1;
}
