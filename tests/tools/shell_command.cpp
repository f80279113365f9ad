#include "tools/shell_command.h"

#include <cstdio>

namespace olconn97::testing {

std::string RunShellCommand(const std::string& command) {
  std::string out;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return "(cannot run: " + command + ")";
  char buffer[4096];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, got);
  pclose(pipe);
  return out;
}

}  // namespace olconn97::testing
