// Translation of the driver's Jet SQL into SQLite SQL.
//
// The translation is exact, token by token: names are quoted (so a table may
// be called "Default"), keywords are kept, every literal text and every "?"
// becomes a numbered parameter (?1, ?2, ... in order of appearance) whose
// value travels beside the text, "Delete * From" loses its star, "&" joins
// texts, True and False become 1 and 0, and each Order By term sorts with
// the text collation. Like keeps its spelling: the connection registers Jet's
// Like in place of SQLite's. A statement outside the dialect fails; nothing
// is guessed.
#ifndef OLCONN97_OUTSIDE_JET_JET_SQL_H_
#define OLCONN97_OUTSIDE_JET_JET_SQL_H_

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "outside/jet/value.h"

namespace olconn97::jet {

// The collation every Order By term gets (see CompareText()).
inline constexpr char kTextCollation[] = "jet_text";

enum class StatementKind { kSelect, kDelete, kUpdate, kInsert };

struct SqlText {
  StatementKind kind = StatementKind::kSelect;
  std::string sql;
  std::vector<Value> params;  // params[i] is ?(i+1)

  friend bool operator==(const SqlText&, const SqlText&) = default;
};

// `params` fill the "?" placeholders in order; their number must match.
Result<SqlText> TranslateStatement(std::string_view jet, std::span<const Value> params);

struct TableRef {
  std::string name;
  std::string alias;  // empty when none
  // The quoted name a column of this table is qualified with.
  std::string Qualifier() const;

  friend bool operator==(const TableRef&, const TableRef&) = default;
};

// A select statement cut into the clauses a dynaset needs, each translated.
// Only "Select <columns> From <tables> [Where ...] [Order By ...]" with
// tables listed by name (joins written as a list and a Where condition)
// can be cut this way; other shapes fail.
struct SelectParts {
  std::string columns;
  std::string from;
  std::vector<TableRef> tables;
  std::string where;     // without "WHERE"; empty when none
  std::string order_by;  // without "ORDER BY"; empty when none
  std::vector<Value> params;
  // For each "?" of the statement, its index in `params`: the same
  // statement runs again with other values by replacing those.
  std::vector<size_t> placeholder_slots;
};

Result<SelectParts> TranslateSelect(std::string_view jet, std::span<const Value> params);

// The whole of one table, in its natural order.
SelectParts SelectWholeTable(std::string_view table);

// A dynaset's two statements. `keys` lists, in the query's order, one rowid
// per table for every matching row (ties broken by rowid, so rows of equal
// sort keys keep the order they were written in). `row` reads one row back
// by those rowids, bound after the select's own parameters.
struct KeysetSql {
  std::string keys;
  std::string row;
};
KeysetSql KeysetStatements(const SelectParts& parts);
// The select itself, every column of every matching row in the same order.
std::string SnapshotStatement(const SelectParts& parts);

// "name" with inner quotes doubled: an SQLite identifier.
std::string QuoteName(std::string_view name);

}  // namespace olconn97::jet

#endif  // OLCONN97_OUTSIDE_JET_JET_SQL_H_
