#include "diag/log.h"

#include <string>

#include "core/product_identity.h"
#include "core/reports.h"
#include "core/shared_state.h"
#include "diag/log_error.h"
#include "diag/log_window.h"

namespace olconn97::diag {
namespace {

// The shared services report into the developer log and the error file
// through the sink this installs as the program loads.
[[maybe_unused]] const bool reports_installed = [] {
  InstallReportSink({
      .log = &Log,
      .log_when_loaded = &LogWhenLoaded,
      .log_error = [](std::string_view where, std::string_view detail,
                      const Status& failure) { LogError(where, detail, "", failure); },
  });
  return true;
}();

}  // namespace

void Log(std::string_view text) {
  if (Shared().gLogEnabled) LogWindow().Addlog(text);
}

void LogPlain(std::string_view text) {
  if (Shared().gLogEnabled) LogWindow().AddSimpleLog(text);
}

void LogWhenLoaded(std::string_view text) {
  SharedState& shared = Shared();
  if (shared.log_window && shared.log_window->loaded()) {
    if (shared.gLogEnabled) shared.log_window->Addlog(text);
    return;
  }
  shared.log_lines_waiting.emplace_back(text);
}

std::string FailureText(const Status& failure) {
  // A failure raised by the driver's own code names the driver as its source.
  return failure.description() + " in " +
         (failure.source().empty() ? std::string(kDriverTitle) : failure.source());
}

void LogFailure(std::string_view context, const Status& failure) {
  if (!Shared().gLogEnabled) return;
  LogWindow().Addlog(std::string(context) + FailureText(failure));
}

}  // namespace olconn97::diag
