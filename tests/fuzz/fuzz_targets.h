// The fuzz targets' entry functions. Each takes one input and runs a reader
// on it, checking what can be checked cheaply; a broken property stops the
// process with the reason on stderr, as a crash would.
//
// The same functions run under libFuzzer (build-fuzz/, libfuzzer_entry.cpp
// gives each its LLVMFuzzerTestOneInput) and in the ordinary test binary,
// which replays the kept seeds and the inputs of past findings
// (fuzz_replay_test.cpp).
#ifndef OLCONN97_TESTS_FUZZ_FUZZ_TARGETS_H_
#define OLCONN97_TESTS_FUZZ_FUZZ_TARGETS_H_

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>

namespace olconn97::fuzz {

// Each returns 0, as libFuzzer wants.
int VCardInput(const uint8_t* data, size_t size);
int RegFileInput(const uint8_t* data, size_t size);
int LikeInput(const uint8_t* data, size_t size);
int CallDataInput(const uint8_t* data, size_t size);
int FilterInput(const uint8_t* data, size_t size);
int NetstringInput(const uint8_t* data, size_t size);
int JsonInput(const uint8_t* data, size_t size);
int PoCatalogInput(const uint8_t* data, size_t size);

// Stops the process: `what` names the broken property.
[[noreturn]] void PropertyBroken(std::string_view target, std::string_view what);

inline std::string_view AsText(const uint8_t* data, size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// Two inputs in one: what comes before the first `separator`, and what
// comes after it ("" when there is none).
inline std::pair<std::string_view, std::string_view> SplitAtFirst(std::string_view input,
                                                                  char separator) {
  const size_t at = input.find(separator);
  if (at == std::string_view::npos) return {input, {}};
  return {input.substr(0, at), input.substr(at + 1)};
}

}  // namespace olconn97::fuzz

#define OLCONN97_FUZZ_CHECK(target, condition) \
  ((condition) ? (void)0 : ::olconn97::fuzz::PropertyBroken(target, #condition))

#endif  // OLCONN97_TESTS_FUZZ_FUZZ_TARGETS_H_
