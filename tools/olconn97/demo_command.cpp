// olconn97 demo: the driver as the suite's host meets it, on a demo store.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "commands.h"
#include "contact_view.h"

namespace host {

namespace {

constexpr char kDemoHelp[] =
    "usage: olconn97 demo [DIR]\n"
    "\n"
    "Creates a demo contact store of about 40 contacts in DIR (default: a new\n"
    "folder under $TMPDIR), points the driver at it, creates the driver through\n"
    "its class factory as the suite's host does, and shows the driver's\n"
    "developer log and what it answers. Then it plays two calls: a number of\n"
    "the demo store, looked up and shown as the host shows the caller, and an\n"
    "unknown number, which gives the driver's placeholder contact. The demo's\n"
    "settings, cache and store all live in DIR: your own settings are not\n"
    "touched.\n";

// Numbers as the exchange delivers them: digits only.
constexpr char kKnownCaller[] = "33123456789";  // Ann Smith's business number
constexpr char kUnknownCaller[] = "33999000111";

void PrintMember(DataConnector* driver, const char* name) {
  // The host reaches members by name as well as through the vtable.
  HostVariant result;
  std::string failure;
  if (FAILED(Read(driver, name, nullptr, &result, &failure))) {
    std::printf("  %-13s failed: %s\n", name, failure.c_str());
    return;
  }
  std::printf("  %-13s %s\n", name, result.Text().c_str());
}

// A call rings: the host looks the caller up and shows who it is.
void PlayCall(DataConnector* driver, const char* number, const char* what) {
  std::printf("\nA call from %s (%s):\n", number, what);
  std::fflush(stdout);
  (void)LookUp(driver, kByPhone, number, LookupOutput{false, true});
  std::fflush(stdout);
}

// The demo folder: the one given, or a new temporary one.
std::string DemoFolder(const Args& args) {
  if (!args.empty()) return args[0];
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern =
      std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/olconn97-demo-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) return {};
  return pattern;
}

// One setting written through the driver's own settings command, quietly.
bool Reg(std::initializer_list<const char*> words) {
  std::vector<const char*> argv(words);
  std::fflush(stdout);
  int saved = dup(STDOUT_FILENO);
  int null = open("/dev/null", O_WRONLY);
  if (null >= 0) dup2(null, STDOUT_FILENO);
  bool done = Api().olconn97_reg(static_cast<int>(argv.size()), argv.data()) == 0;
  std::fflush(stdout);
  if (saved >= 0) dup2(saved, STDOUT_FILENO);
  if (saved >= 0) close(saved);
  if (null >= 0) close(null);
  return done;
}

}  // namespace

int RunDemo(const Args& args) {
  if (WantsHelp(args)) {
    std::fputs(kDemoHelp, stdout);
    return 0;
  }
  if (args.size() > 1) {
    std::fprintf(stderr, "olconn97 demo: unexpected argument '%s'\n%s", args[1].c_str(), kDemoHelp);
    return 2;
  }
  std::string folder = DemoFolder(args);
  if (folder.empty()) {
    std::perror("olconn97 demo: cannot create a temporary folder");
    return 1;
  }
  // Everything the driver keeps goes into the demo folder, before the driver
  // reads any setting.
  setenv("OLCONN97_REGISTRY_DIR", (folder + "/settings").c_str(), 1);
  setenv("XDG_DATA_HOME", (folder + "/data").c_str(), 1);
  std::string store = folder + "/store";
  int created = Api().olconn97_demo_store(store.c_str());
  if (created == 1) return 1;
  std::printf("Demo folder: %s\n%s\n", folder.c_str(),
              created == 3 ? "The demo store is there already." : "Demo store created.");
  if (!Reg({"add", "HKCU\\Software\\Norvale\\7316\\Popup\\outlook98", "/v", "PimStore", "/d",
            store.c_str(), "/f"}) ||
      !Reg({"add", "HKCU\\Software\\Norvale\\7316\\Popup", "/v", "Developper", "/d", "1", "/f"})) {
    std::fprintf(stderr, "olconn97 demo: cannot write the demo's settings\n");
    return 1;
  }
  std::printf("Driver library: %s\nCreating the driver (its developer log follows)...\n",
              Library().path().c_str());
  std::fflush(stdout);
  std::string error;
  DataConnector* driver = Library().CreateDriver(&error);
  if (driver == nullptr) {
    std::fprintf(stderr, "olconn97 demo: %s\n", error.c_str());
    return 1;
  }
  std::printf("The driver answers:\n");
  PrintMember(driver, "PIMInstalled");
  PrintMember(driver, "PIMName");
  PrintMember(driver, "Version");
  FinishDriverWork();  // the cache build its start-up began
  PlayCall(driver, kKnownCaller, "a contact of the demo store");
  PlayCall(driver, kUnknownCaller, "a number nobody has");
  driver->Release();
  return 0;
}

}  // namespace host
