// The recordset of the database layer, over a Connection.
#ifndef OLCONN97_OUTSIDE_JET_SQLITE_RECORDSET_H_
#define OLCONN97_OUTSIDE_JET_SQLITE_RECORDSET_H_

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "outside/jet/connection.h"
#include "outside/jet/cursor.h"
#include "outside/jet/field_list.h"
#include "outside/jet/jet_sql.h"
#include "outside/jet/recordset.h"

namespace olconn97::jet {

class SqliteRecordset : public Recordset {
 public:
  // `table` as the caller spelt it; fails with kNotFound when there is none.
  static Result<std::unique_ptr<Recordset>> OpenTable(std::shared_ptr<Connection> connection,
                                                      std::string_view table);
  // `sql` is KeysetStatements(select).
  static Result<std::unique_ptr<Recordset>> OpenDynaset(std::shared_ptr<Connection> connection,
                                                        SelectParts select, KeysetSql sql);
  // Every row of `select`, read now.
  static Result<std::unique_ptr<Recordset>> OpenSnapshot(std::shared_ptr<Connection> connection,
                                                         SelectParts select);

  bool Eof() const override { return !open_ || eof_; }
  bool Bof() const override { return !open_ || bof_; }
  Result<int64_t> RecordCount() override;
  Status MoveFirst() override;
  Status MoveLast() override;
  Status MoveNext() override;
  Status MovePrevious() override;
  Result<Value> GetField(std::string_view name) override;
  Status SetField(std::string_view name, Value value) override;
  Result<size_t> FieldPosition(std::string_view name) override;
  Status SetFieldAt(size_t position, Value value) override;
  Status AddNew() override;
  Status Edit() override;
  Status Update() override;
  Status CancelUpdate() override;
  Status Delete() override;
  Status Close() override;
  bool IsOpen() const override { return open_ && connection_->is_open(); }

 private:
  enum class Pending { kNone, kEdit, kAddNew };

  SqliteRecordset(std::shared_ptr<Connection> connection, SelectParts select, std::string row_sql,
                  std::unique_ptr<Cursor> cursor, bool table_type);
  // Takes the result's columns and stands on the first row.
  Status Start(std::vector<ColumnInfo> columns);

  Status CheckOpen() const;
  Status CheckWritable() const;
  // Settles the flags after a move that landed (or not) on a row.
  Status Arrive(const Result<bool>& landed, bool past_end_is_eof, bool empty_is_error);
  // The current row, read when first needed after a move.
  Result<const std::vector<Value>*> CurrentRow();
  // None when the row is gone.
  Result<std::optional<std::vector<Value>>> ReadRow();
  Status CheckPosition() const;
  Status WriteEdits();
  Status InsertNew();
  void DropPending();

  std::shared_ptr<Connection> connection_;
  SelectParts select_;
  std::string row_sql_;
  std::unique_ptr<Cursor> cursor_;
  std::optional<FieldList> fields_;
  std::vector<ColumnInfo> columns_;  // of row_sql_, in its order
  bool table_type_;
  bool open_ = true;
  bool bof_ = true;
  bool eof_ = true;
  std::optional<std::vector<Value>> row_;
  bool row_deleted_ = false;
  // A snapshot's rows, in order; the cursor's key is the index.
  std::optional<std::vector<std::vector<Value>>> snapshot_;
  Pending pending_ = Pending::kNone;
  std::vector<std::optional<Value>> edits_;
  // The INSERT of the last AddNew and which fields it set: a run of AddNew
  // calls setting the same fields builds the statement text once.
  std::string insert_sql_;
  std::vector<bool> insert_fields_;
};

}  // namespace olconn97::jet

#endif  // OLCONN97_OUTSIDE_JET_SQLITE_RECORDSET_H_
