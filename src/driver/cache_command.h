// The admin tool's "cache" command (see cache_command.cpp).
#ifndef OLCONN97_DRIVER_CACHE_COMMAND_H_
#define OLCONN97_DRIVER_CACHE_COMMAND_H_

#include <iosfwd>
#include <string>
#include <vector>

namespace olconn97 {

// `args` are the words after "cache". Exit codes: 0 done, 1 failed, 2 bad usage.
int RunCacheCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace olconn97

#endif  // OLCONN97_DRIVER_CACHE_COMMAND_H_
