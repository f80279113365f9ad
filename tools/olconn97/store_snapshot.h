// What a command changed in the contact store, seen from outside: the
// files before and after, compared by modification time.
#ifndef OLCONN97_TOOLS_STORE_SNAPSHOT_H_
#define OLCONN97_TOOLS_STORE_SNAPSHOT_H_

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace host {

// Every file below `folder` (and the address books linked into it), with
// its modification time; the store's own hidden files left out.
using Snapshot = std::map<std::string, std::filesystem::file_time_type>;
Snapshot TakeSnapshot(const std::string& folder);

// "new PATH" or "changed PATH" for each file written since `before`, the
// path relative to `store`.
std::vector<std::string> Written(const Snapshot& before, const Snapshot& after,
                                 const std::string& store);

}  // namespace host

#endif  // OLCONN97_TOOLS_STORE_SNAPSHOT_H_
