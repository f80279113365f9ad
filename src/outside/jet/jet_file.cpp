#include "outside/jet/jet_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string_view>

#include "outside/jet/connection.h"
#include "outside/jet/jet_sql.h"
#include "outside/jet/mdb_reader.h"
#include "outside/jet/reader_pipe.h"
#include "outside/jet/sqlite_handle.h"
#include "outside/shell/file_io.h"

namespace olconn97::jet {
namespace {

using shell::RetryOnInterrupt;
using shell::ScopedFd;

constexpr std::string_view kJetMagic("\x00\x01\x00\x00", 4);
constexpr std::string_view kJetIds[] = {std::string_view("Standard Jet DB\0", 16),
                                        std::string_view("Standard ACE DB\0", 16)};
constexpr size_t kVersionOffset = 0x14;
// Jet 3 (version 0) pages hold 2048 bytes, every later version's 4096; the
// catalog's definition is page 2.
constexpr size_t kJet3PageSize = 2048;
constexpr size_t kPageSize = 4096;
constexpr uint64_t kFewestPages = 3;

std::chrono::milliseconds stall_limit = std::chrono::seconds(10);
void (*reader_hook_for_testing)() = nullptr;

Status Damaged(const std::string& path, const std::string& reason) {
  return DaoError(Code::kCorrupt, 3049, "The Jet file '" + path + "' is damaged: " + reason + ".",
                  "DAO.Workspace");
}

Result<std::string> ReadHeader(const std::string& path) {
  ScopedFd fd(RetryOnInterrupt([&] { return open(path.c_str(), O_RDONLY | O_CLOEXEC); }));
  if (!fd.valid()) return Status::FromErrno(errno, "Cannot open '" + path + "'", "DAO.Workspace");
  char header[kVersionOffset + 1];
  ssize_t got = RetryOnInterrupt([&] { return pread(fd.get(), header, sizeof header, 0); });
  if (got < 0) return Status::FromErrno(errno, "Cannot read '" + path + "'", "DAO.Workspace");
  return std::string(header, static_cast<size_t>(got));
}

Result<JetFileShape> ReadShape(const std::string& path) {
  OLC_ASSIGN_OR_RETURN(std::string header, ReadHeader(path));
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) {
    return Status::FromErrno(errno, "Cannot open '" + path + "'", "DAO.Workspace");
  }
  if (header.size() <= kVersionOffset) return Damaged(path, "it is cut short inside its header");
  JetFileShape shape;
  shape.page_size = header[kVersionOffset] == 0 ? kJet3PageSize : kPageSize;
  const auto size = static_cast<uint64_t>(info.st_size);
  shape.pages = size / shape.page_size;
  // Jet grows a file a whole page at a time.
  if (size % shape.page_size != 0) {
    return Damaged(path, "it is cut short (" + std::to_string(size) +
                             " bytes, not a whole number of its " +
                             std::to_string(shape.page_size) + "-byte pages)");
  }
  if (shape.pages < kFewestPages) {
    return Damaged(path, "it is cut short (" + std::to_string(shape.pages) +
                             " pages, fewer than any Jet file has)");
  }
  return shape;
}

// The reading process: reads, sends, and ends without returning into the
// caller's code (no unwinding, no handlers run at exit, no buffers of the
// caller's flushed twice). What libmdb prints goes nowhere.
[[noreturn]] void RunReader(const std::string& path, const JetFileShape& shape, int fd) {
  try {
    int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    for (int output : {STDOUT_FILENO, STDERR_FILENO}) {
      if (null >= 0) dup2(null, output);
    }
    // libmdb's own settings: texts come as UTF-8, the file is the one named,
    // no debugging output.
    setenv("MDBICONV", "UTF-8", 1);
    unsetenv("MDBPATH");
    unsetenv("MDBOPTS");
    // A crash ends this process as a crash, whatever handlers the host set.
    for (int fault : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGPIPE}) signal(fault, SIG_DFL);
    if (reader_hook_for_testing != nullptr) reader_hook_for_testing();
    PipeWriter out(fd);
    Status read = ReadJetTables(path, shape, out);
    _exit(out.Finish(read).ok() ? 0 : 1);
  } catch (...) {
    _exit(2);
  }
}

// The reading process from the caller's side: it is ended and reaped with
// this object, whatever became of it.
class ReaderProcess {
 public:
  explicit ReaderProcess(pid_t pid) : pid_(pid) {}
  ~ReaderProcess() {
    if (!reaped_) {
      kill(pid_, SIGKILL);
      (void)Wait();
    }
  }
  ReaderProcess(const ReaderProcess&) = delete;
  ReaderProcess& operator=(const ReaderProcess&) = delete;

  // How it ended, in words.
  std::string Wait() {
    int status = 0;
    pid_t waited = RetryOnInterrupt([&] { return waitpid(pid_, &status, 0); });
    reaped_ = true;
    if (waited != pid_) return "";  // reaped by a handler of the host's
    if (WIFSIGNALED(status)) {
      return " (the reading process was ended by signal " + std::to_string(WTERMSIG(status)) + ")";
    }
    return " (the reading process exited with status " + std::to_string(WEXITSTATUS(status)) + ")";
  }

