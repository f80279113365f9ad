#include "store_snapshot.h"

#include <system_error>

namespace host {

namespace fs = std::filesystem;

Snapshot TakeSnapshot(const std::string& store) {
  Snapshot files;
  std::error_code error;
  auto options = fs::directory_options::follow_directory_symlink |
                 fs::directory_options::skip_permission_denied;
  for (fs::recursive_directory_iterator it(store, options, error), end; !error && it != end;
       it.increment(error)) {
    if (it.depth() > 4) it.disable_recursion_pending();  // a link loop goes no deeper
    std::string name = it->path().filename().string();
    if (name.empty() || name[0] == '.') continue;
    if (it->is_regular_file(error)) files[it->path().string()] = it->last_write_time(error);
  }
  return files;
}

std::vector<std::string> Written(const Snapshot& before, const Snapshot& after,
                                 const std::string& store) {
  std::vector<std::string> written;
  for (const auto& [path, time] : after) {
    auto old = before.find(path);
    if (old != before.end() && old->second == time) continue;
    std::string shown = path.rfind(store + "/", 0) == 0 ? path.substr(store.size() + 1) : path;
    written.push_back((old == before.end() ? "new " : "changed ") + shown);
  }
  return written;
}

}  // namespace host
