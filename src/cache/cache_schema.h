// The cache table's indexes, which the driver keeps itself.
//
// A lookup must never scan the table: rows are found by their entry ID (a
// refresh deletes a contact's rows), by their digits, by their digits
// backwards (a number searched by its ending) and by name. A rebuild drops
// the indexes while it writes every row, since keeping four indexes in
// step row by row costs many times the writing of the rows, and makes them
// again at its end; opening the cache makes any that are missing (a rebuild
// the process did not live to finish).
#ifndef OLCONN97_CACHE_CACHE_SCHEMA_H_
#define OLCONN97_CACHE_CACHE_SCHEMA_H_

#include "base/status.h"
#include "outside/jet/database.h"

namespace olconn97 {

Status EnsureCacheIndexes(jet::Database& cache);
Status DropCacheIndexes(jet::Database& cache);

}  // namespace olconn97

#endif  // OLCONN97_CACHE_CACHE_SCHEMA_H_
