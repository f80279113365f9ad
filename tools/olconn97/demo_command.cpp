// olconn97 demo: the driver as the suite's host meets it, on a demo store.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "commands.h"
#include "contact_view.h"

namespace host {

namespace {

constexpr char kDemoHelp[] =
    "usage: olconn97 demo [DIR] [--keep]\n"
    "\n"
    "Creates a demo contact store of about 40 contacts in DIR, points the driver\n"
    "at it, creates the driver through its class factory as the suite's host\n"
    "does, and shows the driver's developer log and what it answers. Then it\n"
    "plays two calls: a number of the demo store, looked up and shown as the\n"
    "host shows the caller, and a number nobody has. Then the actions a host runs\n"
    "on those calls: the first is stored in the journal and mailed (the mail waits\n"
    "in the store's Outbox, as no mail program is set), and a card is made for\n"
    "the unknown caller, which the next lookup finds. The demo's settings, cache\n"
    "and store all live in DIR: your own settings are not touched.\n"
    "\n"
    "Without DIR the demo works in a new folder under $TMPDIR and removes it at\n"
    "the end. A DIR you name is yours: it is kept.\n"
    "\n"
    "  --keep   keep the new folder, to run other commands on the demo store\n";

// Lines the developer log of a first launch on the demo store always holds,
// and why they are no cause for alarm.
struct ExpectedLine {
  const char* line;
  const char* why;
};
constexpr ExpectedLine kFirstLaunchLines[] = {
    {"File does not exist !!! (First launch ?)", "there is no cache yet, so the driver builds it"},
    {"Error (TestAndSet): the item is not a contact",
     "the demo store holds a card without any\n    name, on purpose, and the driver leaves it out"},
};

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

// The folder the demo works in: the one the user named, kept, or a new
// temporary one, removed at the end unless asked to keep it.
class DemoFolder {
 public:
  DemoFolder(const std::string& named, bool keep) : path_(named), keep_(keep || !named.empty()) {
    if (!path_.empty()) return;
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/olconn97-demo-XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~DemoFolder() {
    if (keep_ || path_.empty()) return;
    std::error_code failed;
    std::filesystem::remove_all(path_, failed);
    if (failed) {
      std::fprintf(stderr, "olconn97 demo: cannot remove %s: %s\n", path_.c_str(),
                   failed.message().c_str());
    }
  }
  DemoFolder(const DemoFolder&) = delete;
  DemoFolder& operator=(const DemoFolder&) = delete;

  const std::string& path() const { return path_; }
  bool kept() const { return keep_; }

 private:
  std::string path_;
  bool keep_;
};

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
  bool keep = false;
  std::string named;
  for (const std::string& arg : args) {
    if (arg == "--keep") {
      keep = true;
    } else if (arg.rfind("--", 0) == 0 || !named.empty() || arg.empty()) {
      std::fprintf(stderr, "olconn97 demo: unexpected argument '%s'\n%s", arg.c_str(), kDemoHelp);
      return 2;
    } else {
      named = arg;
    }
  }
  DemoFolder demo(named, keep);
  if (demo.path().empty()) {
    std::perror("olconn97 demo: cannot create a temporary folder");
    return 1;
  }
  const std::string& folder = demo.path();
  // Everything the driver keeps goes into the demo folder, before the driver
  // reads any setting.
  setenv("OLCONN97_REGISTRY_DIR", (folder + "/settings").c_str(), 1);
  setenv("XDG_DATA_HOME", (folder + "/data").c_str(), 1);
  std::string store = folder + "/store";
  int created = Api().olconn97_demo_store(store.c_str());
  if (created == 1) return 1;
  std::printf("Demo folder: %s (%s)\n%s\n", folder.c_str(),
              demo.kept() ? "kept" : "removed at the end; --keep keeps it",
              created == 3 ? "The demo store is there already." : "Demo store created.");
  if (!Reg({"add", "HKCU\\Software\\Norvale\\7316\\Popup\\outlook98", "/v", "PimStore", "/d",
            store.c_str(), "/f"}) ||
      !Reg({"add", "HKCU\\Software\\Norvale\\7316\\Popup", "/v", "Developper", "/d", "1", "/f"})) {
    std::fprintf(stderr, "olconn97 demo: cannot write the demo's settings\n");
    return 1;
  }
  std::printf("Driver library: %s\n", Library().path().c_str());
  if (created != 3) {
    std::printf("A first launch always logs these lines; they are no cause for alarm:\n");
    for (const ExpectedLine& expected : kFirstLaunchLines) {
      std::printf("  \"%s\": %s\n", expected.line, expected.why);
    }
  }
  std::printf("Creating the driver (its developer log follows, on stderr)...\n");
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

  // What the host does on those calls with the actions the user set up.
  std::printf("\nThe call from %s ends: the host stores it in the journal and mails it:\n",
              kKnownCaller);
  std::fflush(stdout);
  int acted = PlayCallEvent(
      driver, CallEvent{kKnownCaller, "incoming", "DURATION=95;", {4100, 4099},
                        {{4099, "DestinationAddress", "reception@example.org"}}});
  std::printf("\nThe call from %s rings: the host opens a new card for the caller:\n",
              kUnknownCaller);
  std::fflush(stdout);
  acted |= PlayCallEvent(driver, CallEvent{kUnknownCaller, "incoming", "", {4097},
                                           {{4097, "NewOnInexistant", "1"}}});
  PlayCall(driver, kUnknownCaller, "the card made for it a moment ago");
  driver->Release();
  if (demo.kept()) {
    std::printf(
        "\nThe demo folder stays. Other commands use the demo store (and show the\n"
        "driver's developer log on stderr, as the demo's settings ask) with:\n"
        "  export OLCONN97_REGISTRY_DIR='%s/settings' XDG_DATA_HOME='%s/data'\n",
        folder.c_str(), folder.c_str());
  }
  return acted == 0 ? 0 : 1;
}

}  // namespace host
