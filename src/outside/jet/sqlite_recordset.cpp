#include "outside/jet/sqlite_recordset.h"

namespace olconn97::jet {
namespace {

constexpr char kSource[] = "DAO.Recordset";

Status DaoError(Code code, uint32_t number, std::string description) {
  return Status::Error(code, std::move(description), kSource)
      .WithNumber(static_cast<int32_t>(0x800A0000u | number));
}

Status NoCurrentRecord() { return DaoError(Code::kNotFound, 3021, "No current record."); }
Status RecordIsDeleted() { return DaoError(Code::kNotFound, 3167, "Record is deleted."); }
Status NothingPending() {
  return DaoError(Code::kFailed, 3020, "Update or CancelUpdate without AddNew or Edit.");
}
Status NotSupported(std::string what) {
  return DaoError(Code::kInvalidArgument, 3251,
                  "Operation is not supported for this type of object (" + what + ").");
}

Result<std::vector<ColumnInfo>> DescribeColumns(Connection& connection, const std::string& sql) {
  OLC_ASSIGN_OR_RETURN(Query query, connection.Prepare(sql));
  return query.Columns();
}

// Row `key` read back with `row_sql`, or none when it is gone.
Result<std::optional<std::vector<Value>>> ReadRowByKey(Connection& connection,
                                                       const std::string& row_sql,
                                                       const std::vector<Value>& params,
                                                       std::span<const int64_t> key,
                                                       const std::vector<ColumnInfo>& columns) {
  OLC_ASSIGN_OR_RETURN(Query query, connection.Prepare(row_sql));
  OLC_RETURN_IF_ERROR(query.Bind(params));
  int index = static_cast<int>(params.size());
  for (int64_t rowid : key) OLC_RETURN_IF_ERROR(query.BindInteger(++index, rowid));
  OLC_ASSIGN_OR_RETURN(bool found, query.Step());
  if (!found) return std::optional<std::vector<Value>>();  // deleted since the keys were taken
  std::vector<Value> row;
  row.reserve(columns.size());
  for (size_t i = 0; i < columns.size(); ++i) {
    row.push_back(query.Column(static_cast<int>(i), columns[i].boolean));
  }
  return std::optional(std::move(row));
}

struct Keyset {
  std::vector<int64_t> keys;
  std::optional<std::vector<Value>> first_row;
};

// The keys of every row, and the first row itself, read while the keys
// statement is still running: both come from one read transaction, which
// halves the file locking of a search that wants only its first row.
Result<Keyset> ReadKeys(Connection& connection, const KeysetSql& sql,
                        const std::vector<Value>& params, int width,
                        const std::vector<ColumnInfo>& columns) {
  OLC_ASSIGN_OR_RETURN(Query query, connection.Prepare(sql.keys));
  OLC_RETURN_IF_ERROR(query.Bind(params));
  Keyset keyset;
  while (true) {
    OLC_ASSIGN_OR_RETURN(bool row, query.Step());
    if (!row) return keyset;
    for (int i = 0; i < width; ++i) keyset.keys.push_back(query.ColumnInteger(i));
    if (keyset.keys.size() == static_cast<size_t>(width)) {
      OLC_ASSIGN_OR_RETURN(keyset.first_row,
                           ReadRowByKey(connection, sql.row, params, keyset.keys, columns));
    }
  }
}

}  // namespace

SqliteRecordset::SqliteRecordset(std::shared_ptr<Connection> connection, SelectParts select,
                                 std::string row_sql, std::unique_ptr<Cursor> cursor,
                                 bool table_type)
    : connection_(std::move(connection)),
      select_(std::move(select)),
      row_sql_(std::move(row_sql)),
      cursor_(std::move(cursor)),
      table_type_(table_type) {}

Result<std::unique_ptr<Recordset>> SqliteRecordset::OpenTable(
    std::shared_ptr<Connection> connection, std::string_view table) {
  std::string stored;
  {
    OLC_ASSIGN_OR_RETURN(Query query, connection->Prepare("SELECT name FROM sqlite_schema WHERE "
                                                          "type = 'table' AND name = ?1 "
                                                          "COLLATE NOCASE"));
    OLC_RETURN_IF_ERROR(query.Bind(std::vector<Value>{Value(table)}));
    OLC_ASSIGN_OR_RETURN(bool found, query.Step());
    if (!found) {
      return DaoError(Code::kNotFound, 3078,
                      "Cannot find the input table or query '" + std::string(table) + "'.");
    }
    stored = query.Column(0).ToText();
  }
  auto cursor = std::make_unique<TableCursor>(connection, QuoteName(stored));
  SelectParts select = SelectWholeTable(stored);
  std::string row_sql = KeysetStatements(select).row;
  OLC_ASSIGN_OR_RETURN(std::vector<ColumnInfo> columns, DescribeColumns(*connection, row_sql));
  auto recordset = std::unique_ptr<SqliteRecordset>(new SqliteRecordset(
      std::move(connection), std::move(select), std::move(row_sql), std::move(cursor), true));
  OLC_RETURN_IF_ERROR(recordset->Start(std::move(columns)));
  return std::unique_ptr<Recordset>(std::move(recordset));
}

Result<std::unique_ptr<Recordset>> SqliteRecordset::OpenDynaset(
    std::shared_ptr<Connection> connection, SelectParts select, KeysetSql sql) {
  int width = static_cast<int>(select.tables.size());
  OLC_ASSIGN_OR_RETURN(std::vector<ColumnInfo> columns, DescribeColumns(*connection, sql.row));
  OLC_ASSIGN_OR_RETURN(Keyset keyset, ReadKeys(*connection, sql, select.params, width, columns));
  auto cursor = std::make_unique<KeysetCursor>(std::move(keyset.keys), static_cast<size_t>(width));
  auto recordset = std::unique_ptr<SqliteRecordset>(new SqliteRecordset(
      std::move(connection), std::move(select), std::move(sql.row), std::move(cursor), false));
  OLC_RETURN_IF_ERROR(recordset->Start(std::move(columns)));
  recordset->row_ = std::move(keyset.first_row);
  return std::unique_ptr<Recordset>(std::move(recordset));
}

Result<std::unique_ptr<Recordset>> SqliteRecordset::OpenSnapshot(
    std::shared_ptr<Connection> connection, SelectParts select) {
  std::vector<ColumnInfo> columns;
  std::vector<std::vector<Value>> rows;
  {
    OLC_ASSIGN_OR_RETURN(Query query, connection->Prepare(SnapshotStatement(select)));
    columns = query.Columns();
    OLC_RETURN_IF_ERROR(query.Bind(select.params));
    while (true) {
      OLC_ASSIGN_OR_RETURN(bool found, query.Step());
      if (!found) break;
      std::vector<Value>& row = rows.emplace_back();
      row.reserve(columns.size());
      for (size_t i = 0; i < columns.size(); ++i) {
        row.push_back(query.Column(static_cast<int>(i), columns[i].boolean));
      }
    }
  }
  std::vector<int64_t> keys(rows.size());
  for (size_t i = 0; i < keys.size(); ++i) keys[i] = static_cast<int64_t>(i);
  auto cursor = std::make_unique<KeysetCursor>(std::move(keys), 1);
  auto recordset = std::unique_ptr<SqliteRecordset>(new SqliteRecordset(
      std::move(connection), std::move(select), std::string(), std::move(cursor), false));
  recordset->snapshot_ = std::move(rows);
  OLC_RETURN_IF_ERROR(recordset->Start(std::move(columns)));
  return std::unique_ptr<Recordset>(std::move(recordset));
}

Status SqliteRecordset::Start(std::vector<ColumnInfo> columns) {
  fields_.emplace(columns, select_.tables);
  columns_ = std::move(columns);
  OLC_ASSIGN_OR_RETURN(bool landed, cursor_->First());
  bof_ = eof_ = !landed;
  return Status::Ok();
}

Status SqliteRecordset::CheckOpen() const {
  if (!open_ || !connection_->is_open()) return ObjectClosed(kSource);
  return Status::Ok();
}

Status SqliteRecordset::CheckWritable() const {
  OLC_RETURN_IF_ERROR(CheckOpen());
  if (snapshot_) return DaoError(Code::kInvalidArgument, 3027, "Database or object is read-only.");
  return Status::Ok();
}

void SqliteRecordset::DropPending() {
  pending_ = Pending::kNone;
  edits_.clear();
}

Status SqliteRecordset::Arrive(const Result<bool>& landed, bool past_end_is_eof,
                               bool empty_is_error) {
  row_.reset();
  row_deleted_ = false;
  if (!landed.ok()) return landed.status();
  if (landed.value()) {
    bof_ = eof_ = false;
  } else if (empty_is_error) {
    bof_ = eof_ = true;
    return NoCurrentRecord();
  } else if (past_end_is_eof) {
    eof_ = true;
  } else {
    bof_ = true;
  }
  return Status::Ok();
}

Status SqliteRecordset::MoveFirst() {
  OLC_RETURN_IF_ERROR(CheckOpen());
  DropPending();
  return Arrive(cursor_->First(), true, true);
}

Status SqliteRecordset::MoveLast() {
  OLC_RETURN_IF_ERROR(CheckOpen());
  DropPending();
  return Arrive(cursor_->Last(), false, true);
}

Status SqliteRecordset::MoveNext() {
  OLC_RETURN_IF_ERROR(CheckOpen());
  if (eof_) return NoCurrentRecord();
  DropPending();
  return Arrive(cursor_->Next(), true, false);
}

Status SqliteRecordset::MovePrevious() {
  OLC_RETURN_IF_ERROR(CheckOpen());
  if (bof_) return NoCurrentRecord();
  DropPending();
  return Arrive(cursor_->Previous(), false, false);
}

Result<int64_t> SqliteRecordset::RecordCount() {
  OLC_RETURN_IF_ERROR(CheckOpen());
  return cursor_->Count();
}

Result<std::optional<std::vector<Value>>> SqliteRecordset::ReadRow() {
  if (snapshot_) return std::optional((*snapshot_)[static_cast<size_t>(cursor_->Key()[0])]);
  return ReadRowByKey(*connection_, row_sql_, select_.params, cursor_->Key(), columns_);
}

Status SqliteRecordset::CheckPosition() const {
  if (bof_ || eof_) return NoCurrentRecord();
  if (row_deleted_) return RecordIsDeleted();
  return Status::Ok();
}

Result<const std::vector<Value>*> SqliteRecordset::CurrentRow() {
  OLC_RETURN_IF_ERROR(CheckPosition());
  if (!row_) {
    OLC_ASSIGN_OR_RETURN(row_, ReadRow());
    if (!row_) {
      row_deleted_ = true;
      return RecordIsDeleted();
    }
  }
  return &*row_;
}

Result<Value> SqliteRecordset::GetField(std::string_view name) {
  OLC_RETURN_IF_ERROR(CheckOpen());
  OLC_ASSIGN_OR_RETURN(size_t index, fields_->Find(name));
  if (pending_ != Pending::kNone && edits_[index]) return *edits_[index];
  if (pending_ == Pending::kAddNew) return Value();
  OLC_ASSIGN_OR_RETURN(const std::vector<Value>* row, CurrentRow());
  return (*row)[index];
}

Status SqliteRecordset::SetField(std::string_view name, Value value) {
  OLC_RETURN_IF_ERROR(CheckOpen());
  if (pending_ == Pending::kNone) return NothingPending();
  OLC_ASSIGN_OR_RETURN(size_t index, fields_->Find(name));
  return SetFieldAt(index, std::move(value));
}

Result<size_t> SqliteRecordset::FieldPosition(std::string_view name) {
  OLC_RETURN_IF_ERROR(CheckOpen());
  return fields_->Find(name);
}

Status SqliteRecordset::SetFieldAt(size_t position, Value value) {
  OLC_RETURN_IF_ERROR(CheckOpen());
  if (pending_ == Pending::kNone) return NothingPending();
  if (position >= fields_->size()) {
    return Status::NotFound("Item not found in this collection (field " +
                                std::to_string(position) + ").",
                            "DAO.Fields")
        .WithNumber(static_cast<int32_t>(0x800A0000u | 3265u));
  }
  if ((*fields_)[position].table_index < 0) {
    return DaoError(Code::kInvalidArgument, 3164,
                    "Field cannot be updated ('" + (*fields_)[position].column.name + "').");
  }
  edits_[position] = std::move(value);
  return Status::Ok();
}

Status SqliteRecordset::AddNew() {
  OLC_RETURN_IF_ERROR(CheckWritable());
  if (!table_type_) return NotSupported("AddNew needs a table-type recordset");
  pending_ = Pending::kAddNew;
  edits_.assign(fields_->size(), std::nullopt);
  return Status::Ok();
}

Status SqliteRecordset::Edit() {
  OLC_RETURN_IF_ERROR(CheckWritable());
  OLC_RETURN_IF_ERROR(CurrentRow().status());
  pending_ = Pending::kEdit;
  edits_.assign(fields_->size(), std::nullopt);
  return Status::Ok();
}

Status SqliteRecordset::CancelUpdate() {
  OLC_RETURN_IF_ERROR(CheckOpen());
  if (pending_ == Pending::kNone) return NothingPending();
  DropPending();
  return Status::Ok();
}

Status SqliteRecordset::Update() {
  OLC_RETURN_IF_ERROR(CheckOpen());
  if (pending_ == Pending::kNone) return NothingPending();
  // A failed write leaves the edit pending, to be corrected or cancelled.
  OLC_RETURN_IF_ERROR(pending_ == Pending::kAddNew ? InsertNew() : WriteEdits());
  DropPending();
  row_.reset();
  return Status::Ok();
}

Status SqliteRecordset::WriteEdits() {
  OLC_RETURN_IF_ERROR(CheckPosition());
  std::span<const int64_t> key = cursor_->Key();
  for (size_t table = 0; table < select_.tables.size(); ++table) {
    std::string assignments;
    std::vector<Value> values;
    for (size_t i = 0; i < fields_->size(); ++i) {
      if (!edits_[i] || (*fields_)[i].table_index != static_cast<int>(table)) continue;
      values.push_back(*edits_[i]);
      assignments += (assignments.empty() ? "" : ", ") + QuoteName((*fields_)[i].column.column) +
                     " = ?" + std::to_string(values.size());
    }
    if (values.empty()) continue;
    values.emplace_back(key[table]);
    std::string sql = "UPDATE " + QuoteName(select_.tables[table].name) + " SET " + assignments +
                      " WHERE rowid = ?" + std::to_string(values.size());
    OLC_ASSIGN_OR_RETURN(int64_t changed, connection_->Write(sql, values));
    if (changed == 0) {
      row_deleted_ = true;
      return RecordIsDeleted();
    }
  }
  return Status::Ok();
}

Status SqliteRecordset::InsertNew() {
  std::vector<bool> set_fields(fields_->size());
  // Moved out for the write, not copied (a walk writes thousands of rows),
  // and back when it fails: the row stays pending, as it was.
  std::vector<Value> values;
  values.reserve(fields_->size());
  for (size_t i = 0; i < fields_->size(); ++i) {
    if (!edits_[i]) continue;
    set_fields[i] = true;
    values.push_back(std::move(*edits_[i]));
  }
  auto restore = [&] {
    size_t next = 0;
    for (size_t i = 0; i < fields_->size(); ++i) {
      if (set_fields[i]) edits_[i] = std::move(values[next++]);
    }
  };
  if (insert_sql_.empty() || set_fields != insert_fields_) {
    std::string columns;
    std::string placeholders;
    int number = 0;
    for (size_t i = 0; i < fields_->size(); ++i) {
      if (!set_fields[i]) continue;
      columns += (columns.empty() ? "" : ", ") + QuoteName((*fields_)[i].column.column);
      placeholders += (placeholders.empty() ? "?" : ", ?") + std::to_string(++number);
    }
    insert_sql_ =
        "INSERT INTO " + QuoteName(select_.tables[0].name) +
        (values.empty() ? " DEFAULT VALUES" : " (" + columns + ") VALUES (" + placeholders + ")");
    insert_fields_ = set_fields;
  }
  Status written = connection_->Write(insert_sql_, values).status();
  if (!written.ok()) restore();
  return written;
}

Status SqliteRecordset::Delete() {
  OLC_RETURN_IF_ERROR(CheckWritable());
  if (select_.tables.size() != 1) return NotSupported("Delete on a join");
  OLC_RETURN_IF_ERROR(CheckPosition());
  DropPending();
  std::string sql = "DELETE FROM " + QuoteName(select_.tables[0].name) + " WHERE rowid = ?1";
  OLC_ASSIGN_OR_RETURN(int64_t changed,
                       connection_->Write(sql, std::vector<Value>{Value(cursor_->Key()[0])}));
  row_deleted_ = true;
  row_.reset();
  if (changed == 0) return RecordIsDeleted();
  cursor_->Forget();
  return Status::Ok();
}

Status SqliteRecordset::Close() {
  DropPending();
  row_.reset();
  open_ = false;
  return Status::Ok();
}

}  // namespace olconn97::jet
