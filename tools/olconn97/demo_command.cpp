// olconn97 demo: the driver as the suite's host meets it, end to end.
#include <cstdio>
#include <string>

#include "commands.h"
#include "host_values.h"

namespace host {

namespace {

constexpr char kDemoHelp[] =
    "usage: olconn97 demo\n"
    "\n"
    "Loads the driver library, creates the driver object through its class\n"
    "factory, and prints what the driver answers the host: whether it is\n"
    "ready, its PIM code and the contact store's version.\n";

void PrintMember(DataConnector* driver, const char* name) {
  // The host reaches members by name as well as through the vtable.
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  DISPID id = DISPID_UNKNOWN;
  if (FAILED(driver->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) {
    std::printf("  %-13s (no such member)\n", name);
    return;
  }
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  HostVariant result;
  EXCEPINFO exception{};
  HRESULT hr =
      driver->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET | DISPATCH_METHOD,
                     &none, result.get(), &exception, nullptr);
  if (FAILED(hr)) {
    std::string text =
        exception.bstrDescription == nullptr
            ? FailureText(hr)
            : std::string(exception.bstrDescription, Api().SysStringLen(exception.bstrDescription));
    Api().SysFreeString(exception.bstrDescription);
    Api().SysFreeString(exception.bstrSource);
    Api().SysFreeString(exception.bstrHelpFile);
    std::printf("  %-13s failed: %s\n", name, text.c_str());
    return;
  }
  std::printf("  %-13s %s\n", name, result.Text().c_str());
}

}  // namespace

int RunDemo(const Args& args) {
  if (WantsHelp(args)) {
    std::fputs(kDemoHelp, stdout);
    return 0;
  }
  if (!args.empty()) {
    std::fprintf(stderr, "olconn97 demo: unexpected argument '%s'\n%s", args[0].c_str(), kDemoHelp);
    return 2;
  }
  std::printf("Driver library: %s\n", Library().path().c_str());
  std::string error;
  DataConnector* driver = Library().CreateDriver(&error);
  if (driver == nullptr) {
    std::fprintf(stderr, "olconn97 demo: %s\n", error.c_str());
    return 1;
  }
  std::printf("Driver object created (cDataConnector). It answers:\n");
  PrintMember(driver, "PIMInstalled");
  PrintMember(driver, "PIMName");
  PrintMember(driver, "Version");
  driver->Release();
  return 0;
}

}  // namespace host
