// The contact store's speed: reading whole folders (what a cache build
// does), Restrict on modification times, GetItemFromID.
//
//   build/bin/olconn97_store_bench --benchmark_counters_tabular=true
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>

#include "bench_support.h"
#include "outside/pim/item_classes.h"
#include "outside/pim/objects.h"
#include "outside/pim/vcard/phone_kinds.h"

namespace olconn97::bench {
namespace {

com::ComPtr<pim::Application> OpenGenerated(int count) {
  pim::ApplicationOptions options;
  options.store_folder = GeneratedStore(count);
  return pim::Application::Create(std::move(options)).value();
}

com::ComPtr<pim::MAPIFolder> ContactsOf(pim::Application& app) {
  return app.GetNamespace("MAPI").value()->GetDefaultFolder(pim::kFolderContacts).value();
}

// Every item of the folder read as the cache build reads it: the two
// names, the 19 phone properties and the entry ID.
void BM_ReadWholeFolder(benchmark::State& state) {
  auto app = OpenGenerated(static_cast<int>(state.range(0)));
  auto contacts = ContactsOf(*app);
  size_t numbers = 0;
  for (auto _ : state) {
    auto items = contacts->GetItems().value();
    for (int32_t i = 1; i <= items->Count(); ++i) {
      auto item = items->Item(i).value();
      pim::ContactItem* contact = item->AsContact();
      benchmark::DoNotOptimize(contact->Text("LastNameAndFirstName"));
      benchmark::DoNotOptimize(contact->Text("FullName"));
      for (pim::PhoneKind kind : pim::kAllPhoneKinds) {
        numbers += contact->card().Phone(kind).value_or("").empty() ? 0 : 1;
      }
      benchmark::DoNotOptimize(item->EntryID());
    }
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.counters["numbers"] =
      static_cast<double>(numbers) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_ReadWholeFolder)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Restrict over a folder where 10 cards changed after the bound.
void BM_RestrictOnModificationTime(benchmark::State& state) {
  int count = static_cast<int>(state.range(0));
  auto app = OpenGenerated(count);
  auto contacts = ContactsOf(*app);
  std::string root = GeneratedStore(count) + "/Contacts/";
  auto now = std::chrono::system_clock::now();
  auto old_time = std::chrono::system_clock::to_time_t(now - std::chrono::hours(48));
  auto new_time = std::chrono::system_clock::to_time_t(now);
  for (int i = 0; i < count; ++i) {
    struct timespec times[2] = {{i % (count / 10) == 0 ? new_time : old_time, 0}, {}};
    times[1] = times[0];
    utimensat(AT_FDCWD, (root + "gen-" + std::to_string(i) + ".vcf").c_str(), times, 0);
  }
  std::string filter = "[LastModificationTime] > '" +
                       shell::FormatLocal(now - std::chrono::hours(1), "%d/%m/%Y %H:%M") + "'";
  for (auto _ : state) {
    auto items = contacts->GetItems().value()->Restrict(filter).value();
    if (items->Count() != 10) state.SkipWithError("the filter did not find the 10 changed cards");
  }
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_RestrictOnModificationTime)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_GetItemFromID(benchmark::State& state) {
  auto app = OpenGenerated(100000);
  auto ns = app->GetNamespace("MAPI").value();
  auto items = ContactsOf(*app)->GetItems().value();
  std::vector<std::string> ids;
  for (int32_t i = 1; i <= items->Count(); i += items->Count() / 1000) {
    ids.push_back(items->Item(i).value()->EntryID());
  }
  size_t next = 0;
  for (auto _ : state) {
    auto item = ns->GetItemFromID(ids[next++ % ids.size()]).value();
    benchmark::DoNotOptimize(item->AsContact()->Text("FullName"));
  }
}
BENCHMARK(BM_GetItemFromID)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace olconn97::bench

BENCHMARK_MAIN();
