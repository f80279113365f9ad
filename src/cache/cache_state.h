// The cache's own bookkeeping, kept in the cache file (table TCacheState)
// so that it commits with the rows it describes: a process killed at any
// point leaves a state that says what the rows are worth.
//
//   RebuildPending    "1" from the commit that empties the table for a
//                     rebuild (and in a fresh copy of the template) until
//                     the commit that ends the rebuild
//   WalkStarted       when the last complete walk began, UTC to the second
//   LastModification  the refresh time text the driver wrote with it
//   LastRecovery      what the driver last did about a cache it could not open
#ifndef OLCONN97_CACHE_CACHE_STATE_H_
#define OLCONN97_CACHE_CACHE_STATE_H_

#include <string>
#include <string_view>

#include "base/result.h"
#include "outside/jet/database.h"

namespace olconn97 {

inline constexpr char kStateRebuildPending[] = "RebuildPending";
inline constexpr char kStateWalkStarted[] = "WalkStarted";
inline constexpr char kStateLastModification[] = "LastModification";
inline constexpr char kStateLastRecovery[] = "LastRecovery";

// The value of `item`; empty when it was never written.
Result<std::string> ReadCacheState(jet::Database& cache, std::string_view item);
// Writes `item` inside whatever transaction or batch is open.
Status WriteCacheState(jet::Database& cache, std::string_view item, std::string_view value);

}  // namespace olconn97

#endif  // OLCONN97_CACHE_CACHE_STATE_H_
