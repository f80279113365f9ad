#include "outside/jet/sqlite_handle.h"

#include "base/strings.h"

namespace olconn97::jet {
namespace {

Code CodeFor(int primary_code) {
  switch (primary_code) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return Code::kBusy;
    case SQLITE_PERM:
    case SQLITE_READONLY:
    case SQLITE_AUTH:
      return Code::kAccessDenied;
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
      return Code::kCorrupt;
    case SQLITE_CANTOPEN:
    case SQLITE_IOERR:
    case SQLITE_FULL:
      return Code::kIoError;
    case SQLITE_CONSTRAINT:
    case SQLITE_MISMATCH:
    case SQLITE_RANGE:
    case SQLITE_TOOBIG:
      return Code::kInvalidArgument;
    case SQLITE_NOTFOUND:
      return Code::kNotFound;
    default:
      return Code::kFailed;
  }
}

bool DeclaresYesNo(const char* declared_type) {
  if (declared_type == nullptr) return false;
  std::string type = ToLowerAscii(declared_type);
  return type.find("bool") != std::string::npos || type.find("yesno") != std::string::npos ||
         type == "bit";
}

}  // namespace

Status SqliteStatus(int result_code, sqlite3* db) {
  int primary = result_code & 0xFF;
  std::string description = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(result_code);
  Status status = Status::Error(CodeFor(primary), std::move(description), "DAO.Database");
  if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED) {
    // 3260: "couldn't update; currently locked", as a caller of the engine knows it.
    return std::move(status).WithNumber(static_cast<int32_t>(0x800A0000u | 3260u));
  }
  return status;
}

Query::Query(std::shared_ptr<CachedStatement> statement, sqlite3* db)
    : statement_(std::move(statement)), db_(db) {
  statement_->in_use = true;
}

Query::~Query() {
  if (!statement_) return;  // moved from
  sqlite3_reset(get());
  sqlite3_clear_bindings(get());
  statement_->in_use = false;
}

Status Query::Bind(std::span<const Value> values, int first_index) {
  return BindValues(values, first_index, SQLITE_TRANSIENT);
}

Status Query::BindBorrowed(std::span<const Value> values) {
  return BindValues(values, 1, SQLITE_STATIC);
}

Status Query::BindValues(std::span<const Value> values, int first_index,
                         sqlite3_destructor_type text_lifetime) {
  for (size_t i = 0; i < values.size(); ++i) {
    int index = first_index + static_cast<int>(i);
    const Value& value = values[i];
    int rc = SQLITE_OK;
    switch (value.type()) {
      case Value::Type::kNull:
        rc = sqlite3_bind_null(get(), index);
        break;
      case Value::Type::kInteger:
        rc = sqlite3_bind_int64(get(), index, value.integer());
        break;
      case Value::Type::kReal:
        rc = sqlite3_bind_double(get(), index, value.real());
        break;
      case Value::Type::kText:
        rc = sqlite3_bind_text64(get(), index, value.text().data(), value.text().size(),
                                 text_lifetime, SQLITE_UTF8);
        break;
      case Value::Type::kBoolean:
        rc = sqlite3_bind_int(get(), index, value.boolean() ? 1 : 0);
        break;
    }
    if (rc != SQLITE_OK) return SqliteStatus(rc, db_);
  }
  return Status::Ok();
}

Status Query::BindInteger(int index, int64_t number) {
  int rc = sqlite3_bind_int64(get(), index, number);
  return rc == SQLITE_OK ? Status::Ok() : SqliteStatus(rc, db_);
}

Result<bool> Query::Step() {
  int rc = sqlite3_step(get());
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  return SqliteStatus(rc, db_);
}

Status Query::Run() {
  while (true) {
    OLC_ASSIGN_OR_RETURN(bool row, Step());
    if (!row) return Status::Ok();
  }
}

int Query::column_count() const { return sqlite3_column_count(get()); }

Value Query::Column(int index, bool boolean) const {
  switch (sqlite3_column_type(get(), index)) {
    case SQLITE_NULL:
      return Value();
    case SQLITE_INTEGER: {
      int64_t number = sqlite3_column_int64(get(), index);
      return boolean ? Value::Boolean(number != 0) : Value(number);
    }
    case SQLITE_FLOAT: {
      double number = sqlite3_column_double(get(), index);
      return boolean ? Value::Boolean(number != 0) : Value(number);
    }
    default: {
      // Text, or bytes read as text; the length keeps embedded NULs.
      const void* data = sqlite3_column_blob(get(), index);
      int size = sqlite3_column_bytes(get(), index);
      if (size == 0) return Value(std::string());
      return Value(std::string(static_cast<const char*>(data), static_cast<size_t>(size)));
    }
  }
}

int64_t Query::ColumnInteger(int index) const { return sqlite3_column_int64(get(), index); }

ColumnInfo Query::Describe(int index) const {
  auto text = [](const char* p) { return p != nullptr ? std::string(p) : std::string(); };
  ColumnInfo info;
  info.name = text(sqlite3_column_name(get(), index));
  info.table = text(sqlite3_column_table_name(get(), index));
  info.column = text(sqlite3_column_origin_name(get(), index));
  info.boolean = DeclaresYesNo(sqlite3_column_decltype(get(), index));
  return info;
}

const std::vector<ColumnInfo>& Query::Columns() {
  int prepared = sqlite3_stmt_status(get(), SQLITE_STMTSTATUS_REPREPARE, 0);
  if (statement_->described_at != prepared) {
    statement_->columns.clear();
    for (int i = 0; i < column_count(); ++i) statement_->columns.push_back(Describe(i));
    statement_->described_at = prepared;
  }
  return statement_->columns;
}

}  // namespace olconn97::jet
