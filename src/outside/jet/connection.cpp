#include "outside/jet/connection.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "outside/jet/jet_file.h"
#include "outside/jet/sql_functions.h"

namespace olconn97::jet {
namespace {

constexpr size_t kMaxCachedStatements = 64;

void (*commit_hook_for_testing)() = nullptr;

Status NotADatabase(const std::string& path) {
  return DaoError(Code::kCorrupt, 3343, "Unrecognized database format '" + path + "'.",
                  "DAO.Workspace");
}

// SQLite reads a name beginning "file:" as a URI and ":memory:" as no file
// at all; "./" in front keeps a relative path a plain file name.
std::string FileName(const std::string& path) {
  if (path.empty() || path[0] == '/') return path;
  return "./" + path;
}

Status CheckIsFile(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) {
    int error = errno;
    if (error == ENOENT || error == ENOTDIR) {
      return DaoError(Code::kNotFound, 3024, "Could not find file '" + path + "'.",
                      "DAO.Workspace");
    }
    return Status::FromErrno(error, "Cannot open '" + path + "'", "DAO.Workspace");
  }
  if (!S_ISREG(info.st_mode)) return NotADatabase(path);
  return Status::Ok();
}

uint32_t BigEndian(const unsigned char* bytes, int size) {
  uint32_t value = 0;
  for (int i = 0; i < size; ++i) value = (value << 8) | bytes[i];
  return value;
}

// A file cut short (a copy or a disk that ran out of room) still opens, and
// fails only when a search reaches a missing page. Its header says how long
// it is: a main file shorter than that, with no write-ahead log that could
// hold the rest, is damaged.
Status CheckNotCutShort(const std::string& path) {
  struct stat wal {};
  if (stat((path + "-wal").c_str(), &wal) == 0 && wal.st_size > 0) return Status::Ok();
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Status::Ok();  // the open that follows says why
  unsigned char header[100] = {};
  ssize_t got = pread(fd, header, sizeof header, 0);
  struct stat info {};
  bool stated = fstat(fd, &info) == 0;
  close(fd);
  if (got != static_cast<ssize_t>(sizeof header) || !stated) return Status::Ok();
  uint32_t page_size = BigEndian(header + 16, 2);
  if (page_size == 1) page_size = 65536;
  uint32_t pages = BigEndian(header + 28, 4);
  // The page count is only valid while the two change counters agree.
  if (BigEndian(header + 24, 4) != BigEndian(header + 92, 4)) return Status::Ok();
  if (static_cast<uint64_t>(info.st_size) < static_cast<uint64_t>(page_size) * pages) {
    return DaoError(Code::kCorrupt, 3343,
                    "Unrecognized database format '" + path +
                        "' (the file is cut short: " + std::to_string(info.st_size) + " of " +
                        std::to_string(static_cast<uint64_t>(page_size) * pages) + " bytes).",
                    "DAO.Workspace");
  }
  return Status::Ok();
}

void RemoveDatabaseFiles(const std::string& path) {
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) unlink((path + suffix).c_str());
}

}  // namespace

Status DaoError(Code code, uint32_t number, std::string description, std::string source) {
  return Status::Error(code, std::move(description), std::move(source))
      .WithNumber(static_cast<int32_t>(0x800A0000u | number));
}

Status ObjectClosed(std::string source) {
  return DaoError(Code::kUnavailable, 3420, "Object invalid or no longer set.", std::move(source));
}

