#include "cache/cache_schema.h"

#include <string>

#include "base/strings.h"
#include "outside/jet/text_fold.h"

namespace olconn97 {

namespace {

struct CacheIndex {
  const char* name;
  const char* key;
  const char* only;  // the rows it holds, when not all of them
  // Dropped for a rebuild. One that holds only a few rows costs little to
  // keep, while making it again costs a read of the whole table.
  bool dropped = true;
};

constexpr CacheIndex kIndexes[] = {
    {"TCacheEntryID", "EntryID", nullptr},
    {"TCachePhoneNumber", "PhoneNumber", nullptr},
    {"TCachePhoneReversed", "PhoneReversed", nullptr},
    {"TCacheName", "NameFolded", nullptr},
    // The main numbers of the few rows whose digits end with an extension:
    // every other row's number ends where its digits do, and PhoneReversed
    // finds it by its ending.
    {"TCachePhoneMain", "PhoneMain", kHasExtension, false},
};

}  // namespace

std::string PhoneDigits(std::string_view number) {
  std::string digits;
  for (char c : number) {
    if (IsAsciiDigit(c)) digits += c;
  }
  return digits;
}

// Byte by byte: the column holds ASCII digits, for which bytes and
// characters are the same.
std::string ReversedDigits(std::string_view digits) { return {digits.rbegin(), digits.rend()}; }

std::string FoldedName(std::string_view name) { return jet::FoldCase(name); }

Status CheckCacheLayout(jet::Database& cache) {
  // Each probe names every column the driver uses and matches no row: an
  // older layout (no PhoneMain, no NameFolded, no TCacheState) fails it as a statement
  // SQLite cannot prepare.
  constexpr const char* kProbes[] = {
      "Select PhoneNumber, EntryID, Name, AutoSelect, PhoneReversed, NameFolded, PhoneMain, "
      "PhoneExtension From TCache "
      "Where EntryID Is Null And EntryID Is Not Null",
      "Select Item, [Value] From TCacheState Where Item Is Null And Item Is Not Null",
  };
  for (const char* probe : kProbes) {
    Result<std::unique_ptr<jet::Recordset>> rows =
        cache.OpenRecordset(probe, jet::RecordsetType::kDynaset, {});
    if (rows.ok()) continue;
    if (rows.status().code() != Code::kFailed) return rows.status();
    return Status::Corrupt("'" + cache.Name() + "' is not a contact cache of this version (" +
                               rows.status().description() + ")",
                           "DataCache");
  }
  return Status::Ok();
}

Status EnsureCacheIndexes(jet::Database& cache) {
  for (const CacheIndex& index : kIndexes) {
    std::string statement =
        std::string("CREATE INDEX IF NOT EXISTS ") + index.name + " ON TCache (" + index.key + ")";
    if (index.only != nullptr) statement += std::string(" WHERE ") + index.only;
    OLC_RETURN_IF_ERROR(cache.ExecuteSchema(statement));
  }
  return Status::Ok();
}

Status DropCacheIndexes(jet::Database& cache) {
  for (const CacheIndex& index : kIndexes) {
    if (!index.dropped) continue;
    OLC_RETURN_IF_ERROR(cache.ExecuteSchema(std::string("DROP INDEX IF EXISTS ") + index.name));
  }
  return Status::Ok();
}

Result<int64_t> FillDerivedValues(jet::Database& cache) {
  // Both conditions are index ranges (IS NULL on an indexed column), so a
  // cache whose rows are all complete costs two probes.
  OLC_ASSIGN_OR_RETURN(
      std::unique_ptr<jet::Recordset> rows,
      cache.OpenRecordset("Select PhoneNumber, Name, PhoneReversed, NameFolded From TCache "
                          "Where PhoneReversed Is Null Or NameFolded Is Null",
                          jet::RecordsetType::kDynaset, {}));
  int64_t completed = 0;
  while (!rows->Eof()) {
    OLC_ASSIGN_OR_RETURN(jet::Value digits, rows->GetField("PhoneNumber"));
    OLC_ASSIGN_OR_RETURN(jet::Value name, rows->GetField("Name"));
    OLC_RETURN_IF_ERROR(rows->Edit());
    OLC_RETURN_IF_ERROR(rows->SetField("PhoneReversed", ReversedDigits(digits.ToText())));
    OLC_RETURN_IF_ERROR(rows->SetField("NameFolded", FoldedName(name.ToText())));
    OLC_RETURN_IF_ERROR(rows->Update());
    ++completed;
    OLC_RETURN_IF_ERROR(rows->MoveNext());
  }
  return completed;
}

}  // namespace olconn97
