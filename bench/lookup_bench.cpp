// Caller lookup speed: FindFirst by phone (exact, prefix, suffix) and by
// name on caches of 10,000 to 1,000,000 rows, with and without the fetch of
// the one contact returned; and by a whole number with number matching on,
// at 1,000,000 rows, where 1, 10 or 100 stored numbers end with the
// caller's last seven digits.
//
//   build/bin/olconn97_lookup_bench --benchmark_counters_tabular=true
//
// The rows are synthetic beyond the first few thousand: each points at a
// real card of a small generated store, so the fetch reads a real file.
// Every call is timed on its own; p50_us and p99_us are over those calls.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "bench_support.h"
#include "cache/cache_search.h"
#include "cache/contact_record.h"
#include "cache/number_matching.h"
#include "cache/progress_window.h"
#include "core/settings.h"
#include "core/shared_state.h"
#include "driver/data_connector.h"
#include "outside/com/variant.h"
#include "outside/jet/database.h"
#include "outside/jet/sql_functions.h"
#include "outside/registry/registry.h"
#include "outside/shell/clock.h"
#include "outside/shell/shell.h"

namespace olconn97::bench {
namespace {

constexpr int kCards = 1000;

// Row `i`'s number and name: spread over the whole key space, as real ones are.
std::string SyntheticNumber(uint64_t i) {
  char text[16];
  std::snprintf(text, sizeof text, "0%09llu",
                static_cast<unsigned long long>((i * 2654435761ULL) % 1000000000ULL));
  return text;
}
std::string SyntheticName(uint64_t i) {
  static const char* const kLast[] = {"Martin",  "Bernard", "Dubois", "Thomas", "Robert",
                                      "Richard", "Petit",   "Durand", "Leroy",  "Moreau"};
  uint64_t h = (i * 11400714819323198485ULL) >> 20;
  return std::string(kLast[h % 10]) + std::to_string(h % 1000003) + ", Ann";
}

// Groups of stored numbers that end with the same seven digits, one of them
// the caller's: "061" + the ending (+33 6 1..., a French mobile number),
// and beside it either numbers that differ before the ending ("0jj" + the
// ending: other numbers, as a real cache has them), or numbers that end
// with the caller's whole national number ("j" + "61" + the ending): each
// of those must be read by libphonenumber.
enum EndingShape { kOthersDiffer = 0, kOthersPlausible = 1 };
constexpr int kSharedBy[] = {1, 10, 100};
constexpr int kGroups = 200;

std::string GroupEnding(int shared, int shape, int group) {
  char text[8];
  std::snprintf(text, sizeof text, "%07d",
                (group * 7919 + shared * 104729 + shape * 1299709) % 10000000);
  return text;
}
std::string GroupNumber(int shared, int shape, int group, int j) {
  std::string ending = GroupEnding(shared, shape, group);
  if (j == 0) return "061" + ending;
  if (shape == kOthersPlausible) return std::to_string(j) + "61" + ending;
  char prefix[4];
  std::snprintf(prefix, sizeof prefix, "0%02d", (61 + j) % 100);
  return prefix + ending;
}

// A driver started on a cache of `rows` rows, built once under $TMPDIR and
// reused by later runs.
class LookupEnvironment {
 public:
  explicit LookupEnvironment(int64_t rows) : rows_(rows) {
    store_ = GeneratedStore(kCards);
    data_home_ = store_ + "-lookup-" + std::to_string(rows);
    std::filesystem::create_directories(data_home_);
    setenv("XDG_DATA_HOME", data_home_.c_str(), 1);
    shell_ = std::make_unique<shell::PosixShell>(OLCONN97_BENCH_APP_PATH);
    Fresh();
    std::string cache = data_home_ + "/Norvale Corvanta/Connector.mdb";
    if (std::filesystem::exists(cache) && !CurrentLayout(cache)) {
      std::filesystem::remove(cache);  // an earlier layout's: made again
    }
    if (!std::filesystem::exists(cache)) {
      auto builder = std::make_unique<cDataConnector>();  // first launch: the build
      RunPendingWalk();
    }
    ResetSharedStateForTesting();
    AddSyntheticRows(cache);  // up to `rows`, after an earlier run stopped short too
    Fresh();
    driver_ = std::make_unique<cDataConnector>();
    RunPendingWalk();
  }
  ~LookupEnvironment() {
    driver_.reset();
    ResetSharedStateForTesting();
  }

