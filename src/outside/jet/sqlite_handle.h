// Owners of SQLite's handles and the one translation of its result codes.
// Only the database layer includes this header.
#ifndef OLCONN97_OUTSIDE_JET_SQLITE_HANDLE_H_
#define OLCONN97_OUTSIDE_JET_SQLITE_HANDLE_H_

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "base/result.h"
#include "outside/jet/value.h"

namespace olconn97::jet {

struct DatabaseCloser {
  void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using DatabaseHandle = std::unique_ptr<sqlite3, DatabaseCloser>;

struct StatementFinalizer {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using StatementHandle = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

// Every SQLite failure becomes a Status here and nowhere else. `db` gives
// the message of the last failure on that connection; without it the
// code's generic text is used.
Status SqliteStatus(int result_code, sqlite3* db);

// What a result column is and where it comes from.
struct ColumnInfo {
  std::string name;      // as the result names it
  std::string table;     // the table it is read from; empty for an expression
  std::string column;    // its name in that table
  bool boolean = false;  // declared yes/no
};

// A prepared statement kept for reuse, and whether a Query holds it now.
struct CachedStatement {
  StatementHandle handle;
  bool in_use = false;
  uint64_t last_used = 0;
  // Its result columns, described once per preparation (SQLite prepares a
  // statement again when the schema changed; `described_at` tells).
  std::vector<ColumnInfo> columns;
  int described_at = -1;
};

// One use of a prepared statement: bind, step, read. The statement is reset
// and its bindings cleared when the Query ends, ready for the next use.
class Query {
 public:
  Query(std::shared_ptr<CachedStatement> statement, sqlite3* db);
  Query(Query&& other) noexcept = default;
  Query& operator=(Query&&) = delete;
  ~Query();

  // Binds values[i] to parameter first_index + i.
  Status Bind(std::span<const Value> values, int first_index = 1);
  // The same for values that outlive this query (its end clears the
  // bindings): texts are bound where they lie, not copied.
  Status BindBorrowed(std::span<const Value> values);
  Status BindInteger(int index, int64_t number);
  // True when a row is ready, false when the statement is done.
  Result<bool> Step();
  // Steps to the end, for a statement that returns no rows.
  Status Run();

  int column_count() const;
  Value Column(int index, bool boolean = false) const;
  int64_t ColumnInteger(int index) const;
  ColumnInfo Describe(int index) const;
  // Every result column, described once for the prepared statement.
  const std::vector<ColumnInfo>& Columns();

 private:
  sqlite3_stmt* get() const { return statement_->handle.get(); }
  Status BindValues(std::span<const Value> values, int first_index,
                    sqlite3_destructor_type text_lifetime);

  std::shared_ptr<CachedStatement> statement_;
  sqlite3* db_;
};

}  // namespace olconn97::jet

#endif  // OLCONN97_OUTSIDE_JET_SQLITE_HANDLE_H_
