#include "cache/cache_schema.h"

#include <string>

namespace olconn97 {

namespace {

struct CacheIndex {
  const char* name;
  const char* key;
};

constexpr CacheIndex kIndexes[] = {
    {"TCacheEntryID", "EntryID"},
    {"TCachePhoneNumber", "PhoneNumber"},
    {"TCachePhoneReversed", "PhoneReversed"},
    {"TCacheName", "jet_fold(Name)"},
};

}  // namespace

Status EnsureCacheIndexes(jet::Database& cache) {
  for (const CacheIndex& index : kIndexes) {
    OLC_RETURN_IF_ERROR(cache.ExecuteSchema(std::string("CREATE INDEX IF NOT EXISTS ") +
                                            index.name + " ON TCache (" + index.key + ")"));
  }
  return Status::Ok();
}

Status DropCacheIndexes(jet::Database& cache) {
  for (const CacheIndex& index : kIndexes) {
    OLC_RETURN_IF_ERROR(cache.ExecuteSchema(std::string("DROP INDEX IF EXISTS ") + index.name));
  }
  return Status::Ok();
}

}  // namespace olconn97
