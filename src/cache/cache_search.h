// The statement behind a caller search in the cache table.
//
// A search is a Jet Like pattern on the digits or on the name of every row,
// sorted by name. Where the pattern fixes how every match begins (or, for a
// phone search, how it ends), an index range on the same column comes first
// and the Like test runs only on the rows inside it: the answer is the one a
// scan of the whole table gives, without the scan.
#ifndef OLCONN97_CACHE_CACHE_SEARCH_H_
#define OLCONN97_CACHE_CACHE_SEARCH_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "cache/stored_number.h"
#include "outside/jet/value.h"

namespace olconn97 {

// The column a search looks in: 1 the name, 0 the phone digits.
inline constexpr int32_t kSearchByName = 1;
inline constexpr int32_t kSearchByPhone = 0;

// "#" -> "[#]", "[" -> "[[]", "?" -> "[?]"; everything else, "*" included,
// is left as it is: a caller's "*" stays a wildcard.
std::string EscapeLikePattern(std::string_view text);

struct CacheQuery {
  std::string sql;  // Jet SQL over TCache
  std::vector<jet::Value> params;
};

// The rows whose column `field` is Like `pattern` (escaped already), sorted
// by Name. The pattern travels as a parameter, never inside the text. Fails
// for a field other than 0 and 1 and for a malformed pattern.
//
// `also`: for a phone search, the stored numbers number matching found to
// dial the same as the pattern; their rows join the result, in the same
// order. Without them the statement is the plain search's, unchanged.
Result<CacheQuery> CacheSearchQuery(int32_t field, std::string_view pattern,
                                    const std::vector<StoredNumber>& also = {});

// Number matching's candidates for a caller whose national significant
// number is `national`: PhoneNumber, PhoneMain and PhoneExtension of the
// rows whose digits end with it, or are the end of it with `shared_digits`
// digits at least (a number written without its area code), and of the
// rows with an extension whose main number shares its last
// `shared_digits`. `loose`: every row that shares them, for regions whose
// numbers are read with digits put into them. Index probes only, whatever
// the table's size.
CacheQuery SameEndingQuery(std::string_view national, size_t shared_digits, bool loose);

}  // namespace olconn97

#endif  // OLCONN97_CACHE_CACHE_SEARCH_H_
