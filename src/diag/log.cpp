#include "diag/log.h"

#include <string>

#include "diag/log_window.h"
#include "driver/shared_state.h"

namespace olconn97::diag {

void Log(std::string_view text) {
  if (Shared().gLogEnabled) LogWindow().Addlog(text);
}

void LogPlain(std::string_view text) {
  if (Shared().gLogEnabled) LogWindow().AddSimpleLog(text);
}

void LogFailure(std::string_view context, const Status& failure) {
  if (!Shared().gLogEnabled) return;
  std::string line(context);
  line += failure.description();
  line += " in ";
  line += failure.source();
  LogWindow().Addlog(line);
}

}  // namespace olconn97::diag
