#include "outside/jet/field_list.h"

#include "base/strings.h"

namespace olconn97::jet {
namespace {

Status ItemNotFound(std::string_view name, std::string_view why) {
  return Status::NotFound("Item not found in this collection (field '" + std::string(name) + "'" +
                              std::string(why) + ").",
                          "DAO.Fields")
      .WithNumber(static_cast<int32_t>(0x800A0000u | 3265u));
}

}  // namespace

FieldList::FieldList(const std::vector<ColumnInfo>& columns, const std::vector<TableRef>& tables)
    : tables_(tables) {
  for (const ColumnInfo& column : columns) {
    FieldInfo field{column, -1};
    int matches = 0;
    for (size_t t = 0; t < tables.size() && !column.table.empty(); ++t) {
      if (EqualsIgnoreCase(tables[t].name, column.table)) {
        field.table_index = static_cast<int>(t);
        ++matches;
      }
    }
    if (matches != 1) field.table_index = -1;
    fields_.push_back(std::move(field));
  }
}

Result<size_t> FieldList::Find(std::string_view name) const {
  // Asked for every field of every row written: counted, not collected.
  size_t found = 0;
  size_t first = 0;
  auto match = [&](size_t i) {
    if (found++ == 0) first = i;
  };
  for (size_t i = 0; i < fields_.size(); ++i) {
    if (EqualsIgnoreCase(fields_[i].column.name, name)) match(i);
  }
  size_t dot = name.rfind('.');
  if (found == 0 && dot != std::string_view::npos) {
    std::string_view table = name.substr(0, dot);
    std::string_view column = name.substr(dot + 1);
    for (size_t i = 0; i < fields_.size(); ++i) {
      const FieldInfo& field = fields_[i];
      bool by_alias =
          field.table_index >= 0 &&
          EqualsIgnoreCase(tables_[static_cast<size_t>(field.table_index)].alias, table);
      bool in_table = EqualsIgnoreCase(field.column.table, table) || by_alias;
      if (in_table && EqualsIgnoreCase(field.column.column, column)) match(i);
    }
  }
  if (found == 1) return first;
  if (found == 0) return ItemNotFound(name, "");
  return ItemNotFound(name, " is in more than one table; qualify it with its table");
}

}  // namespace olconn97::jet
