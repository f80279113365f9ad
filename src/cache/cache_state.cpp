#include "cache/cache_state.h"

namespace olconn97 {

Result<std::string> ReadCacheState(jet::Database& cache, std::string_view item) {
  OLC_ASSIGN_OR_RETURN(std::unique_ptr<jet::Recordset> rows,
                       cache.OpenRecordset("Select [Value] From TCacheState Where Item = ?",
                                           jet::RecordsetType::kDynaset, {jet::Value(item)}));
  if (rows->Eof()) return std::string();
  OLC_ASSIGN_OR_RETURN(jet::Value value, rows->GetField("Value"));
  return value.ToText();
}

Status WriteCacheState(jet::Database& cache, std::string_view item, std::string_view value) {
  OLC_ASSIGN_OR_RETURN(int64_t changed,
                       cache.Execute("Update TCacheState Set [Value] = ? Where Item = ?",
                                     {jet::Value(value), jet::Value(item)}));
  if (changed > 0) return Status::Ok();
  return cache
      .Execute("Insert Into TCacheState (Item, [Value]) Values (?, ?)",
               {jet::Value(item), jet::Value(value)})
      .status();
}

}  // namespace olconn97
