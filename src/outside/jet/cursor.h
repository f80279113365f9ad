// Where a recordset stands, and how it finds the next row: over a keyset
// taken at open (dynaset) or over a table's rowids as they are now (table).
#ifndef OLCONN97_OUTSIDE_JET_CURSOR_H_
#define OLCONN97_OUTSIDE_JET_CURSOR_H_

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "base/result.h"
#include "outside/jet/connection.h"

namespace olconn97::jet {

class Cursor {
 public:
  virtual ~Cursor() = default;

  // Each move returns whether it landed on a row; when not, the cursor stands
  // after the last row (First, Next) or before the first (Last, Previous).
  // Next from before the first row goes to the first; Previous from after the
  // last goes to the last.
  virtual Result<bool> First() = 0;
  virtual Result<bool> Last() = 0;
  virtual Result<bool> Next() = 0;
  virtual Result<bool> Previous() = 0;

  // The current row's key: one rowid per table of the source.
  virtual std::span<const int64_t> Key() const = 0;
  // The current row was deleted through this cursor's recordset: the next
  // move goes on from its place.
  virtual void Forget() = 0;
  // DAO's RecordCount for this kind of recordset.
  virtual Result<int64_t> Count() = 0;
};

// The keys of a dynaset, read in full at open.
class KeysetCursor : public Cursor {
 public:
  // `keys` holds `width` rowids per row, rows in the query's order.
  KeysetCursor(std::vector<int64_t> keys, size_t width);

  Result<bool> First() override;
  Result<bool> Last() override;
  Result<bool> Next() override;
  Result<bool> Previous() override;
  std::span<const int64_t> Key() const override;
  void Forget() override;
  Result<int64_t> Count() override { return static_cast<int64_t>(reached_); }

 private:
  size_t rows() const { return keys_.size() / width_; }
  bool LandOn(int64_t index);

  std::vector<int64_t> keys_;
  size_t width_;
  int64_t index_ = -1;  // -1: before the first row; rows(): after the last
  bool forgotten_ = false;
  size_t reached_ = 0;
};

// One table in rowid order, probed afresh on each move.
class TableCursor : public Cursor {
 public:
  TableCursor(std::shared_ptr<Connection> connection, const std::string& quoted_table);

  Result<bool> First() override;
  Result<bool> Last() override;
  Result<bool> Next() override;
  Result<bool> Previous() override;
  std::span<const int64_t> Key() const override { return {&rowid_, 1}; }
  void Forget() override {}  // the next probe starts from the deleted rowid
  Result<int64_t> Count() override;

 private:
  enum class Place { kBeforeFirst, kOnRow, kAfterLast };
  // Runs a probe; `from` is bound as ?1 when the probe has it.
  Result<bool> Probe(const std::string& sql, bool has_from, Place if_none);

  std::shared_ptr<Connection> connection_;
  std::string first_, last_, next_, previous_, count_;
  Place place_ = Place::kBeforeFirst;
  int64_t rowid_ = 0;
};

}  // namespace olconn97::jet

#endif  // OLCONN97_OUTSIDE_JET_CURSOR_H_
