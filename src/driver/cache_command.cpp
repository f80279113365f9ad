// "olconn97 cache rebuild|refresh|status": the contact cache for an
// administrator. Rebuild and refresh start the driver as the host does, ask
// it for the walk, and pump the message loop until the walk has ended.
#include "driver/cache_command.h"

#include <chrono>
#include <ostream>

#include "base/json_writer.h"
#include "cache/cache_file.h"
#include "cache/cache_state.h"
#include "cache/data_cache.h"
#include "cache/progress_window.h"
#include "core/data_paths.h"
#include "core/settings.h"
#include "core/shared_state.h"
#include "driver/data_connector.h"
#include "outside/jet/dao.h"
#include "outside/shell/shell.h"
#include "outside/ui/desktop.h"

namespace olconn97 {

namespace {

constexpr char kUsage[] =
    "usage: olconn97 cache rebuild|refresh|status [--json]\n"
    "\n"
    "rebuild  empty the cache and index every contact of the selected folders again\n"
    "refresh  index again the contacts changed since the last refresh\n"
    "status   rows, contacts, last refresh time and the cache file\n"
    "Rebuild and refresh show their progress on stderr when it is a terminal.\n";

bool WalkRunning() {
  const auto& window = Shared().progress_window;
  return window && window->loaded();
}

// Runs the walks until none is left (one may start another). The progress
// window waits a moment before it walks, so that a host's own window can
// draw first; this command has nothing else to show, and starts it at once.
void PumpUntilIdle() {
  ui::MessageLoop& loop = Shared().services.desktop().loop();
  while (WalkRunning()) {
    Shared().progress_window->Start();
    (void)loop.YieldOnce();
  }
}

struct CacheFacts {
  std::string path;
  bool exists = false;
  int64_t rows = 0;
  int64_t contacts = 0;
  std::string last_refresh;
  bool rebuild_pending = false;
  std::string walk_started;  // UTC, to the second
  std::string last_recovery;
};

// Rows and distinct contacts, counted by the database: read row by row, a
// large cache took longer to count than to rebuild.
Status CountRows(jet::Database& database, CacheFacts* facts) {
  auto count = [&](const std::string& sql) -> Result<int64_t> {
    OLC_ASSIGN_OR_RETURN(jet::Value total, database.ReadValue(sql));
    if (total.type() != jet::Value::Type::kInteger) return Status::Corrupt("not a count: " + sql);
    return total.integer();
  };
  OLC_ASSIGN_OR_RETURN(facts->rows, count("SELECT count(*) FROM TCache"));
  OLC_ASSIGN_OR_RETURN(facts->contacts, count("SELECT count(DISTINCT EntryID) FROM TCache"));
  return Status::Ok();
}

Result<CacheFacts> ReadFacts() {
  CacheFacts facts;
  facts.path = DataPath() + "/Connector.mdb";
  facts.last_refresh = RegReadString(Hive::kCurrentUser, kPopupKey, "LastModification");
  facts.exists = Shared().services.shell().FileExists(facts.path);
  if (!facts.exists) return facts;
  OLC_ASSIGN_OR_RETURN(std::unique_ptr<jet::Database> database,
                       jet::DBEngine().OpenDatabase(facts.path));
  OLC_RETURN_IF_ERROR(CountRows(*database, &facts));
  // A cache of an older layout has no state to tell; its rows still count.
  facts.rebuild_pending = ReadCacheState(*database, kStateRebuildPending).value_or("") == "1";
  facts.walk_started = ReadCacheState(*database, kStateWalkStarted).value_or("");
  facts.last_recovery = ReadCacheState(*database, kStateLastRecovery).value_or("");
  (void)database->Close();
  return facts;
}

// The refresh times that make the next refresh read every contact: no walk
// has completed since the cache was made (or since a rebuild began).
bool NeverRefreshed(const std::string& last_refresh) {
  for (const char* never : {"", kReadEverything, "01/01/1900"}) {
    if (last_refresh == never) return true;
  }
  return false;
}

void PrintFacts(const CacheFacts& facts, bool json, std::ostream& out) {
  bool never = NeverRefreshed(facts.last_refresh);
  if (json) {
    JsonWriter writer;
    writer.BeginObject().Key("file").String(facts.path).Key("exists").Bool(facts.exists);
    writer.Key("rows").Number(facts.rows).Key("contacts").Number(facts.contacts);
    writer.Key("last_refresh");
    if (never) {
      writer.Null();
    } else {
      writer.String(facts.last_refresh);
    }
    writer.Key("walk_started").String(facts.walk_started);
    writer.Key("rebuild_pending").Bool(facts.rebuild_pending);
    writer.Key("last_recovery").String(facts.last_recovery).EndObject();
    out << writer.text() << "\n";
    return;
  }
  out << "Cache file:    " << facts.path << (facts.exists ? "" : " (not created yet)") << "\n"
      << "Rows:          " << facts.rows << "\n"
      << "Contacts:      " << facts.contacts << "\n"
      << "Last refresh:  " << (never ? "never" : facts.last_refresh) << "\n";
  if (!facts.walk_started.empty()) out << "Walk started:  " << facts.walk_started << "\n";
  if (facts.rebuild_pending) {
    out << "Rebuild:       pending (an unfinished rebuild; the next start-up completes it)\n";
  }
  if (!facts.last_recovery.empty()) out << "Recovery:      " << facts.last_recovery << "\n";
}

// Why the walk just asked for did not happen or did not complete, or ok.
// `started`: whether the request showed the progress window at all.
Status WalkOutcome(bool rebuild, bool started) {
  const char* what = rebuild ? "the rebuild" : "the refresh";
  const std::string cache = DataPath() + "/Connector.mdb";
  const DataCache* maintainer = Shared().gDataCache.get();
  const Status failure = maintainer ? maintainer->walk_failure() : Status::Ok();
  if (started && maintainer && !maintainer->walk_failed()) return Status::Ok();
  if (!failure.ok()) {
    return Status::Error(failure.code(), std::string(what) + " of the contact cache " + cache +
                                             " did not complete: " + failure.description());
  }
  if (started) {
    return Status::Failed(std::string(what) + " of the contact cache " + cache +
                          " did not complete: a contact's rows could not be written (see the "
                          "driver's log)");
  }
  if (WalkRunningElsewhere(cache)) {
    return Status::Unavailable(std::string(what) + " did not start: another process is walking "
                               "the store into " + cache);
  }
  return Status::Failed(std::string(what) + " of the contact cache " + cache +
                        " did not start (see the driver's log)");
}

// Starts the driver and has it walk the store. A refresh follows the one
// start-up may begin. A rebuild walks once: start-up is told not to refresh
// first, and the build of a first launch, a whole rebuild, is then the walk.
// A walk that fails, or never starts, is this command's failure: the cache
// keeps what it had, and the reason is said.
Status RunWalk(bool rebuild, std::ostream& err) {
  SharedState& shared = Shared();
  shared.cache_rebuild_follows = rebuild;
  auto driver = std::make_unique<cDataConnector>();
  shared.cache_rebuild_follows = false;
  if (!shared.gDriverReady) {
    std::string problem = driver->startup_problem();
    if (problem.empty()) problem = shared.store_problem;
    return Status::Unavailable("the driver did not start: " +
                               (problem.empty() ? "see its log" : problem));
  }
  bool built_at_start_up = rebuild && WalkRunning();
  if (!built_at_start_up) PumpUntilIdle();
  auto started = std::chrono::steady_clock::now();
  if (!built_at_start_up) OLC_RETURN_IF_ERROR(driver->Dataconnector_WriteCache(rebuild));
  bool walked = WalkRunning();
  PumpUntilIdle();
  OLC_RETURN_IF_ERROR(WalkOutcome(rebuild, walked));
  auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - started);
  err << (rebuild ? "Rebuilt" : "Refreshed") << " in " << took.count() << " ms\n";
  return Status::Ok();
}

}  // namespace

int RunCacheCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  bool json = false;
  std::string operation;
  for (const std::string& arg : args) {
    if (arg == "--help" || arg == "-h") {
      out << kUsage;
      return 0;
    }
    if (arg == "--json") {
      json = true;
    } else if (operation.empty()) {
      operation = arg;
    } else {
      err << "olconn97 cache: unexpected argument '" << arg << "'\n" << kUsage;
      return 2;
    }
  }
  if (operation != "rebuild" && operation != "refresh" && operation != "status") {
    err << "olconn97 cache: "
        << (operation.empty() ? "no operation given" : "unknown operation '" + operation + "'")
        << "\n"
        << kUsage;
    return 2;
  }
  if (operation != "status") {
    Status walked = RunWalk(operation == "rebuild", err);
    if (!walked.ok()) {
      err << "olconn97 cache: " << walked.description() << "\n";
      return 1;
    }
  }
  Result<CacheFacts> facts = ReadFacts();
  if (!facts.ok()) {
    err << "olconn97 cache: " << facts.status().description() << "\n";
    return 1;
  }
  PrintFacts(facts.value(), json, out);
  return 0;
}

}  // namespace olconn97
