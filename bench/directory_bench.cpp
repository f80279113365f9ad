// The employee directory: opening a real Jet file (read by libmdb in a
// process of its own, copied into SQLite in memory) and importing a
// directory from CSV files.
//
//   build/bin/olconn97_directory_bench
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "export/directory_import.h"
#include "outside/jet/dao.h"

namespace olconn97::bench {
namespace {

const std::string kJetFolder = OLCONN97_BENCH_SHARED_TESTDATA_DIR "/jet/";

void BM_OpenJetFile(benchmark::State& state, const char* name) {
  const std::string path = kJetFolder + name;
  if (!std::filesystem::exists(path)) {
    state.SkipWithError(("no Jet test file at " + path).c_str());
    return;
  }
  jet::DBEngine engine;
  for (auto _ : state) {
    auto db = engine.OpenDatabase(path);
    if (!db.ok()) {
      state.SkipWithError(db.status().description().c_str());
      return;
    }
  }
}
BENCHMARK_CAPTURE(BM_OpenJetFile, Access97, "testV1997.mdb")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenJetFile, Access2003, "testUnicodeCompV2003.mdb")
    ->Unit(benchmark::kMillisecond);

// A directory of `count` employees, each on page 2 and every tenth on page 1.
std::vector<std::string> WriteDirectoryCsv(const std::string& folder, int count) {
  std::filesystem::create_directories(folder);
  std::ofstream employees(folder + "/Employees.csv", std::ios::binary);
  std::ofstream pages(folder + "/BLFPagesContents.csv", std::ios::binary);
  employees
      << "EmployeeId,FirstName,LastName,Department,BusinessPhone,MobilePhone,EmailAddress\r\n";
  pages << "EmployeeId,BLFpageId,BindToEmployee\r\n";
  for (int i = 1; i <= count; ++i) {
    employees << i << ",First" << i << ",\"Last, " << i << "\",Sales,+44 20 7946 " << 1000 + i
              << ",07700 900" << i % 1000 << ",p" << i << "@example.com\r\n";
    pages << i << ",2,0\r\n";
    if (i % 10 == 0) pages << i << ",1," << i << "\r\n";
  }
  return {folder + "/Employees.csv", folder + "/BLFPagesContents.csv"};
}

void BM_ImportDirectoryCsv(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const std::string folder = std::filesystem::temp_directory_path().string() +
                             "/olconn97-bench-directory-" + std::to_string(count);
  std::vector<std::string> files = WriteDirectoryCsv(folder, count);
  shell::PosixShell shell;
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::remove(folder + "/stx.mdb");
    state.ResumeTiming();
    auto imported = ImportDirectoryCsv(shell, folder + "/stx.mdb", files);
    if (!imported.ok()) {
      state.SkipWithError(imported.status().description().c_str());
      return;
    }
  }
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_ImportDirectoryCsv)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace olconn97::bench

BENCHMARK_MAIN();
