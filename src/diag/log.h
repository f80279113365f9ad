// Writing to the developer log from anywhere in the driver.
//
// Each helper writes only while gLogEnabled is true, so callers need not
// test the flag themselves.
#ifndef OLCONN97_DIAG_LOG_H_
#define OLCONN97_DIAG_LOG_H_

#include <string>
#include <string_view>

#include "base/status.h"

namespace olconn97::diag {

// A time-stamped line (FLog::Addlog).
void Log(std::string_view text);
// The text as it is, without a stamp (FLog::AddSimpleLog).
void LogPlain(std::string_view text);
// A line that may come before the log has read its own setting, or from
// inside the settings store while it reads (a settings file it could not
// read whole): it waits for the log's load, and is dropped when the log is
// off. It never loads the log, which would read the settings again.
void LogWhenLoaded(std::string_view text);
// "<description> in <source>": the tail of every failure line; a failure
// without a source is the driver's own ("olconn97").
std::string FailureText(const Status& failure);

// The line of an operation that caught a failure: its fixed context text
// ("Error (SetValues): "), then "<description> in <source>".
void LogFailure(std::string_view context, const Status& failure);

}  // namespace olconn97::diag

#endif  // OLCONN97_DIAG_LOG_H_
