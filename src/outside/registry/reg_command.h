// The admin tool's "reg" command: query, add, delete, import and export
// with the syntax of Windows' reg.exe, on a settings store.
//
//   reg query  KEY [/v NAME | /ve] [/s] [/f DATA [/k | /d] [/c] [/e]] [/t TYPES] [/z] [/se SEP]
//   reg add    KEY [/v NAME | /ve] [/t TYPE] [/s SEP] [/d DATA] [/f]
//   reg delete KEY [/v NAME | /ve | /va] [/f]
//   reg import FILE
//   reg export KEY FILE [/y]
//
// KEY is "HKCU\Software\..." (or the long hive names); options may also be
// written with "-" and in any case. Questions (overwrite? delete?) are read
// from `in`; no answer is "no". Exit codes as reg.exe's: 0 done, 1 failed.
#ifndef OLCONN97_OUTSIDE_REGISTRY_REG_COMMAND_H_
#define OLCONN97_OUTSIDE_REGISTRY_REG_COMMAND_H_

#include <iosfwd>
#include <string>
#include <vector>

#include "outside/registry/registry.h"

namespace olconn97::registry {

// `args` are the words after "reg" (the operation first).
int RunRegCommand(Registry& registry, const std::vector<std::string>& args, std::istream& in,
                  std::ostream& out, std::ostream& err);

}  // namespace olconn97::registry

#endif  // OLCONN97_OUTSIDE_REGISTRY_REG_COMMAND_H_