Result<DatabaseHandle> Connection::OpenHandle(const std::string& path, int flags) {
  sqlite3* raw = nullptr;
  // A connection serves the thread the driver is called on and no other:
  // SQLite's lock around every call on it would only cost time.
  int rc = sqlite3_open_v2(FileName(path).c_str(), &raw, flags | SQLITE_OPEN_NOMUTEX, nullptr);
  DatabaseHandle db(raw);
  if (rc != SQLITE_OK) return SqliteStatus(rc, raw);
  sqlite3_busy_timeout(raw, kBusyTimeoutMs);
  // A misspelt name must fail, not turn into a text value.
  sqlite3_db_config(raw, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
  sqlite3_db_config(raw, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
  sqlite3_db_config(raw, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
  sqlite3_db_config(raw, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
  OLC_RETURN_IF_ERROR(RegisterJetFunctions(raw));
  return db;
}

Result<std::shared_ptr<Connection>> Connection::OpenJetFile(const std::string& path) {
  OLC_ASSIGN_OR_RETURN(DatabaseHandle db,
                       OpenHandle(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_MEMORY));
  OLC_RETURN_IF_ERROR(LoadJetFile(path, db.get()));
  std::shared_ptr<Connection> connection(new Connection(std::move(db), path));
  connection->read_only_ = true;
  // Behind the checks of Write and Exec: nothing changes the copy.
  OLC_RETURN_IF_ERROR(connection->Exec("PRAGMA query_only=1"));
  return connection;
}

Result<std::shared_ptr<Connection>> Connection::Open(const std::string& path) {
  OLC_RETURN_IF_ERROR(CheckIsFile(path));
  if (IsJetFile(path)) return OpenJetFile(path);
  OLC_RETURN_IF_ERROR(CheckNotCutShort(path));
  OLC_ASSIGN_OR_RETURN(DatabaseHandle db, OpenHandle(path, SQLITE_OPEN_READWRITE));
  std::shared_ptr<Connection> connection(new Connection(std::move(db), path));
  // A number the file answers; damage shows as a file that is no database.
  auto count = [&](const char* sql) -> Result<int64_t> {
    Result<int64_t> number = [&]() -> Result<int64_t> {
      OLC_ASSIGN_OR_RETURN(Query query, connection->Prepare(sql));
      OLC_ASSIGN_OR_RETURN(bool row, query.Step());
      return row ? query.ColumnInteger(0) : 0;
    }();
    if (!number.ok() && number.status().code() == Code::kCorrupt) return NotADatabase(path);
    return number;
  };
  // Checked before anything is written: an empty file would otherwise
  // become a database.
  OLC_ASSIGN_OR_RETURN(int64_t pages, count("PRAGMA page_count"));
  if (pages == 0) return NotADatabase(path);
  // Reading the schema reaches the first page's contents: random bytes
  // behind a valid header fail here rather than in the first search.
  OLC_RETURN_IF_ERROR(count("SELECT count(*) FROM sqlite_schema").status());
  OLC_RETURN_IF_ERROR(connection->Exec("PRAGMA journal_mode=WAL"));
  OLC_RETURN_IF_ERROR(connection->Exec("PRAGMA synchronous=NORMAL"));
  // Debian's SQLite zeroes every page a delete frees, which makes emptying
  // a table for a rebuild write the whole file twice (journal and file).
  // The rows hold nothing the file's readers could not see before; pages
  // are still cleared where that costs no extra write.
  OLC_RETURN_IF_ERROR(connection->Exec("PRAGMA secure_delete=FAST"));
  OLC_RETURN_IF_ERROR(connection->SetMemoryUse(/*bulk_writes=*/false));
  return connection;
}

Status Connection::Create(const std::string& path, std::string_view schema) {
  struct stat info {};
  if (stat(path.c_str(), &info) == 0) {
    return DaoError(Code::kAlreadyExists, 3204, "Database already exists.", "DAO.DBEngine");
  }
  // Built beside the target and linked into place, which fails rather than
  // replace a file that appeared meanwhile.
  std::string partial = path + ".partial";
  RemoveDatabaseFiles(partial);
  Status status = [&]() -> Status {
    OLC_ASSIGN_OR_RETURN(DatabaseHandle db,
                         OpenHandle(partial, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE));
    Connection building(std::move(db), partial);
    // Every page a walk writes goes to the journal and then into the file,
    // one system call each way: pages of 16 KB take a quarter of the calls
    // of SQLite's 4 KB for the same rows. Fixed before the journal mode,
    // which would keep it.
    OLC_RETURN_IF_ERROR(building.Exec("PRAGMA page_size=16384"));
    OLC_RETURN_IF_ERROR(building.Exec("PRAGMA journal_mode=WAL"));
    OLC_RETURN_IF_ERROR(building.Exec("BEGIN"));
    OLC_RETURN_IF_ERROR(building.Exec(std::string(schema).c_str()));
    OLC_RETURN_IF_ERROR(building.Exec("COMMIT"));
    return building.Close();
  }();
  if (status.ok() && link(partial.c_str(), path.c_str()) != 0) {
    status = Status::FromErrno(errno, "Cannot create '" + path + "'", "DAO.DBEngine");
  }
  RemoveDatabaseFiles(partial);
  return status;
}

Connection::~Connection() { (void)Close(); }

Status Connection::Exec(const char* sql) {
  if (!db_) return ObjectClosed("DAO.Database");
  int rc = sqlite3_exec(db_.get(), sql, nullptr, nullptr, nullptr);
  if (rc == SQLITE_READONLY && read_only_) return JetFileIsReadOnly(path_);
  if (rc != SQLITE_OK) return SqliteStatus(rc, db_.get());
  CommittedIfAutocommit();
  return Status::Ok();
}

Result<Query> Connection::Prepare(const std::string& sql) {
  if (!db_) return ObjectClosed("DAO.Database");
  auto found = statements_.find(sql);
  if (found != statements_.end() && !found->second->in_use) {
    found->second->last_used = ++use_counter_;
    return Query(found->second, db_.get());
  }
  sqlite3_stmt* raw = nullptr;
  const char* tail = nullptr;
  int rc = sqlite3_prepare_v3(db_.get(), sql.c_str(), static_cast<int>(sql.size() + 1),
                              SQLITE_PREPARE_PERSISTENT, &raw, &tail);
  auto entry = std::make_shared<CachedStatement>();
  entry->handle.reset(raw);
  if (rc != SQLITE_OK) return SqliteStatus(rc, db_.get());
  if (raw == nullptr) return Status::InvalidArgument("Empty statement.", "DAO.Database");
  if (tail != nullptr && *tail != '\0') {
    return Status::InvalidArgument("Characters found after end of SQL statement.", "DAO.Database");
  }
  // A statement in use elsewhere (a nested use) gets a copy of its own.
  if (found == statements_.end()) {
    EvictIfFull();
    statements_.emplace(sql, entry);
  }
  entry->last_used = ++use_counter_;
  return Query(entry, db_.get());
}

void Connection::EvictIfFull() {
  if (statements_.size() < kMaxCachedStatements) return;
  auto oldest = statements_.begin();
  for (auto it = statements_.begin(); it != statements_.end(); ++it) {
    if (it->second->last_used < oldest->second->last_used) oldest = it;
  }
  statements_.erase(oldest);  // a Query still holding it keeps it alive
}

Status Connection::BeginBatchIfNeeded() {
  if (!db_) return ObjectClosed("DAO.Database");
  if (in_transaction_ || commit_every_ <= 1 || !sqlite3_get_autocommit(db_.get())) {
    return Status::Ok();
  }
  // Immediate: the write lock is taken (or waited for) now, so the batch can
  // never fail later for a lock another process took in between.
  return Exec("BEGIN IMMEDIATE");
}

Result<int64_t> Connection::Write(const std::string& sql, std::span<const Value> params) {
  if (read_only_ && db_) return JetFileIsReadOnly(path_);
  OLC_RETURN_IF_ERROR(BeginBatchIfNeeded());
  Status ran = [&]() -> Status {
    OLC_ASSIGN_OR_RETURN(Query query, Prepare(sql));
    OLC_RETURN_IF_ERROR(query.BindBorrowed(params));  // `params` outlive the query
    return query.Run();
  }();
  if (!ran.ok()) {
    AbandonBatch();
    return ran;
  }
  int64_t changed = sqlite3_changes64(db_.get());
  CommittedIfAutocommit();
  uncommitted_rows_ += changed;
  if (!in_transaction_ && uncommitted_rows_ >= commit_every_) OLC_RETURN_IF_ERROR(Commit());
  return changed;
}

Status Connection::SetMemoryUse(bool bulk_writes) {
  if (bulk_writes) {
    // Appending rows and building indexes after touch each page about once:
    // a larger cache only costs memory (measured: a 4 MB cache builds
    // 100,000 contacts faster than 16 MB, at a flat peak).
    OLC_RETURN_IF_ERROR(Exec("PRAGMA cache_size=-4096"));
    // The index builds after a walk sort in this thread alone: SQLite's
    // helper threads for a sort larger than the cache cost more than they
    // save (measured: 0.75 s instead of 0.55 s for the four indexes of
    // 100,000 contacts).
    // Every checkpoint waits for the disk twice; a walk's rows and indexes
    // go into the file once, when the walk is over.
    OLC_RETURN_IF_ERROR(Exec("PRAGMA wal_autocheckpoint=0"));
    return Exec("PRAGMA mmap_size=0");
  }
  // A page cache large enough for a refresh's batch of writes (16 MB).
  OLC_RETURN_IF_ERROR(Exec("PRAGMA cache_size=-16384"));
  OLC_RETURN_IF_ERROR(Exec("PRAGMA wal_autocheckpoint=1000"));
  // The journal of a rebuild grows with the store; once its pages are in
  // the file, it shrinks back rather than keep that room on the disk.
  OLC_RETURN_IF_ERROR(Exec("PRAGMA journal_size_limit=16777216"));
  // Reads straight from the system's file cache instead of copying each
  // page in: a lookup in a large cache file touches pages all over it.
  return Exec("PRAGMA mmap_size=1073741824");
}

int64_t Connection::last_insert_rowid() const {
  return db_ ? sqlite3_last_insert_rowid(db_.get()) : 0;
}

Status Connection::Commit() {
  if (!db_) return ObjectClosed("DAO.Database");
  if (in_transaction_) return Status::Ok();
  if (!sqlite3_get_autocommit(db_.get())) {
    Status committed = Exec("COMMIT");
    if (!committed.ok()) {
      AbandonBatch();
      return committed;
    }
  }
  uncommitted_rows_ = 0;
  return Status::Ok();
}

// A batch is one step: a writer that replaces a contact's rows deletes the
// old ones and writes the new in the same batch, so a batch that keeps its
// deletions but not all of its rows (a full disk fails one insert, SQLite
// rolls that statement back alone) would lose the contact. The whole batch
// goes instead; its writer learns of the failure and writes it again later.
void Connection::AbandonBatch() {
  if (!in_transaction_ && db_ && !sqlite3_get_autocommit(db_.get())) (void)Exec("ROLLBACK");
  if (!in_transaction_) uncommitted_rows_ = 0;
}

Status Connection::BeginTransaction() {
  if (in_transaction_) return Status::Failed("a transaction is already open", "DAO.Workspace");
  OLC_RETURN_IF_ERROR(Commit());
  OLC_RETURN_IF_ERROR(Exec("BEGIN IMMEDIATE"));
  in_transaction_ = true;
  return Status::Ok();
}

Status Connection::CommitTransaction() {
  if (!in_transaction_) return Status::Failed("no transaction is open", "DAO.Workspace");
  in_transaction_ = false;
  Status committed = Exec("COMMIT");
  if (!committed.ok()) {
    // A transaction that cannot commit must not half-survive into the next one.
    if (!sqlite3_get_autocommit(db_.get())) (void)Exec("ROLLBACK");
    uncommitted_rows_ = 0;
    return committed;
  }
  uncommitted_rows_ = 0;
  return Status::Ok();
}

Status Connection::Rollback() {
  if (!in_transaction_) return Status::Failed("no transaction is open", "DAO.Workspace");
  in_transaction_ = false;
  uncommitted_rows_ = 0;
  if (!db_ || sqlite3_get_autocommit(db_.get())) return Status::Ok();
  return Exec("ROLLBACK");
}

void Connection::CommittedIfAutocommit() {
  // Outside a transaction every statement commits as it ends.
  if (commit_hook_for_testing != nullptr && sqlite3_get_autocommit(db_.get())) {
    commit_hook_for_testing();
  }
}

void SetCommitHookForTesting(void (*hook)()) { commit_hook_for_testing = hook; }

Status Connection::CompactInto(const std::string& target) {
  OLC_RETURN_IF_ERROR(Commit());
  struct stat info {};
  if (stat(target.c_str(), &info) == 0) {
    return DaoError(Code::kAlreadyExists, 3204, "Database already exists.", "DAO.DBEngine");
  }
  OLC_ASSIGN_OR_RETURN(Query query, Prepare("VACUUM INTO ?1"));
  OLC_RETURN_IF_ERROR(query.Bind(std::vector<Value>{Value(FileName(target))}));
  return query.Run();
}

Status Connection::Close() {
  if (!db_) return Status::Ok();
  // A transaction still open when its database closes was never finished.
  if (in_transaction_) (void)Rollback();
  Status status = Commit();
  statements_.clear();
  db_.reset();
  return status;
}

}  // namespace olconn97::jet
