// The reference host's subcommands. Each returns the process exit code:
// 0 done, 1 failed, 2 bad usage.
#ifndef OLCONN97_TOOLS_COMMANDS_H_
#define OLCONN97_TOOLS_COMMANDS_H_

#include <string>
#include <vector>

namespace host {

using Args = std::vector<std::string>;

int RunStatus(const Args& args);
int RunDemo(const Args& args);
int RunReg(const Args& args);
int RunStore(const Args& args);
int RunCache(const Args& args);
int RunContact(const Args& args);

// True when the arguments ask for a command's help.
bool WantsHelp(const Args& args);

}  // namespace host

#endif  // OLCONN97_TOOLS_COMMANDS_H_
