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
    "  cache    the contact cache: rebuild, refresh, status [--json]\n"
    "  help     this text\n"
    "\n"
    "'olconn97 <command> --help' describes a command.\n"
    "Environment: OLCONN97_LIBRARY (the library to load), OLCONN97_REGISTRY_DIR\n"
    "(the folder of the settings files), OLCONN97_DEBUG (debug lines on stderr).\n";

constexpr char kRegHelp[] =
    "usage: olconn97 reg <operation> ...   (the syntax of reg.exe)\n"
    "\n"
    "  reg query  KEY [/v NAME | /ve] [/s] [/f DATA [/k | /d] [/c] [/e]] [/t TYPES] [/z] [/se "
    "SEP]\n"
    "  reg add    KEY [/v NAME | /ve] [/t TYPE] [/s SEP] [/d DATA] [/f]\n"
    "  reg delete KEY [/v NAME | /ve | /va] [/f]\n"
    "  reg import FILE\n"
    "  reg export KEY FILE [/y]\n"
    "\n"
    "KEY is HKCU\\... or HKEY_CURRENT_USER\\... (likewise HKLM). TYPE is one of\n"
    "REG_SZ (the default), REG_EXPAND_SZ, REG_DWORD, REG_QWORD, REG_MULTI_SZ,\n"
    "REG_BINARY, REG_NONE. Options may be written with '-' and in any case.\n"
    "Questions (overwrite? delete?) are read from stdin; no answer is no.\n"
    "\n"
    "The settings are kept in .reg files that Windows' regedit reads:\n"
    "$XDG_CONFIG_HOME/olconn97/HKCU.reg and /etc/olconn97/HKLM.reg, or both\n"
    "in $OLCONN97_REGISTRY_DIR. Every command says on stderr which lines of a\n"
    "settings file cannot be read (they are skipped) and where the file as it\n"
    "was is kept (<file>.malformed). Exit status: 0 done, 1 failed or bad\n"
    "arguments.\n";

}  // namespace

bool WantsHelp(const Args& args) {
  for (const std::string& arg : args) {
    if (arg == "--help" || arg == "-h" || arg == "/?") return true;
  }
  return false;
}

int RunCache(const Args& args) {
  std::vector<const char*> argv;
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  return Api().olconn97_cache(static_cast<int>(argv.size()), argv.data());
}

int RunStore(const Args& args) {
  std::vector<const char*> argv;
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  return Api().olconn97_store(static_cast<int>(argv.size()), argv.data());
}

int RunReg(const Args& args) {
  if (args.empty() || args[0] == "--help" || args[0] == "-h") {
    std::fputs(kRegHelp, args.empty() ? stderr : stdout);
    return args.empty() ? 1 : 0;
  }
  std::vector<const char*> argv;
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  return Api().olconn97_reg(static_cast<int>(argv.size()), argv.data());
}

}  // namespace host

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  if (argc < 2 || std::strcmp(argv[1], "help") == 0 || std::strcmp(argv[1], "--help") == 0 ||
      std::strcmp(argv[1], "-h") == 0) {
    std::fputs(host::kUsage, argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
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
                  : command == "cache"   ? host::RunCache
                                         : nullptr;
  if (runner == nullptr) {
    std::fprintf(stderr, "olconn97: unknown command '%s'\n\n%s", command.c_str(), host::kUsage);
    return 2;
  }
  if ((command == "store" || command == "cache" || !host::WantsHelp(args)) &&
      !host::Library().ok()) {
    std::fprintf(stderr, "olconn97: cannot load the driver library: %s\n",
                 host::Library().error().c_str());
    return 1;
  }
  return runner(args);
}
