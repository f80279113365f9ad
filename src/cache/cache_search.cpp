#include "cache/cache_search.h"

#include <algorithm>
#include <optional>

#include "cache/cache_schema.h"
#include "outside/jet/like.h"
#include "outside/jet/text_fold.h"

namespace olconn97 {

namespace {

// Text a binary index range may stand for under Like's case rule: ASCII
// without letters, whose characters have no other case.
bool HasNoCase(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) {
    auto byte = static_cast<unsigned char>(c);
    return byte < 0x80 && !((byte | 0x20) >= 'a' && (byte | 0x20) <= 'z');
  });
}

// "<key> >= ? And <key> < ? And " with its values, for the texts beginning
// with `prefix`; empty for an empty prefix.
std::string RangeOn(std::string_view key, const std::string& prefix,
                    std::vector<jet::Value>& params) {
  if (prefix.empty()) return {};
  std::string condition = std::string(key) + " >= ? And ";
  params.emplace_back(prefix);
  if (std::optional<std::string> bound = jet::PrefixUpperBound(prefix)) {
    condition += std::string(key) + " < ? And ";
    params.emplace_back(*bound);
  }
  return condition;
}

}  // namespace

std::string EscapeLikePattern(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (char c : text) {
    if (c == '#' || c == '[' || c == '?') {
      escaped += '[';
      escaped += c;
      escaped += ']';
    } else {
      escaped += c;
    }
  }
  return escaped;
}

Result<CacheQuery> CacheSearchQuery(int32_t field, std::string_view pattern,
                                    const std::vector<StoredNumber>& also) {
  if (field != kSearchByName && field != kSearchByPhone) {
    return Status::InvalidArgument("a search looks in the name (1) or the phone number (0), not " +
                                   std::to_string(field));
  }
  OLC_ASSIGN_OR_RETURN(jet::LikePattern compiled, jet::LikePattern::Compile(pattern));
  CacheQuery query;
  std::string range;
  if (field == kSearchByName) {
    // NameFolded holds the names folded the way Like compares them.
    range = RangeOn("NameFolded", jet::FoldCase(compiled.LiteralPrefix()), query.params);
  } else if (std::string prefix = compiled.LiteralPrefix(); HasNoCase(prefix)) {
    range = RangeOn("PhoneNumber", prefix, query.params);
  }
  if (range.empty() && field == kSearchByPhone) {
    std::string suffix = compiled.LiteralSuffix();
    if (HasNoCase(suffix)) {
      range = RangeOn("PhoneReversed", std::string(suffix.rbegin(), suffix.rend()), query.params);
    }
  }
  const char* column = field == kSearchByName ? "Name" : "PhoneNumber";
  std::string condition = range + column + " Like ?";
  query.params.emplace_back(std::string(pattern));
  if (field == kSearchByPhone && !also.empty()) {
    // Each alternative is a probe of the digits' index: one range per term.
    condition = "(" + condition + ")";
    for (const StoredNumber& number : also) {
      condition += " Or PhoneNumber = ? And PhoneMain";
      query.params.emplace_back(number.digits);
      if (number.main) {
        condition += " = ?";
        query.params.emplace_back(*number.main);
      } else {
        condition += " Is Null";
      }
    }
  }
  query.sql = "Select * From TCache Where " + condition + " Order By Name";
  return query;
}

CacheQuery SameEndingQuery(std::string_view national, size_t shared_digits, bool loose) {
  std::string reversed(national.rbegin(), national.rend());
  std::string shared = reversed.substr(0, shared_digits);
  // Digits always have a bound; no digits, an empty range.
  auto bound = [](const std::string& key) { return jet::PrefixUpperBound(key).value_or(key); };
  CacheQuery query;
  std::string ends = loose ? shared : reversed;
  query.sql = "Select PhoneNumber, PhoneMain, PhoneExtension From TCache Where PhoneReversed >= ? "
              "And PhoneReversed < ?";
  query.params = {ends, bound(ends)};
  if (!loose && reversed.size() > shared.size()) {
    // Numbers that are the end of the national number: a local number.
    query.sql += " Or PhoneReversed In (";
    for (size_t length = shared.size(); length < reversed.size(); ++length) {
      query.sql += length == shared.size() ? "?" : ", ?";
      query.params.emplace_back(reversed.substr(0, length));
    }
    query.sql += ")";
  }
  // The main-number index holds the rows with an extension only; saying so
  // lets SQLite use it. They are few: all that share the ending are read.
  query.sql += std::string(" Or PhoneMain >= ? And PhoneMain < ? And ") + kHasExtension;
  query.params.emplace_back(shared);
  query.params.emplace_back(bound(shared));
  return query;
}

}  // namespace olconn97
