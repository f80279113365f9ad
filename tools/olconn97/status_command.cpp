// olconn97 status: the driver's own answer to "is the PIM there?".
#include <cstdio>
#include <string>

#include "commands.h"
#include "host_values.h"
#include "json_text.h"

namespace host {

namespace {

constexpr char kStatusHelp[] =
    "usage: olconn97 status [--json]\n"
    "\n"
    "Creates the driver as the suite's host does and prints what it answers:\n"
    "  PIMInstalled  whether the driver started (its connection to the contact store)\n"
    "  PIMName       the PIM code: 4096 when the contact store is connected and the\n"
    "                driver ready, 0 when it is not\n"
    "  Version       the contact store's version text (\"0\" when not ready)\n"
    "  Cache         what start-up did about a cache file it could not use, if anything\n"
    "\n"
    "  --json   one JSON object on stdout\n"
    "Exit status: 0 when the driver is ready, 1 when it is not.\n";

// What the PIM code the driver answers means to the person reading it.
struct PimCodeMeaning {
  LONG code;
  const char* meaning;
};
constexpr PimCodeMeaning kPimCodes[] = {
    {4096, "the contact store is connected and the driver ready"},
    {0, "not ready: the driver could not start (see its log)"},
};

std::string PimCodeText(LONG code) {
  for (const PimCodeMeaning& known : kPimCodes) {
    if (known.code == code) return std::to_string(code) + " (" + known.meaning + ")";
  }
  return std::to_string(code);
}

struct DriverState {
  bool installed = false;
  LONG pim_name = 0;
  std::string version;
  std::string cache_recovery;  // what start-up did about an unusable cache
  std::string store_problem;   // why start-up could not open the contact store
  std::string startup_problem;  // why start-up failed, whatever failed
};

bool ReadState(DataConnector* driver, DriverState* state, std::string* error) {
  VARIANT_BOOL installed = VARIANT_FALSE;
  HRESULT hr = driver->get_DataConnector_PIMInstalled(&installed);
  if (SUCCEEDED(hr)) hr = driver->get_DataConnector_PIMName(&state->pim_name);
  HostBstr version;
  if (SUCCEEDED(hr)) hr = driver->get_DataConnector_Version(version.Receive());
  if (FAILED(hr)) {
    *error = FailureText(hr);
    return false;
  }
  state->installed = installed != VARIANT_FALSE;
  state->version = version.str();
  state->cache_recovery = CommandText(driver, "cacheRecovery");
  state->store_problem = CommandText(driver, "storeProblem");
  state->startup_problem = CommandText(driver, "startupProblem");
  return true;
}

}  // namespace

int RunStatus(const Args& args) {
  if (WantsHelp(args)) {
    std::fputs(kStatusHelp, stdout);
    return 0;
  }
  bool json = false;
  if (!JsonOnly(args, "status", kStatusHelp, &json)) return 2;
  std::string error;
  DataConnector* driver = Library().CreateDriver(&error);
  if (driver == nullptr) {
    std::fprintf(stderr, "olconn97 status: %s\n", error.c_str());
    return 1;
  }
  DriverState state;
  bool read = ReadState(driver, &state, &error);
  driver->Release();
  if (!read) {
    std::fprintf(stderr, "olconn97 status: %s\n", error.c_str());
    return 1;
  }
  if (json) {
    std::printf(
        "{\"PIMInstalled\":%s,\"PIMName\":%d,\"Version\":\"%s\",\"CacheRecovery\":\"%s\"}\n",
        state.installed ? "true" : "false", state.pim_name, JsonEscape(state.version).c_str(),
        JsonEscape(state.cache_recovery).c_str());
  } else {
    std::printf("PIMInstalled: %s\nPIMName: %s\nVersion: %s\n", state.installed ? "true" : "false",
                PimCodeText(state.pim_name).c_str(), state.version.c_str());
    if (!state.cache_recovery.empty()) std::printf("Cache: %s\n", state.cache_recovery.c_str());
    if (!state.store_problem.empty()) {
      std::printf("Store: %s\n", state.store_problem.c_str());
    } else if (!state.startup_problem.empty()) {
      std::printf("Start-up: %s\n", state.startup_problem.c_str());
    }
  }
  return state.installed ? 0 : 1;
}

}  // namespace host
