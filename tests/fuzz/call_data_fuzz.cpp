// The call-data reader: a key (the input up to its first NUL) looked up in
// call data (the rest).
#include <string>

#include "contact/call_data.h"
#include "fuzz/fuzz_targets.h"

namespace olconn97::fuzz {
namespace {

constexpr std::string_view kTarget = "call_data";

}  // namespace

int CallDataInput(const uint8_t* data, size_t size) {
  const auto [key, call_data] = SplitAtFirst(AsText(data, size), '\0');

  const std::string value = GetKeyValue(call_data, key);
  OLCONN97_FUZZ_CHECK(kTarget, value.find(';') == std::string::npos);
  if (key.empty() || call_data.find(key) == std::string_view::npos) {
    OLCONN97_FUZZ_CHECK(kTarget, value.empty());
  } else {
    // The value is what follows the key's first occurrence.
    const size_t at = call_data.find(key) + key.size();
    OLCONN97_FUZZ_CHECK(kTarget, call_data.substr(at, value.size()) == value);
  }
  return 0;
}

}  // namespace olconn97::fuzz
