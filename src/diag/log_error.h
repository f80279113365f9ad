// The per-user error file (module mLogError).
//
// The shared utility routines (data folders and files, language choice)
// append one line per problem to DataPath()/error_<login name>.log, whether
// or not the developer log is on:
//
//   <when> Err: <source> - <where>[ line <n>] <detail> <error text> <system text>
//
// each field "-" when empty. Nothing here ever fails its caller: a step that
// goes wrong is told to the debugger output and the next step runs.
#ifndef OLCONN97_DIAG_LOG_ERROR_H_
#define OLCONN97_DIAG_LOG_ERROR_H_

#include <string>
#include <string_view>

#include "base/status.h"

namespace olconn97::diag {

// Appends one line to the error file. `where` names the routine
// ("modMultiUser.MakeDir"), `detail` the caller's own text, `when` a time
// stamp (empty: now, as dd/mm/yyyy hh:mm:ss). `failure` is the failure the
// routine caught: its number() gives the error text (with its description
// and source), its os_error() the system text. A problem that is only an OS
// error code carries number() 0. `line` is the failing statement's line
// number, 0 when unknown.
void LogError(std::string_view where, std::string_view detail, std::string_view when,
              const Status& failure = Status(), int line = 0);

// The system's message for an OS error code; "Unknown Error." when it has none.
std::string SystemErrorText(int code);

}  // namespace olconn97::diag

#endif  // OLCONN97_DIAG_LOG_ERROR_H_
