// The Jet rules the database layer adds to every SQLite connection.
#ifndef OLCONN97_OUTSIDE_JET_SQL_FUNCTIONS_H_
#define OLCONN97_OUTSIDE_JET_SQL_FUNCTIONS_H_

#include <sqlite3.h>

#include "base/status.h"

namespace olconn97::jet {

// The SQL function that folds text case the way Like compares it, so an
// expression index or a folded column can serve a case-insensitive prefix.
inline constexpr char kFoldFunction[] = "jet_fold";

// The SQL function that writes a text backwards (the cache's reversed digits).
inline constexpr char kReverseFunction[] = "jet_reverse";

// Registers, on `db`:
// - Jet's Like in place of SQLite's: "x LIKE p" tests x against the Jet
//   pattern p (like.h). An invalid pattern fails the statement with
//   "Invalid pattern string.". A null on either side gives null.
// - The text collation of Order By (kTextCollation, CompareText()).
// - kFoldFunction(text) and kReverseFunction(text).
// All are deterministic and harmless, so the schema may use them.
Status RegisterJetFunctions(sqlite3* db);

}  // namespace olconn97::jet

#endif  // OLCONN97_OUTSIDE_JET_SQL_FUNCTIONS_H_
