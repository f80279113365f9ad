// libFuzzer's entry for one target of fuzz_targets.h, chosen when this file
// is compiled (OLCONN97_FUZZ_ENTRY); only the fuzz build compiles it.
#include "fuzz/fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return olconn97::fuzz::OLCONN97_FUZZ_ENTRY(data, size);
}
