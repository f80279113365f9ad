// The Like compiler: a pattern (the input's first line) compiled and run
// on a text (the rest).
#include <string>

#include "base/utf8.h"
#include "fuzz/fuzz_targets.h"
#include "outside/jet/like.h"

namespace olconn97::fuzz {
namespace {

constexpr std::string_view kTarget = "like";

}  // namespace

int LikeInput(const uint8_t* data, size_t size) {
  const auto [pattern, text] = SplitAtFirst(AsText(data, size), '\n');

  Result<jet::LikePattern> compiled = jet::LikePattern::Compile(pattern);
  if (!compiled.ok()) return 0;
  const jet::LikePattern& like = compiled.value();
  const bool matches = like.Matches(text);
  const std::string prefix = like.LiteralPrefix();
  const std::string suffix = like.LiteralSuffix();
  // A search narrowed to the prefix's index range must still find the text.
  if (matches && !prefix.empty() && prefix.size() <= text.size() &&
      text.substr(0, prefix.size()) == prefix) {
    std::optional<std::string> bound = jet::PrefixUpperBound(prefix);
    OLCONN97_FUZZ_CHECK(kTarget, !bound || std::string_view(*bound) > text);
  }
  // A literal pattern matches its own text; its bytes must be text, though:
  // invalid bytes either side of a "[]" may read as one character once joined.
  if (like.IsLiteral() && IsValidUtf8(pattern)) {
    OLCONN97_FUZZ_CHECK(kTarget, like.Matches(prefix));
    OLCONN97_FUZZ_CHECK(kTarget, prefix == suffix);
  }
  return 0;
}

}  // namespace olconn97::fuzz
