// olconn97: the reference host and admin tool of the driver library.
//
// It loads libolconn97.so with dlopen and uses it only through its public
// interface, as the suite's call pop-up host does.
#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>

#include "commands.h"
#include "driver_library.h"

namespace host {

namespace {

constexpr char kUsage[] =
    "usage: olconn97 <command> [arguments]\n"
    "\n"
    "Commands:\n"
    "  demo     create the driver as the host does and show what it answers\n"
    "  status   whether the driver is ready, its PIM code and version [--json]\n"
    "  reg      read and write the driver's settings, with reg.exe's syntax\n"
    "  store    the contact store: its folders, one card, linking address books in\n"
    "  lookup   who is calling: lookup NUMBER | lookup --name NAME [--json] [--first]\n"
    "  contact  one contact as the host reads it (show ENTRYID), or a new one (create)\n"
    "  call     a call event: find the caller and run actions (open, mail, journal, ...)\n"
    "  actions  the driver's actions and their settings [--json]\n"
    "  phone    the call pop-up host on the SIP user agent baresip\n"
    "  dial     click-to-dial a name or a number through baresip\n"
    "  cache    the contact cache: rebuild, refresh, status [--json]\n"
    "  directory the employee directory: import CSV files into it, show its tables\n"
    "  export   mirror the employee directory into a contacts folder (init, sync)\n"
    "  config   the driver's configuration window: contact folders, cache refresh\n"
    "  help     this text\n"
    "\n"
    "'olconn97 <command> --help' describes a command; 'olconn97 --version' names\n"
    "the product, its version and the library loaded.\n"
    "Environment: OLCONN97_LIBRARY (the library to load), OLCONN97_REGISTRY_DIR\n"
    "(the folder of the settings files), OLCONN97_DEBUG (debug lines on stderr),\n"
    "OLCONN97_UI (qt: the driver's windows drawn with Qt).\n";

// The driver's own identity line, then the file it was loaded from.
int PrintVersion() {
  if (!Library().ok()) {
    std::fprintf(stderr, "olconn97: cannot load the driver library: %s\n",
                 Library().error().c_str());
    return 1;
  }
  std::string line(64, '\0');
  int length = Api().olconn97_version(line.data(), static_cast<unsigned>(line.size()));
  if (length >= static_cast<int>(line.size())) {
    line.resize(static_cast<size_t>(length) + 1);
    length = Api().olconn97_version(line.data(), static_cast<unsigned>(line.size()));
  }
  line.resize(static_cast<size_t>(length < 0 ? 0 : length));
  std::printf("%s\nlibrary: %s\n", line.c_str(), Library().path().c_str());
  return 0;
}

}  // namespace

}  // namespace host

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  if (argc < 2 || std::strcmp(argv[1], "help") == 0 || std::strcmp(argv[1], "--help") == 0 ||
      std::strcmp(argv[1], "-h") == 0) {
    std::fputs(host::kUsage, argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
  if (std::strcmp(argv[1], "--version") == 0) return host::PrintVersion();
  std::string command = argv[1];
  host::Args args(argv + 2, argv + argc);
  using Runner = int (*)(const host::Args&);
  Runner runner = command == "demo"      ? host::RunDemo
                  : command == "status"  ? host::RunStatus
                  : command == "reg"     ? host::RunReg
                  : command == "store"   ? host::RunStore
                  : command == "contact" ? host::RunContact
                  : command == "lookup"  ? host::RunLookup
                  : command == "call"    ? host::RunCall
                  : command == "actions" ? host::RunActions
                  : command == "phone"   ? host::RunPhone
                  : command == "dial"    ? host::RunDial
                  : command == "cache"   ? host::RunCache
                  : command == "export"  ? host::RunExport
                  : command == "directory" ? host::RunDirectory
                  : command == "config"  ? host::RunConfig
                                         : nullptr;
  if (runner == nullptr) {
    std::fprintf(stderr, "olconn97: unknown command '%s'\n\n%s", command.c_str(), host::kUsage);
    return 2;
  }
  if ((command == "store" || command == "cache" || command == "directory" ||
       !host::WantsHelp(args)) &&
      !host::Library().ok()) {
    std::fprintf(stderr, "olconn97: cannot load the driver library: %s\n",
                 host::Library().error().c_str());
    return 1;
  }
  return runner(args);
}
