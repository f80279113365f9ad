// Reading a settings file: every command of the driver reads the user's
// hive first, so a hive that grew large (many values in one key, many
// keys) must still load in time linear in its size.
//
//   build/bin/olconn97_registry_bench
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "outside/registry/file_registry.h"

namespace olconn97::bench {
namespace {

// A hive with `count` values under one key and `count / 10` subkeys of
// one value each beside it.
std::string WriteLargeHive(int count) {
  std::string folder = std::filesystem::temp_directory_path().string() + "/olconn97-bench-reg-" +
                       std::to_string(count);
  std::filesystem::create_directories(folder);
  std::string file = folder + "/HKCU.reg";
  std::ofstream out(file, std::ios::binary);
  out << "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Many]\r\n";
  for (int i = 0; i < count; ++i) out << "\"Value" << i << "\"=\"text " << i << "\"\r\n";
  for (int i = 0; i < count / 10; ++i) {
    out << "\r\n[HKEY_CURRENT_USER\\Software\\Many\\Sub" << i << "]\r\n\"One\"=dword:0000002a\r\n";
  }
  return file;
}

void BM_LoadLargeHive(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  registry::FileRegistry::Options options;
  options.current_user_file = WriteLargeHive(count);
  options.local_machine_file = options.current_user_file + ".machine";
  size_t values = 0;
  for (auto _ : state) {
    registry::FileRegistry registry(options);  // reads the file afresh
    auto tree = registry.Snapshot(registry::Hive::kCurrentUser);
    values = tree.ok() ? tree.value()->Find("Software\\Many")->values().size() : 0;
  }
  state.counters["values"] = static_cast<double>(values);
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_LoadLargeHive)->Arg(40000)->Arg(110000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace olconn97::bench

BENCHMARK_MAIN();
