// Databases that are real Jet files: the employee directory as the suite
// writes it on Windows (Access 97's Jet 3, Access 2000-2003's Jet 4, and ACE
// files as far as libmdb reads them). Opening one reads it whole, through
// libmdb, into an SQLite database in memory, so that the same statements run
// on it as on a directory kept in SQLite. The copy is read-only: nothing
// written to it could ever reach the file.
//
// What the copy holds: every user table (the MSys* system tables are left
// out) under its own name, its columns in their order, and every row in the
// order the file keeps them, with the values `mdb-export` prints for them:
//
//   Jet column                   declared type  value
//   Yes/No                       BOOLEAN        0 or 1
//   Byte, Integer, Long Integer  INTEGER        the number
//   Single, Double               REAL           the number as stored
//   Currency                     REAL           the amount (stored in 1/10000)
//   Decimal                      NUMERIC        the number
//   Date/Time                    DATETIME       text "YYYY-MM-DD HH:MM:SS"
//   Text, Memo                   TEXT           UTF-8 text, at any length
//   Replication ID               TEXT           "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"
//   OLE Object, Binary, others   BLOB           the bytes
//
// A null value, and an empty text (which Jet files cannot tell from it), is
// null. Dates before 30 December 1899 read as "1900-01-00 00:00:00", as
// libmdb gives them.
//
// libmdb trusts the file it reads: a damaged file can make it loop forever
// or crash. It therefore runs in a process of its own, which hands the rows
// over a pipe and is ended when it stops making progress; a damaged or cut
// short file fails with kCorrupt, and the calling process never sees more
// than that.
#ifndef OLCONN97_OUTSIDE_JET_JET_FILE_H_
#define OLCONN97_OUTSIDE_JET_JET_FILE_H_

#include <sqlite3.h>

#include <chrono>
#include <string>

#include "base/status.h"

namespace olconn97::jet {

// True when the file at `path` begins as a Jet or ACE database does (its
// header, whatever its name); false for anything else, an unreadable file
// included.
bool IsJetFile(const std::string& path);

// Reads the Jet file at `path` into `db`, an empty database (in memory),
// as one transaction. kCorrupt for a damaged, cut short or unreadable file.
Status LoadJetFile(const std::string& path, sqlite3* db);

// The failure of a write to the copy of the Jet file `path`.
Status JetFileIsReadOnly(const std::string& path);

// How long the reading process may go without handing anything over before
// it is taken for caught in a damaged file; tests shorten it.
void SetJetReadStallLimitForTesting(std::chrono::milliseconds limit);
// Run in the reading process before it reads (null: nothing); tests crash
// or stop it with it.
void SetJetReaderHookForTesting(void (*hook)());

}  // namespace olconn97::jet

#endif  // OLCONN97_OUTSIDE_JET_JET_FILE_H_
