// From a call event on the SIP user agent's control port to the caller
// shown: the phone host's latency on a cache of 50,000 contacts.
//
// The host's own code (tools/olconn97) drives the driver library through
// its public interface, as `olconn97 phone` does; a stand-in control port
// replays CALL_INCOMING and CALL_CLOSED for known callers. No action runs
// (the ring's and hang-up's lists are empty), so what is timed is the
// event's way in, the search, the contact's fetch and the line shown.
#include <benchmark/benchmark.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench_support.h"
#include "tools/fake_control_port.h"
#include "tools/olconn97/baresip_control.h"
#include "tools/olconn97/commands.h"
#include "tools/olconn97/driver_library.h"
#include "tools/olconn97/host_actions.h"
#include "tools/olconn97/phone_host.h"

namespace {

constexpr int kContacts = 50000;

int Reg(std::vector<const char*> argv) {
  return host::Api().olconn97_reg(static_cast<int>(argv.size()), argv.data());
}

// The driver on a generated store, its cache built, settings in a folder of
// the benchmark's own.
struct PhoneSetup {
  PhoneSetup() {
    std::string store = olconn97::bench::GeneratedStore(kContacts);
    char pattern[] = "/tmp/olconn97-phone-bench-XXXXXX";
    home = mkdtemp(pattern);
    setenv("OLCONN97_REGISTRY_DIR", (home + "/settings").c_str(), 1);
    setenv("XDG_DATA_HOME", (home + "/data").c_str(), 1);
    setenv("DBUS_SESSION_BUS_ADDRESS", "", 1);
    Reg({"add", "HKCU\\Software\\Norvale\\7316\\Popup\\outlook98", "/v", "PimStore", "/d",
         store.c_str(), "/f"});
    Reg({"add", "HKCU\\Software\\olconn97\\Phone", "/v", "RingActions", "/d", "", "/f"});
    Reg({"add", "HKCU\\Software\\olconn97\\Phone", "/v", "HangupActions", "/d", "", "/f"});
    driver = host::StartDriver("bench");  // builds the cache on its first run
    list = host::ActionList(driver.get(), "bench");
  }
  ~PhoneSetup() {
    list = {};
    driver = {};
    std::error_code ignored;
    std::filesystem::remove_all(home, ignored);
  }
  std::string home;
  host::Held<DataConnector> driver;
  host::Held<PIMActions> list;
};

// The number of generated card `index` as a network delivers it.
std::string CallerUri(int index) {
  std::string card = olconn97::bench::GeneratedCard(index);
  size_t tel = card.find("TEL");
  size_t colon = card.find(':', tel);
  std::string digits;
  for (size_t i = colon + 1; i < card.size() && card[i] != '\r' && card[i] != '\n'; ++i) {
    if (card[i] >= '0' && card[i] <= '9') digits += card[i];
  }
  return "sip:+" + digits + "@127.0.0.1";
}

void BM_CallIncomingToCallerShown(benchmark::State& state) {
  static PhoneSetup setup;
  if (setup.driver.get() == nullptr || setup.list.get() == nullptr) {
    state.SkipWithError("the driver did not start");
    return;
  }
  olconn97::testing::FakeControlPort agent;
  bool shown = false;
  int known = 0;
  host::PhoneHost::Sinks sinks;
  sinks.show = [&](const std::string&, const host::CallerView& caller) {
    shown = true;
    known += caller.known ? 1 : 0;
  };
  sinks.report = [](const std::string&) {};
  host::PhoneHost phone(setup.driver.get(), setup.list.get(), sinks,
                        [] { return std::chrono::system_clock::now(); });
  host::ControlHandlers handlers;
  handlers.on_event = [&](const host::SipEvent& event) {
    phone.OnSignal({event.type, event.id, event.direction, event.peer_uri,
                    event.peer_display_name, event.account});
  };
  host::BaresipControl control("127.0.0.1", agent.port(), handlers);
  if (!control.Connect(std::chrono::seconds(2)).connected || !agent.Accept()) {
    state.SkipWithError("no control connection");
    return;
  }
  std::vector<double> latencies;
  int call = 0;
  for (auto _ : state) {
    olconn97::testing::FakeCall ring;
    ring.id = "call" + std::to_string(call);
    ring.peer_uri = CallerUri((call * 7919) % kContacts);
    ++call;
    shown = false;
    auto start = std::chrono::steady_clock::now();
    agent.SendEvent("CALL_INCOMING", ring);
    while (!shown) {
      pollfd watched{control.fd(), POLLIN, 0};
      if (poll(&watched, 1, 1000) <= 0) break;
      control.ReadAvailable();
    }
    auto took = std::chrono::steady_clock::now() - start;
    latencies.push_back(std::chrono::duration<double, std::micro>(took).count());
    state.PauseTiming();
    agent.SendEvent("CALL_CLOSED", ring, "bench");
    while (phone.calls() > 0) {
      pollfd watched{control.fd(), POLLIN, 0};
      if (poll(&watched, 1, 1000) <= 0) break;
      control.ReadAvailable();
    }
    state.ResumeTiming();
  }
  std::sort(latencies.begin(), latencies.end());
  auto at = [&](double q) {
    return latencies.empty() ? 0.0 : latencies[std::min(latencies.size() - 1,
                                                        static_cast<size_t>(q * latencies.size()))];
  };
  state.counters["p50_us"] = at(0.50);
  state.counters["p99_us"] = at(0.99);
  state.counters["known_callers"] = known;
}
BENCHMARK(BM_CallIncomingToCallerShown)->Iterations(2000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
