// The contact cache's speed on generated stores: a full build, a refresh
// with 10 changed cards, a start-up on a current cache.
//
//   build/bin/olconn97_cache_bench --benchmark_counters_tabular=true
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "bench_support.h"
#include "cache/progress_window.h"
#include "core/settings.h"
#include "core/shared_state.h"
#include "driver/data_connector.h"
#include "outside/registry/registry.h"
#include "outside/shell/clock.h"
#include "outside/shell/shell.h"

namespace olconn97::bench {
namespace {

// The driver's surroundings: settings in memory, the data folder under
// $TMPDIR, the cache template of the build.
struct Environment {
  explicit Environment(int count) : store(GeneratedStore(count)) {
    data_home = store + "-data";
    std::filesystem::create_directories(data_home);
    setenv("XDG_DATA_HOME", data_home.c_str(), 1);
    shell = std::make_unique<shell::PosixShell>(OLCONN97_BENCH_APP_PATH);
    Fresh();
    (void)RegWriteString(Hive::kCurrentUser, kOutlook98Key, "PimStore", store);
  }
  // A new process, as far as the driver can tell.
  void Fresh() {
    ResetSharedStateForTesting();
    Shared().services.SetRegistry(&registry);
    Shared().services.SetShell(shell.get());
  }
  std::string cache_file() const { return data_home + "/Norvale Corvanta/Connector.mdb"; }

  std::string store;
  std::string data_home;
  registry::MemoryRegistry registry;
  std::unique_ptr<shell::PosixShell> shell;
};

// Runs the walk the start-up began, without waiting for the window's timer.
void RunPendingWalk() {
  auto& window = Shared().progress_window;
  if (window && window->loaded()) window->Start();
}

// Starts the peak over from the current resident size, so that each
// benchmark reports its own peak, not one of an earlier, larger store.
void ResetPeakResident() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
}

long PeakResidentKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  }
  return 0;
}

// The rows of the cache file, counted without the driver.
int64_t CountRows(const std::string& file) {
  sqlite3* db = nullptr;
  int64_t rows = 0;
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* count = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT count(*) FROM TCache", -1, &count, nullptr) == SQLITE_OK &&
        sqlite3_step(count) == SQLITE_ROW) {
      rows = sqlite3_column_int64(count, 0);
    }
    sqlite3_finalize(count);
  }
  sqlite3_close(db);
  return rows;
}

void BM_FullBuild(benchmark::State& state) {
  int count = static_cast<int>(state.range(0));
  Environment env(count);
  ResetPeakResident();
  for (auto _ : state) {
    state.PauseTiming();
    std::remove(env.cache_file().c_str());
    env.Fresh();
    state.ResumeTiming();
    auto driver = std::make_unique<cDataConnector>();  // first launch: the rebuild
    RunPendingWalk();
    driver.reset();
  }
  state.SetItemsProcessed(state.iterations() * count);
  state.counters["rows_per_second"] =
      benchmark::Counter(static_cast<double>(CountRows(env.cache_file()) * state.iterations()),
                         benchmark::Counter::kIsRate);
  state.counters["peak_rss_mb"] = static_cast<double>(PeakResidentKb()) / 1024.0;
}
BENCHMARK(BM_FullBuild)
    ->Arg(10000)
    ->Arg(50000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);

// A cache built once over cards written well before its walk began, and
// `changed` of them saved since. A card counts as changed when its file
// changed (modification or status change time) after the last walk began,
// less a two-second margin: the build waits that long after the store was
// generated, and the changed cards get a time after the walk.
void BuildCurrentCache(Environment& env) {
  std::filesystem::remove(env.cache_file());  // another benchmark's, on other settings
  std::this_thread::sleep_for(std::chrono::seconds(3));
  env.Fresh();
  auto driver = std::make_unique<cDataConnector>();
  RunPendingWalk();
}

// Saved now: after the last walk began (the build waited), and in the past
// for the next one, so a card marked here is read by one refresh only.
void MarkChanged(Environment& env, int count, int changed) {
  std::time_t later = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  for (int i = 0; changed > 0 && i < count; i += count / changed) {
    struct timespec times[2] = {{later, 0}, {later, 0}};
    utimensat(AT_FDCWD, (env.store + "/Contacts/gen-" + std::to_string(i) + ".vcf").c_str(), times,
              0);
  }
}

void BM_StartUpAndRefresh(benchmark::State& state) {
  int count = static_cast<int>(state.range(0));
  int changed = static_cast<int>(state.range(1));
  Environment env(count);
  BuildCurrentCache(env);
  for (auto _ : state) {
    state.PauseTiming();
    MarkChanged(env, count, changed);
    env.Fresh();
    state.ResumeTiming();
    auto driver = std::make_unique<cDataConnector>();  // start-up: tests, refreshes if needed
    RunPendingWalk();
    driver.reset();
  }
}
// Nothing changed among 50,000; 10 changed among 100,000; nothing among 100,000.
BENCHMARK(BM_StartUpAndRefresh)
    ->Args({50000, 0})
    ->Args({100000, 10})
    ->Args({100000, 0})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace
}  // namespace olconn97::bench

BENCHMARK_MAIN();
