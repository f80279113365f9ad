// The item filters of Restrict and Find: a filter parsed, its value read as
// a time, and the filter written again and read back the same.
#include <string>

#include "base/strings.h"
#include "fuzz/fuzz_targets.h"
#include "outside/pim/filter.h"

namespace olconn97::fuzz {
namespace {

constexpr std::string_view kTarget = "filter";

// In the order of pim::Comparison.
constexpr std::string_view kOperatorTexts[] = {"=", "<>", "<", "<=", ">", ">="};

}  // namespace

int FilterInput(const uint8_t* data, size_t size) {
  const std::string_view text = AsText(data, size);
  (void)pim::ParseFilterTime(text);
  Result<pim::Filter> parsed = pim::ParseFilter(text);
  if (!parsed.ok()) return 0;
  const pim::Filter& filter = parsed.value();
  (void)pim::ParseFilterTime(filter.value);

  const std::string quote = filter.quoted ? std::string(1, TrimBlanks(text).back()) : "";
  const std::string again = "[" + filter.property + "] " +
                            std::string(kOperatorTexts[static_cast<int>(filter.comparison)]) + " " +
                            quote + filter.value + quote;
  Result<pim::Filter> reparsed = pim::ParseFilter(again);
  OLCONN97_FUZZ_CHECK(kTarget, reparsed.ok());
  OLCONN97_FUZZ_CHECK(kTarget, reparsed.value().property == filter.property &&
                                   reparsed.value().comparison == filter.comparison &&
                                   reparsed.value().value == filter.value &&
                                   reparsed.value().quoted == filter.quoted);
  return 0;
}

}  // namespace olconn97::fuzz
