// The cache file's layout as the driver needs it, and the indexes and
// derived values it keeps itself.
//
// A lookup must never scan the table: rows are found by their entry ID (a
// refresh deletes a contact's rows), by their digits, by their digits
// backwards (a number searched by its ending), by their folded name, and,
// for the few numbers written with an extension, by their main number
// backwards. A rebuild drops the four large indexes while it writes every
// row, since keeping them in step row by row costs many times the writing
// of the rows, and makes them again at its end; opening the cache makes any
// that are missing.
//
// The derived columns (PhoneReversed, NameFolded; PhoneMain and
// PhoneExtension, stored_number.h) are plain columns, so that any SQLite
// program can read and change the file; rows another program wrote get
// theirs from FillDerivedValues.
#ifndef OLCONN97_CACHE_CACHE_SCHEMA_H_
#define OLCONN97_CACHE_CACHE_SCHEMA_H_

#include <string>
#include <string_view>

#include "base/status.h"
#include "outside/jet/database.h"

namespace olconn97 {

// The rows the main-number index holds, in words that serve both SQLite and
// a search: a search that means to use the index repeats them.
inline constexpr char kHasExtension[] = "PhoneExtension Is Not Null";

// "0123 456-78" -> "012345678": the decimal digits of a number, nothing else.
std::string PhoneDigits(std::string_view number);
// What the derived columns hold for a row's digits and name.
std::string ReversedDigits(std::string_view digits);
std::string FoldedName(std::string_view name);

// Fails with kCorrupt when the file is not a cache of this driver's layout
// (a file of an older layout among them): it must be made again.
Status CheckCacheLayout(jet::Database& cache);

Status EnsureCacheIndexes(jet::Database& cache);
Status DropCacheIndexes(jet::Database& cache);

// Writes the derived values of the rows that have none (written or changed
// by another program); returns how many rows it completed. Such a row's
// digits are all that is known of its number: its PhoneMain and
// PhoneExtension stay null (the cache's trigger cleared any that another
// program's change of the digits made stale).
Result<int64_t> FillDerivedValues(jet::Database& cache);

}  // namespace olconn97

#endif  // OLCONN97_CACHE_CACHE_SCHEMA_H_
