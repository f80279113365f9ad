#include "core/reports.h"

namespace olconn97 {
namespace {

// Constant-initialised, so a report made while the program is still loading
// finds either the installed sink or none, never garbage.
ReportSink installed_sink;

}  // namespace

void InstallReportSink(const ReportSink& sink) { installed_sink = sink; }

void ReportLog(std::string_view line) {
  if (installed_sink.log != nullptr) installed_sink.log(line);
}

void ReportLogWhenLoaded(std::string_view line) {
  if (installed_sink.log_when_loaded != nullptr) installed_sink.log_when_loaded(line);
}

void ReportError(std::string_view where, std::string_view detail, const Status& failure) {
  if (installed_sink.log_error != nullptr) installed_sink.log_error(where, detail, failure);
}

}  // namespace olconn97
