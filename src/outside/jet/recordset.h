// A cursor over rows, with DAO's rules.
//
// Positions: on a row, before the first (Bof) or after the last (Eof); an
// empty result is both. Moving past an end sets the flag; moving from an end
// flag that is already set, any move in an empty result, and reading a field
// without a current row fail with "No current record.". A row deleted since
// the cursor reached it (by this recordset or by anyone) reads as "Record is
// deleted."; this recordset's own moves then go on from its place.
//
// Table-type recordsets (RecordsetType::kTable) walk one whole table in its
// natural order, see every row of it as it is now, count the table's rows,
// and take new rows with AddNew/Update. Dynasets (kDynaset) take the keys of
// the matching rows when they open, in the query's order, and read each row
// again when the cursor reaches it; RecordCount counts the rows reached so
// far (1 right after opening a non-empty result, all after MoveLast).
// Edit/Update change the current row by its key; Delete removes it.
// Snapshots (kSnapshot) read every matching row once, when they open, in one
// statement; they count like dynasets, and nothing changes through them.
//
// Field names compare without regard to case; in a join a field may be
// qualified by its table ("Employees.EmployeeID"), and must be where two
// tables share the column name. A null column reads as a null Value.
#ifndef OLCONN97_OUTSIDE_JET_RECORDSET_H_
#define OLCONN97_OUTSIDE_JET_RECORDSET_H_

#include <cstdint>
#include <string_view>

#include "base/result.h"
#include "base/status.h"
#include "outside/jet/value.h"

namespace olconn97::jet {

// DAO's numbers for the kinds the driver opens.
enum class RecordsetType { kTable = 1, kDynaset = 2, kSnapshot = 4 };

class Recordset {
 public:
  virtual ~Recordset() = default;

  virtual bool Eof() const = 0;
  virtual bool Bof() const = 0;
  virtual Result<int64_t> RecordCount() = 0;

  virtual Status MoveFirst() = 0;
  virtual Status MoveLast() = 0;
  virtual Status MoveNext() = 0;
  virtual Status MovePrevious() = 0;

  // While an edit or a new row is pending, reads see the values set so far.
  virtual Result<Value> GetField(std::string_view name) = 0;
  // Only while an edit (Edit) or a new row (AddNew) is pending.
  virtual Status SetField(std::string_view name, Value value) = 0;
  // DAO's Fields(i): a field by its position, found once by name, for a
  // writer that sets the same fields row after row. Positions hold while
  // the recordset is open.
  virtual Result<size_t> FieldPosition(std::string_view name) = 0;
  virtual Status SetFieldAt(size_t position, Value value) = 0;

  // AddNew: table-type only. Update stores the pending edit or new row (the
  // current row stays current); CancelUpdate drops it; a move drops it too.
  virtual Status AddNew() = 0;
  virtual Status Edit() = 0;
  virtual Status Update() = 0;
  virtual Status CancelUpdate() = 0;
  // Deletes the current row (recordsets over one table only).
  virtual Status Delete() = 0;

  // Drops a pending edit. Later calls fail as on a closed object.
  virtual Status Close() = 0;
  virtual bool IsOpen() const = 0;
};

// Forwards every call; a test overrides the one it needs.
class RecordsetWrapper : public Recordset {
 public:
  explicit RecordsetWrapper(Recordset& target) : target_(target) {}

  bool Eof() const override { return target_.Eof(); }
  bool Bof() const override { return target_.Bof(); }
  Result<int64_t> RecordCount() override { return target_.RecordCount(); }
  Status MoveFirst() override { return target_.MoveFirst(); }
  Status MoveLast() override { return target_.MoveLast(); }
  Status MoveNext() override { return target_.MoveNext(); }
  Status MovePrevious() override { return target_.MovePrevious(); }
  Result<Value> GetField(std::string_view name) override { return target_.GetField(name); }
  Status SetField(std::string_view name, Value value) override {
    return target_.SetField(name, std::move(value));
  }
  Result<size_t> FieldPosition(std::string_view name) override {
    return target_.FieldPosition(name);
  }
  Status SetFieldAt(size_t position, Value value) override {
    return target_.SetFieldAt(position, std::move(value));
  }
  Status AddNew() override { return target_.AddNew(); }
  Status Edit() override { return target_.Edit(); }
  Status Update() override { return target_.Update(); }
  Status CancelUpdate() override { return target_.CancelUpdate(); }
  Status Delete() override { return target_.Delete(); }
  Status Close() override { return target_.Close(); }
  bool IsOpen() const override { return target_.IsOpen(); }

 private:
  Recordset& target_;
};

}  // namespace olconn97::jet

#endif  // OLCONN97_OUTSIDE_JET_RECORDSET_H_
