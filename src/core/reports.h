// How the shared services report what they meet.
//
// The developer log and the error file are kept above the shared services
// (diag), which read the settings and the data path themselves. So the
// services never call them directly: the diagnostics plug themselves in
// here when they are linked into the program, and until then a report is
// dropped, as a line is while the developer log is off.
#ifndef OLCONN97_CORE_REPORTS_H_
#define OLCONN97_CORE_REPORTS_H_

#include <string_view>

#include "base/status.h"

namespace olconn97 {

struct ReportSink {
  // A time-stamped developer-log line.
  void (*log)(std::string_view line) = nullptr;
  // A developer-log line that may come before the log has read its own
  // setting (from inside the settings store, say).
  void (*log_when_loaded)(std::string_view line) = nullptr;
  // A line of the user's error file: the routine, the caller's own text
  // and the failure it caught.
  void (*log_error)(std::string_view where, std::string_view detail,
                    const Status& failure) = nullptr;
};

// Replaces the sink (the diagnostics call it once, as the program loads).
void InstallReportSink(const ReportSink& sink);

void ReportLog(std::string_view line);
void ReportLogWhenLoaded(std::string_view line);
void ReportError(std::string_view where, std::string_view detail, const Status& failure = Status());

}  // namespace olconn97

#endif  // OLCONN97_CORE_REPORTS_H_
