#include <cstdio>
#include <cstdlib>

#include "fuzz/fuzz_targets.h"

namespace olconn97::fuzz {

void PropertyBroken(std::string_view target, std::string_view what) {
  std::fprintf(stderr, "%.*s: property broken: %.*s\n", static_cast<int>(target.size()),
               target.data(), static_cast<int>(what.size()), what.data());
  std::abort();
}

}  // namespace olconn97::fuzz