 private:
  pid_t pid_;
  bool reaped_ = false;
};

Status ReadInReaderProcess(const std::string& path, const JetFileShape& shape, JetTableSink& sink) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return Status::FromErrno(errno, "Cannot read '" + path + "'");
  ScopedFd read_end(fds[0]);
  ScopedFd write_end(fds[1]);
  pid_t pid = fork();
  if (pid < 0) return Status::FromErrno(errno, "Cannot read '" + path + "'");
  if (pid == 0) {
    read_end.Reset();
    RunReader(path, shape, write_end.get());
  }
  ReaderProcess reader(pid);
  write_end.Reset();
  PipeReader in(std::move(read_end), stall_limit);
  Status received = in.ReceiveTables(sink);
  // A reader that stalled, failed or finished is ended on the way out; one
  // that ended early says how.
  if (!in.ended()) return received;
  return Status::Corrupt(received.description() + reader.Wait());
}

// Writes the tables into an SQLite database.
class SqliteSink final : public JetTableSink {
 public:
  explicit SqliteSink(sqlite3* db) : db_(db) {}

  Status BeginTable(const std::string& name, const std::vector<JetColumn>& columns) override {
    std::string create = "CREATE TABLE " + QuoteName(name) + " (";
    std::string insert = "INSERT INTO " + QuoteName(name) + " VALUES (";
    for (size_t i = 0; i < columns.size(); ++i) {
      create += (i ? ", " : "") + QuoteName(columns[i].name) + " " + columns[i].declared_type;
      insert += i ? ", ?" : "?";
    }
    OLC_RETURN_IF_ERROR(Exec(create + ")"));
    sqlite3_stmt* raw = nullptr;
    int rc = sqlite3_prepare_v2(db_, (insert + ")").c_str(), -1, &raw, nullptr);
    insert_.reset(raw);
    return rc == SQLITE_OK ? Status::Ok() : SqliteStatus(rc, db_);
  }

  Status AddRow(const std::vector<JetCell>& row) override {
    sqlite3_stmt* insert = insert_.get();
    for (size_t i = 0; i < row.size(); ++i) {
      const JetCell& cell = row[i];
      const int at = static_cast<int>(i) + 1;
      int rc = SQLITE_OK;
      switch (cell.kind) {
        case JetCell::Kind::kNull:
          rc = sqlite3_bind_null(insert, at);
          break;
        case JetCell::Kind::kInteger:
          rc = sqlite3_bind_int64(insert, at, cell.integer);
          break;
        case JetCell::Kind::kReal:
          rc = sqlite3_bind_double(insert, at, cell.real);
          break;
        case JetCell::Kind::kText:
          rc = sqlite3_bind_text64(insert, at, cell.bytes.data(), cell.bytes.size(), SQLITE_STATIC,
                                   SQLITE_UTF8);
          break;
        case JetCell::Kind::kBlob:
          rc = sqlite3_bind_blob64(insert, at, cell.bytes.data(), cell.bytes.size(), SQLITE_STATIC);
          break;
      }
      if (rc != SQLITE_OK) return SqliteStatus(rc, db_);
    }
    int rc = sqlite3_step(insert);
    sqlite3_reset(insert);
    return rc == SQLITE_DONE ? Status::Ok() : SqliteStatus(rc, db_);
  }

  Status Exec(const std::string& sql) {
    int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr);
    return rc == SQLITE_OK ? Status::Ok() : SqliteStatus(rc, db_);
  }

 private:
  sqlite3* db_;
  StatementHandle insert_;
};

}  // namespace

bool IsJetFile(const std::string& path) {
  Result<std::string> header = ReadHeader(path);
  if (!header.ok() || header.value().size() < kJetMagic.size() + kJetIds[0].size()) return false;
  std::string_view bytes = header.value();
  if (bytes.substr(0, kJetMagic.size()) != kJetMagic) return false;
  for (std::string_view id : kJetIds) {
    if (bytes.substr(kJetMagic.size(), id.size()) == id) return true;
  }
  return false;
}

Status LoadJetFile(const std::string& path, sqlite3* db) {
  OLC_ASSIGN_OR_RETURN(JetFileShape shape, ReadShape(path));
  SqliteSink sink(db);
  OLC_RETURN_IF_ERROR(sink.Exec("BEGIN"));
  Status read = ReadInReaderProcess(path, shape, sink);
  if (!read.ok()) {
    (void)sink.Exec("ROLLBACK");
    return read.code() == Code::kCorrupt ? Damaged(path, read.description()) : read;
  }
  return sink.Exec("COMMIT");
}

Status JetFileIsReadOnly(const std::string& path) {
  return DaoError(Code::kAccessDenied, 3027,
                  "Cannot update. Database or object is read-only: '" + path +
                      "' is a Jet file, which is read, never written.",
                  "DAO.Database");
}

void SetJetReadStallLimitForTesting(std::chrono::milliseconds limit) { stall_limit = limit; }

void SetJetReaderHookForTesting(void (*hook)()) { reader_hook_for_testing = hook; }

}  // namespace olconn97::jet
