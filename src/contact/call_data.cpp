#include "contact/call_data.h"

namespace olconn97 {

std::string GetKeyValue(std::string_view data, std::string_view key) {
  // An empty key would "occur" at the start and hand back the first entry
  // whole: a caller that names no key reads nothing instead.
  if (key.empty()) return {};
  size_t found = data.find(key);
  if (found == std::string_view::npos) return {};
  std::string_view rest = data.substr(found + key.size());
  return std::string(rest.substr(0, rest.find(';')));
}

}  // namespace olconn97
