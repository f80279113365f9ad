// Caller searches while the cache is rebuilt: a whole build of a generated
// store, with a search by name run by the message loop every few contacts
// (as a host's calls run while the walk yields). Prints the latency of
// those searches: median, 99th percentile and maximum, and how many found
// their contact (those already walked) or the placeholder (the others).
//
//   build/bin/olconn97_walk_search_bench [CONTACTS [SEARCH_EVERY]]
//   (defaults: 100000 contacts, a search every 10 contacts)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "bench_support.h"
#include "cache/progress_window.h"
#include "core/settings.h"
#include "core/shared_state.h"
#include "driver/data_connector.h"
#include "outside/com/variant.h"
#include "outside/registry/registry.h"
#include "outside/shell/shell.h"
#include "outside/ui/desktop.h"

namespace olconn97::bench {
namespace {

// The name the cache keeps for generated card `index` (bench_support.cpp).
std::string RowName(int index) {
  static const char* const kFirst[] = {"Ann", "Bob",   "Chloé", "David", "Eva", "Farid",
                                       "Grace", "Hugo", "Inès", "Jonas", "Karin", "Luca",
                                       "Mia", "Noah", "Olga", "Pierre"};
  static const char* const kLast[] = {"Smith",  "Martin", "Dubois",  "Müller",   "Rossi",
                                      "García", "Novak",  "Jensen",  "O'Neil",   "Lefèvre",
                                      "Kowalski", "Silva", "Tanaka"};
  return std::string(kLast[(index / 16) % 13]) + std::to_string(index) + ", " + kFirst[index % 16];
}

// Whether FindFirst found a contact of the store (not the placeholder).
bool FindFirst(cDataConnector& driver, const std::string& name) {
  Result<com::ComPtr<ContactRecord>> cursor = driver.Dataconnector_OpenContactRecord();
  if (!cursor.ok() || !cursor.value()) return false;
  com::Bstr text(name);
  Contact* found = nullptr;
  if (cursor.value()->ContactRecord_FindFirst(1, text.get(), &found) != S_OK) return false;
  com::ComPtr<Contact> held = com::ComPtr<Contact>::Adopt(found);
  VARIANT_BOOL not_in_pim = VARIANT_TRUE;
  return held && held->get_NotInPIM(&not_in_pim) == S_OK && not_in_pim == VARIANT_FALSE;
}

double Micros(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double, std::micro>(d).count();
}

int Run(int count, int every) {
  const std::string store = GeneratedStore(count);
  const std::string data_home = store + "-data";
  std::filesystem::create_directories(data_home);
  setenv("XDG_DATA_HOME", data_home.c_str(), 1);
  std::filesystem::remove(data_home + "/Norvale Corvanta/Connector.mdb");
  // Kept to the end of the process: the shared state refers to both.
  static registry::MemoryRegistry registry;
  static shell::PosixShell shell(OLCONN97_BENCH_APP_PATH);
  ResetSharedStateForTesting();
  Shared().services.SetRegistry(&registry);
  Shared().services.SetShell(&shell);
  (void)RegWriteString(Hive::kCurrentUser, kOutlook98Key, "PimStore", store);

  auto driver = std::make_unique<cDataConnector>();  // first launch: the build is pending
  auto& window = Shared().progress_window;
  if (!window || !window->loaded()) {
    std::fprintf(stderr, "no build was started\n");
    return 1;
  }
  ui::MessageLoop& loop = Shared().services.desktop().loop();
  std::mt19937 random(7);
  std::uniform_int_distribution<int> any(0, count - 1);
  std::vector<double> latencies;
  latencies.reserve(static_cast<size_t>(count / every) + 1);
  int yields = 0, found = 0;
  std::function<void()> search = [&] {
    if (!window || !window->loaded()) return;
    if (++yields % every == 0) {
      auto started = std::chrono::steady_clock::now();
      found += FindFirst(*driver, RowName(any(random))) ? 1 : 0;
      latencies.push_back(Micros(std::chrono::steady_clock::now() - started));
    }
    loop.Post(search);
  };
  loop.Post(search);
  auto started = std::chrono::steady_clock::now();
  window->Start();  // the walk, without waiting for the window's timer
  const double walk_ms = Micros(std::chrono::steady_clock::now() - started) / 1000;
  loop.YieldOnce();  // the last posted search sees the end
  if (latencies.empty()) return 1;
  std::sort(latencies.begin(), latencies.end());
  auto at = [&](double q) {
    return latencies[std::min(latencies.size() - 1, static_cast<size_t>(q * latencies.size()))];
  };
  std::printf("contacts %d, searches %zu (one every %d contacts), found %d\n", count,
              latencies.size(), every, found);
  std::printf("walk with searches: %.0f ms (%.0f contacts/s)\n", walk_ms, count / walk_ms * 1000);
  std::printf("search latency during the walk: median %.1f us, p99 %.1f us, max %.1f us\n",
              at(0.5), at(0.99), latencies.back());
  return 0;
}

}  // namespace
}  // namespace olconn97::bench

int main(int argc, char** argv) {
  int count = argc > 1 ? std::atoi(argv[1]) : 100000;
  int every = argc > 2 ? std::atoi(argv[2]) : 10;
  if (count <= 0 || every <= 0) {
    std::fprintf(stderr, "usage: %s [CONTACTS [SEARCH_EVERY]]\n", argv[0]);
    return 2;
  }
  return olconn97::bench::Run(count, every);
}
