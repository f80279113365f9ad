// A host that creates and releases the driver's objects many times, for a
// leak checker to watch (valgrind runs it in the test suite). It exits
// non-zero when the library still counts a live object at the end.
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
  auto get_class_object =
      reinterpret_cast<decltype(&DllGetClassObject)>(dlsym(handle, "DllGetClassObject"));
  auto can_unload = reinterpret_cast<decltype(&DllCanUnloadNow)>(dlsym(handle, "DllCanUnloadNow"));
  auto alloc = reinterpret_cast<decltype(&SysAllocString)>(dlsym(handle, "SysAllocString"));
  auto free_string = reinterpret_cast<decltype(&SysFreeString)>(dlsym(handle, "SysFreeString"));
  auto clear = reinterpret_cast<decltype(&VariantClear)>(dlsym(handle, "VariantClear"));
  auto error_info = reinterpret_cast<decltype(&GetErrorInfo)>(dlsym(handle, "GetErrorInfo"));

  for (int round = 0; round < 200; ++round) {
    IClassFactory* factory = nullptr;
    get_class_object(CLSID_cDataConnector, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    DataConnector* driver = nullptr;
    factory->CreateInstance(nullptr, IID_DataConnector, reinterpret_cast<void**>(&driver));
    factory->Release();

    IDispatch* as_dispatch = nullptr;
    driver->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&as_dispatch));
    char name[] = "Version";
    LPOLESTR names[] = {name};
    DISPID id = 0;
    as_dispatch->GetIDsOfNames(IID_NULL, names, 1, 0, &id);
    VARIANT result;
    result.vt = VT_EMPTY;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    as_dispatch->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr);
    clear(&result);
    as_dispatch->Release();

    // A contact for an unknown entry ID (a placeholder), then a failing
    // call, whose error information the host takes.
    BSTR empty = alloc("");
    Contact* contact = nullptr;
    driver->Dataconnector_GetContactByContactID(empty, &contact);
    if (contact != nullptr) contact->Release();
    free_string(empty);
    driver->Dataconnector_SynchronizeExportFolder(nullptr, nullptr);
    IErrorInfo* info = nullptr;
    if (error_info(0, &info) == S_OK) info->Release();

    driver->Release();
  }
  if (can_unload() != S_OK) {
    std::fprintf(stderr, "objects are still alive after every reference was released\n");
    return 1;
  }
  return 0;
}
