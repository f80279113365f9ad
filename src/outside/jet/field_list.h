// The fields of a recordset and how a name finds one.
#ifndef OLCONN97_OUTSIDE_JET_FIELD_LIST_H_
#define OLCONN97_OUTSIDE_JET_FIELD_LIST_H_

#include <string_view>
#include <vector>

#include "base/result.h"
#include "outside/jet/jet_sql.h"
#include "outside/jet/sqlite_handle.h"

namespace olconn97::jet {

struct FieldInfo {
  ColumnInfo column;
  // The source table (index into the select's tables) the field is stored
  // in, or -1 for a field no update can reach (an expression, or a table the
  // select lists twice).
  int table_index = -1;
};

class FieldList {
 public:
  FieldList(const std::vector<ColumnInfo>& columns, const std::vector<TableRef>& tables);

  // By name without regard to case; "Table.Column" picks a column of one
  // table of a join. An unknown name, or a bare name two tables share,
  // fails with kNotFound.
  Result<size_t> Find(std::string_view name) const;

  size_t size() const { return fields_.size(); }
  const FieldInfo& operator[](size_t index) const { return fields_[index]; }

 private:
  std::vector<FieldInfo> fields_;
  std::vector<TableRef> tables_;
};

}  // namespace olconn97::jet

#endif  // OLCONN97_OUTSIDE_JET_FIELD_LIST_H_
