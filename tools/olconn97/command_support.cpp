// The small commands that hand their arguments to the library's own, and
// what every command shares in reading its arguments.
#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"
#include "driver_library.h"

namespace host {

namespace {

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

bool JsonOnly(const Args& args, const char* command, const char* help, bool* json) {
  for (const std::string& arg : args) {
    if (arg != "--json") {
      std::fprintf(stderr, "olconn97 %s: unknown option '%s'\n%s", command, arg.c_str(), help);
      return false;
    }
    *json = true;
  }
  return true;
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

int RunDirectory(const Args& args) {
  std::vector<const char*> argv;
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  return Api().olconn97_directory(static_cast<int>(argv.size()), argv.data());
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