  int64_t rows() const { return rows_; }

 private:
  void Fresh() {
    ResetSharedStateForTesting();
    Shared().services.SetRegistry(&registry_);
    Shared().services.SetShell(shell_.get());
    (void)RegWriteString(Hive::kCurrentUser, kOutlook98Key, "PimStore", store_);
    // Current: the cards are older than the last refresh, so start-up reads none.
    std::string stored = shell::FormatLocal(
        std::chrono::system_clock::now() + std::chrono::hours(1), "%d/%m/%Y %H:%M");
    (void)RegWriteString(Hive::kCurrentUser, kPopupKey, "LastModification", stored);
  }
  static void RunPendingWalk();

  // Whether the cache file has the columns of this build's layout.
  static bool CurrentLayout(const std::string& cache) {
    sqlite3* db = nullptr;
    bool current = sqlite3_open_v2(cache.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
                   sqlite3_exec(db, "SELECT PhoneMain, PhoneExtension FROM TCache LIMIT 0", nullptr,
                                nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return current;
  }

  // Fills the cache up to rows_ with rows pointing at the real cards; at
  // 1,000,000 rows, adds the groups of numbers sharing their ending.
  void AddSyntheticRows(const std::string& cache) {
    sqlite3* db = nullptr;
    if (sqlite3_open(cache.c_str(), &db) != SQLITE_OK || !jet::RegisterJetFunctions(db).ok()) {
      std::fprintf(stderr, "cannot fill %s\n", cache.c_str());
      std::exit(1);
    }
    std::vector<std::string> ids;
    sqlite3_stmt* select = nullptr;
    sqlite3_prepare_v2(db, "SELECT DISTINCT EntryID FROM TCache", -1, &select, nullptr);
    while (sqlite3_step(select) == SQLITE_ROW) {
      ids.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(select, 0)));
    }
    sqlite3_finalize(select);
    sqlite3_stmt* count = nullptr;
    sqlite3_prepare_v2(db, "SELECT count(*) FROM TCache", -1, &count, nullptr);
    sqlite3_step(count);
    int64_t have = sqlite3_column_int64(count, 0);
    sqlite3_finalize(count);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO TCache (PhoneNumber, EntryID, Name) VALUES (?1, ?2, ?3)",
                       -1, &insert, nullptr);
    auto add = [&](const std::string& number, uint64_t i) {
      std::string name = SyntheticName(i);
      const std::string& id = ids[static_cast<size_t>(i) % ids.size()];
      sqlite3_bind_text(insert, 1, number.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(insert, 2, id.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(insert, 3, name.c_str(), -1, SQLITE_TRANSIENT);
      if (sqlite3_step(insert) != SQLITE_DONE) {
        std::fprintf(stderr, "cannot fill %s: %s\n", cache.c_str(), sqlite3_errmsg(db));
        std::exit(1);
      }
      sqlite3_reset(insert);
    };
    for (int64_t i = have; i < rows_ && !ids.empty(); ++i) {
      add(SyntheticNumber(static_cast<uint64_t>(i)), static_cast<uint64_t>(i));
    }
    if (rows_ >= 1000000 && !ids.empty() && !HasRow(db, GroupNumber(kSharedBy[1], kOthersDiffer, 0, 0))) {
      uint64_t i = static_cast<uint64_t>(rows_);
      for (int shape : {kOthersDiffer, kOthersPlausible}) {
        for (int shared : kSharedBy) {
          if (shared == 1) continue;  // the synthetic rows have endings of their own
          for (int group = 0; group < kGroups; ++group) {
            for (int j = 0; j < shared; ++j) add(GroupNumber(shared, shape, group, j), i++);
          }
        }
      }
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
  }

  static bool HasRow(sqlite3* db, const std::string& number) {
    sqlite3_stmt* find = nullptr;
    sqlite3_prepare_v2(db, "SELECT 1 FROM TCache WHERE PhoneNumber = ?1", -1, &find, nullptr);
    sqlite3_bind_text(find, 1, number.c_str(), -1, SQLITE_TRANSIENT);
    bool found = sqlite3_step(find) == SQLITE_ROW;
    sqlite3_finalize(find);
    return found;
  }

  int64_t rows_;
  std::string store_;
  std::string data_home_;
  registry::MemoryRegistry registry_;
  std::unique_ptr<shell::PosixShell> shell_;
  std::unique_ptr<cDataConnector> driver_;
};

// Runs the walk the start-up began, without waiting for the window's timer.
void LookupEnvironment::RunPendingWalk() {
  auto& window = Shared().progress_window;
  if (window && window->loaded()) window->Start();
}

LookupEnvironment& Environment(int64_t rows) {
  static std::unique_ptr<LookupEnvironment> environment;
  if (!environment || environment->rows() != rows) {
    environment.reset();  // one driver per process at a time
    environment = std::make_unique<LookupEnvironment>(rows);
  }
  return *environment;
}

enum Shape { kExact, kPrefix, kSuffix, kName, kInfix };

// The value a host would search for to find synthetic row `i`.
std::pair<int32_t, std::string> Search(Shape shape, uint64_t i) {
  std::string number = SyntheticNumber(i);
  switch (shape) {
    case kExact:
      return {kSearchByPhone, number};
    case kPrefix:
      return {kSearchByPhone, number.substr(0, 7) + "*"};
    case kSuffix:
      return {kSearchByPhone, "*" + number.substr(3)};
    case kName: {
      std::string name = SyntheticName(i);  // "Martin123456, Ann" -> "martin123456, a*"
      for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      return {kSearchByName, name.substr(0, name.size() - 2) + "*"};
    }
    case kInfix:
      return {kSearchByPhone, "*" + number.substr(4, 4) + "*"};
  }
  return {};
}

void Report(benchmark::State& state, std::vector<double>& micros) {
  if (micros.empty()) return;
  std::sort(micros.begin(), micros.end());
  state.counters["p50_us"] = micros[micros.size() / 2];
  state.counters["p99_us"] = micros[std::min(micros.size() - 1, micros.size() * 99 / 100)];
}

// Times each `look` at the value `next` gives, which says whether it found
// a contact; reports p50_us, p99_us and the share found.
template <typename Next, typename Look>
void TimeEach(benchmark::State& state, Next next, Look look) {
  std::vector<double> micros;
  int64_t found = 0;
  for (auto _ : state) {
    auto value = next();
    auto start = std::chrono::steady_clock::now();
    if (look(value)) ++found;
    micros.push_back(
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
            .count());
  }
  Report(state, micros);
  state.counters["found"] = static_cast<double>(found) / static_cast<double>(state.iterations());
}

// Looks up `state.range(0)`-shaped values of random synthetic rows of a
// cache of `state.range(1)` rows, timing each `look`, which says whether it
// found a contact.
template <typename Look>
void TimeLookups(benchmark::State& state, Look look) {
  auto shape = static_cast<Shape>(state.range(0));
  LookupEnvironment& env = Environment(state.range(1));
  std::mt19937_64 random(7);
  std::uniform_int_distribution<uint64_t> row(static_cast<uint64_t>(env.rows()) / 2,
                                              static_cast<uint64_t>(env.rows()) - 1);
  TimeEach(state, [&] { return Search(shape, row(random)); },
           [&](const std::pair<int32_t, std::string>& search) {
             return look(search.first, search.second);
           });
}

// The cursor's search alone: the statement, its result set, the first
// row's entry ID; no store fetch.
void BM_Search(benchmark::State& state) {
  TimeLookups(state, [](int32_t field, const std::string& value) {
    Result<CacheQuery> query = CacheSearchQuery(field, EscapeLikePattern(value));
    auto rows = Shared().gCacheDatabase->OpenRecordset(
        query.value().sql, jet::RecordsetType::kDynaset, query.value().params);
    if (!rows.ok() || rows.value()->Eof()) return false;
    benchmark::DoNotOptimize(rows.value()->GetField("EntryID"));
    return true;
  });
}

// FindFirst as the host calls it, through the vtable: search, fetch of the
// contact's card, the contact filled; with the host's own part of a call
// (the value's text made, the contact read once and released).
void BM_FindFirst(benchmark::State& state) {
  com::ComPtr<ContactRecord> cursor = NewContactRecord();
  TimeLookups(state, [&](int32_t field, const std::string& value) {
    com::Bstr filter(value);
    Contact* contact = nullptr;
    cursor->ContactRecord_FindFirst(field, filter.get(), &contact);
    VARIANT_BOOL unknown = VARIANT_TRUE;
    if (contact != nullptr) {
      contact->get_NotInPIM(&unknown);
      contact->Release();
    }
    return unknown == VARIANT_FALSE;
  });
}

// The caller whose number `shared` stored numbers end with (their last
// seven digits), as the network gives it: +33 6 1...
std::string SharedEndingCaller(int shared, int shape, uint64_t pick) {
  if (shared > 1) {
    return "+33 6 1" + GroupEnding(shared, shape, static_cast<int>(pick % kGroups));
  }
  // A synthetic row's own number, whose ending no other row is likely to share.
  for (uint64_t i = pick;; ++i) {
    std::string number = SyntheticNumber(i);
    if (number[1] != '0') return "+33 " + number.substr(1);
  }
}

// A whole number with number matching on (region FR), by
// state.range(0) = how many stored numbers share its last seven digits and
// state.range(1) = an EndingShape. `look` says whether it found a contact.
template <typename Look>
void TimeSameNumber(benchmark::State& state, Look look) {
  LookupEnvironment& env = Environment(1000000);
  int shared = static_cast<int>(state.range(0));
  int shape = static_cast<int>(state.range(1));
  std::mt19937_64 random(11);
  std::uniform_int_distribution<uint64_t> pick(static_cast<uint64_t>(env.rows()) / 2,
                                               static_cast<uint64_t>(env.rows()) - 1);
  std::shared_ptr<NumberMatching> matching = NumberMatching::ForRegion("FR");
  TimeEach(state, [&] { return SharedEndingCaller(shared, shape, pick(random)); },
           [&](const std::string& caller) { return look(matching, caller); });
}

// The cursor's search alone: the candidates, the verdicts, the widened
// statement, its first row's entry ID; no store fetch.
void BM_SameNumberSearch(benchmark::State& state) {
  TimeSameNumber(state, [](const std::shared_ptr<NumberMatching>& matching,
                           const std::string& caller) {
    jet::Database& cache = *Shared().gCacheDatabase;
    Result<std::vector<StoredNumber>> same = matching->SameNumbers(cache, caller);
    Result<CacheQuery> query =
        CacheSearchQuery(kSearchByPhone, EscapeLikePattern(caller), same.value());
    auto rows = cache.OpenRecordset(query.value().sql, jet::RecordsetType::kDynaset,
                                    query.value().params);
    if (!rows.ok() || rows.value()->Eof()) return false;
    benchmark::DoNotOptimize(rows.value()->GetField("EntryID"));
    return true;
  });
}

// FindFirst through the vtable on a cursor with number matching, the
// fetch of the contact's card included.
void BM_SameNumberFindFirst(benchmark::State& state) {
  com::ComPtr<ContactRecord> cursor;
  TimeSameNumber(state, [&](const std::shared_ptr<NumberMatching>& matching,
                            const std::string& caller) {
    if (!cursor) cursor = NewContactRecord(matching);
    com::Bstr filter(caller);
    Contact* contact = nullptr;
    cursor->ContactRecord_FindFirst(kSearchByPhone, filter.get(), &contact);
    VARIANT_BOOL unknown = VARIANT_TRUE;
    if (contact != nullptr) {
      contact->get_NotInPIM(&unknown);
      contact->Release();
    }
    return unknown == VARIANT_FALSE;
  });
}

void SharedEndings(benchmark::internal::Benchmark* b) {
  for (int shared : kSharedBy) b->Args({shared, kOthersDiffer});
  for (int shared : {10, 100}) b->Args({shared, kOthersPlausible});
  b->Unit(benchmark::kMicrosecond);
}

void Sizes(benchmark::internal::Benchmark* b, std::initializer_list<Shape> shapes) {
  for (Shape shape : shapes) {
    for (int64_t rows : {10000, 100000, 1000000}) b->Args({shape, rows});
  }
  b->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_Search)->Apply([](benchmark::internal::Benchmark* b) {
  Sizes(b, {kExact, kPrefix, kSuffix, kName});
});
BENCHMARK(BM_FindFirst)->Apply([](benchmark::internal::Benchmark* b) {
  Sizes(b, {kExact, kPrefix, kSuffix, kName});
});
BENCHMARK(BM_SameNumberSearch)->Apply(SharedEndings);
BENCHMARK(BM_SameNumberFindFirst)->Apply(SharedEndings);
// A pattern with nothing fixed at either end scans.
BENCHMARK(BM_Search)->Args({kInfix, 1000000})->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
}  // namespace olconn97::bench

BENCHMARK_MAIN();
