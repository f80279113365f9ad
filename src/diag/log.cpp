#include "diag/log.h"

#include <string>

#include "diag/log_window.h"
#include "diag/product_identity.h"
#include "driver/shared_state.h"

namespace olconn97::diag {

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
