// An open database: statements that change rows, and recordsets.
//
// Statements are Jet SQL (jet_sql.h). Values reach them only as parameters:
// "?" placeholders filled from `params`, or literals the translation binds.
#ifndef OLCONN97_OUTSIDE_JET_DATABASE_H_
#define OLCONN97_OUTSIDE_JET_DATABASE_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "outside/jet/recordset.h"
#include "outside/jet/value.h"

namespace olconn97::jet {

// A table as DAO's TableDef describes it: its fields in their order, each
// with the type its table declares, and how many rows it holds.
struct FieldDef {
  std::string name;
  std::string type;
};
struct TableDef {
  std::string name;
  std::vector<FieldDef> fields;
  int64_t record_count = 0;
};

class Database {
 public:
  virtual ~Database() = default;

  // Runs a delete, update or insert statement and returns how many rows it
  // changed. A select fails: it has no rows to give here.
  virtual Result<int64_t> Execute(std::string_view jet_sql, const std::vector<Value>& params) = 0;

  // kTable: `source` names a table (no params). kDynaset and kSnapshot:
  // `source` is a table name or a select statement. The recordset stands on its first
  // row, or at Eof and Bof when there is none.
  virtual Result<std::unique_ptr<Recordset>> OpenRecordset(std::string_view source,
                                                           RecordsetType type,
                                                           const std::vector<Value>& params) = 0;

  // Writes (statements and recordset updates alike) gather in a transaction
  // that commits once it holds `rows` written rows, on Commit and at Close;
  // 1, the default, commits each write at once. Reads through this database
  // always see every row written so far; other processes see committed
  // rows only.
  virtual void SetCommitEvery(int64_t rows) = 0;
  // For a walk that writes a whole table: a small page cache and no memory
  // map, so the process's memory stays the same whatever the table's size
  // (mapped pages count as the process's own). Off again, reads are mapped.
  virtual Status SetBulkWrites(bool on) = 0;
  // Runs statements of the database engine's own dialect that change the
  // schema (indexes the driver keeps). Never for values: they have no way in.
  virtual Status ExecuteSchema(const std::string& native_sql) = 0;
  // The first value of the first row of a query in the engine's own dialect
  // (null when it has no row): counts that the database makes faster than
  // a recordset could read the rows. Never for values: they have no way in.
  virtual Result<Value> ReadValue(const std::string& native_sql) = 0;
  virtual Status Commit() = 0;

  // DAO's BeginTrans/CommitTrans/Rollback, on the database they concern:
  // every write in between, schema changes included, commits as one or not
  // at all. A failed CommitTrans leaves nothing of the transaction behind.
  virtual Status BeginTrans() = 0;
  virtual Status CommitTrans() = 0;
  virtual Status Rollback() = 0;

  // The database's own tables (not the engine's), in the order they were made.
  virtual Result<std::vector<TableDef>> TableDefs() = 0;

  // Commits and closes; the database's recordsets close with it.
  virtual Status Close() = 0;
  virtual bool IsOpen() const = 0;
  // The path it was opened from.
  virtual const std::string& Name() const = 0;
};

// Forwards every call; a test overrides the one it needs.
class DatabaseWrapper : public Database {
 public:
  explicit DatabaseWrapper(Database& target) : target_(target) {}

  Result<int64_t> Execute(std::string_view jet_sql, const std::vector<Value>& params) override {
    return target_.Execute(jet_sql, params);
  }
  Result<std::unique_ptr<Recordset>> OpenRecordset(std::string_view source, RecordsetType type,
                                                   const std::vector<Value>& params) override {
    return target_.OpenRecordset(source, type, params);
  }
  void SetCommitEvery(int64_t rows) override { target_.SetCommitEvery(rows); }
  Status SetBulkWrites(bool on) override { return target_.SetBulkWrites(on); }
  Status ExecuteSchema(const std::string& native_sql) override {
    return target_.ExecuteSchema(native_sql);
  }
  Result<Value> ReadValue(const std::string& native_sql) override {
    return target_.ReadValue(native_sql);
  }
  Status Commit() override { return target_.Commit(); }
  Status BeginTrans() override { return target_.BeginTrans(); }
  Status CommitTrans() override { return target_.CommitTrans(); }
  Status Rollback() override { return target_.Rollback(); }
  Result<std::vector<TableDef>> TableDefs() override { return target_.TableDefs(); }
  Status Close() override { return target_.Close(); }
  bool IsOpen() const override { return target_.IsOpen(); }
  const std::string& Name() const override { return target_.Name(); }

 private:
  Database& target_;
};

}  // namespace olconn97::jet

#endif  // OLCONN97_OUTSIDE_JET_DATABASE_H_
