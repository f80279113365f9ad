// One open SQLite database: its settings, its prepared statements and its
// write batches. Shared by a Database and the recordsets opened on it, so a
// recordset outliving its database finds the connection closed instead of
// dangling. One thread at a time.
#ifndef OLCONN97_OUTSIDE_JET_CONNECTION_H_
#define OLCONN97_OUTSIDE_JET_CONNECTION_H_

#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "base/result.h"
#include "outside/jet/sqlite_handle.h"
#include "outside/jet/value.h"

namespace olconn97::jet {

// How long a statement waits for another process's write to finish.
inline constexpr int kBusyTimeoutMs = 5000;

class Connection {
 public:
  // Opens an existing database for reading and writing. A missing file fails
  // with kNotFound, a file that is not a database with kCorrupt; neither is
  // ever turned into a database. A Jet file is read into memory and opens
  // read-only (jet_file.h): every write fails with kAccessDenied.
  static Result<std::shared_ptr<Connection>> Open(const std::string& path);

  // Creates a database at `path` holding what `schema` (SQLite statements)
  // creates. The file appears whole or not at all; an existing file fails
  // with kAlreadyExists.
  static Status Create(const std::string& path, std::string_view schema);

  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  bool is_open() const { return db_ != nullptr; }
  // A copy of a Jet file, which takes no writes.
  bool read_only() const { return read_only_; }
  const std::string& path() const { return path_; }

  // A reusable statement for `sql`; fails when the connection is closed.
  Result<Query> Prepare(const std::string& sql);

  // Runs a statement that changes rows, inside the current batch, and
  // returns how many rows it changed.
  Result<int64_t> Write(const std::string& sql, std::span<const Value> params);
  int64_t last_insert_rowid() const;

  // Writes gather in one transaction that commits once it holds `rows`
  // written rows; 1 (the default) commits every write at once. Reads on
  // this connection see every row written, committed or not.
  void SetCommitEvery(int64_t rows) { commit_every_ = rows < 1 ? 1 : rows; }
  // The page cache and memory map of ordinary use, or of a bulk write.
  Status SetMemoryUse(bool bulk_writes);
  // Commits the current batch; inside a transaction it does nothing.
  Status Commit();

  // Every write until CommitTransaction (schema changes too) commits as one,
  // or not at all: batches do not commit inside it. Not nested.
  Status BeginTransaction();
  Status CommitTransaction();
  Status Rollback();
  bool in_transaction() const { return in_transaction_; }

  // Commits, then writes a compacted copy to `target`, which must not exist.
  Status CompactInto(const std::string& target);

  // Commits, then closes. Later calls fail as on a closed object.
  Status Close();

  // Runs SQLite statements as they are (the driver's own schema changes).
  Status Exec(const char* sql);

 private:
  Connection(DatabaseHandle db, std::string path) : db_(std::move(db)), path_(std::move(path)) {}
  static Result<DatabaseHandle> OpenHandle(const std::string& path, int flags);
  static Result<std::shared_ptr<Connection>> OpenJetFile(const std::string& path);
  // Rolls back the open batch, if any (not an explicit transaction).
  void AbandonBatch();
  Status BeginBatchIfNeeded();
  void CommittedIfAutocommit();
  void EvictIfFull();

  DatabaseHandle db_;
  std::string path_;
  std::map<std::string, std::shared_ptr<CachedStatement>, std::less<>> statements_;
  uint64_t use_counter_ = 0;
  int64_t commit_every_ = 1;
  int64_t uncommitted_rows_ = 0;
  bool in_transaction_ = false;
  bool read_only_ = false;
};

// Runs `hook` after every commit of every connection of the process (null:
// none). Tests stop a process at a commit boundary with it.
void SetCommitHookForTesting(void (*hook)());

// The failure of an operation on a closed object, for `source`
// ("DAO.Database", "DAO.Recordset", ...).
Status ObjectClosed(std::string source);

// A failure as DAO reports it: `number` is DAO's own error number (3024,
// 3343, ...), which the host sees inside an automation error number.
Status DaoError(Code code, uint32_t number, std::string description, std::string source);

}  // namespace olconn97::jet

#endif  // OLCONN97_OUTSIDE_JET_CONNECTION_H_
