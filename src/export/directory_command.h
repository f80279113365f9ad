// The admin tool's "directory" command (see directory_command.cpp).
#ifndef OLCONN97_EXPORT_DIRECTORY_COMMAND_H_
#define OLCONN97_EXPORT_DIRECTORY_COMMAND_H_

#include <iosfwd>
#include <string>
#include <vector>

#include "outside/shell/shell.h"

namespace olconn97 {

// `args` are the words after "directory"; files are reached through `shell`.
// Exit codes: 0 done, 1 failed, 2 bad usage.
int RunDirectoryCommand(const std::vector<std::string>& args, shell::Shell& shell,
                        std::ostream& out, std::ostream& err);

}  // namespace olconn97

#endif  // OLCONN97_EXPORT_DIRECTORY_COMMAND_H_
