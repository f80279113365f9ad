// A command line run through /bin/sh, for tests that drive other programs
// (sqlite3, python3, unshare) beside the driver.
#ifndef OLCONN97_TESTS_TOOLS_SHELL_COMMAND_H_
#define OLCONN97_TESTS_TOOLS_SHELL_COMMAND_H_

#include <string>

namespace olconn97::testing {

// What `command` wrote on its output and errors, together; a line saying
// so when it could not be started.
std::string RunShellCommand(const std::string& command);

}  // namespace olconn97::testing

#endif  // OLCONN97_TESTS_TOOLS_SHELL_COMMAND_H_
