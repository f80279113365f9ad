#include "diag/log_error.h"

#include <cstdint>
#include <cstdio>
#include <memory>

#include "core/data_paths.h"
#include "core/product_identity.h"
#include "core/shared_state.h"
#include "outside/shell/clock.h"
#include "outside/shell/shell.h"

namespace olconn97::diag {
namespace {

constexpr std::string_view kSelf = "mLogError.LogError - ";

// "<decimal> (0x<hex>)", the hex being the 32-bit two's complement in upper
// case without leading zeros.
std::string NumberText(int64_t number) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "%X", static_cast<uint32_t>(number));
  return std::to_string(number) + " (0x" + hex + ")";
}

std::string OrDash(std::string text) { return text.empty() ? "-" : text; }

std::string WhereField(std::string_view where, const Status& failure, int line) {
  std::string field = "Err: ";
  field += failure.source().empty() ? std::string(kVersionProductName) : failure.source();
  field += " - ";
  field += where;
  if (line != 0) field += " line " + std::to_string(line);
  return OrDash(std::move(field));
}

std::string ErrorTextField(const Status& failure) {
  if (failure.number() == 0) return "-";
  return failure.description() + " - " + NumberText(failure.number());
}

std::string SystemTextField(const Status& failure) {
  if (failure.os_error() == 0) return "-";
  return SystemErrorText(failure.os_error()) + " - " + NumberText(failure.os_error());
}

const std::string& ErrorFileName() {
  std::string& name = Shared().error_file_name;
  if (name.empty()) name = DataPath() + "/error_" + GetNetworkUserName() + ".log";
  return name;
}

}  // namespace

void LogError(std::string_view where, std::string_view detail, std::string_view when,
              const Status& failure, int line) {
  std::string text = when.empty()
                         ? shell::FormatDayMonthYearSeconds(Shared().services.clock().Now())
                         : std::string(when);
  text += " " + WhereField(where, failure, line);
  text += " " + OrDash(std::string(detail));
  text += " " + ErrorTextField(failure);
  text += " " + SystemTextField(failure);
  text += "\r\n";

  // The file is opened and closed for every line, so that nothing is lost
  // and other processes of the same user may append too.
  shell::Shell& shell = Shared().services.shell();
  Result<std::unique_ptr<shell::WritableFile>> file =
      shell.OpenForWriting(ErrorFileName(), shell::OpenMode::kAppend);
  if (!file.ok()) {
    DebugOutput(std::string(kSelf) + file.status().description());
    DebugOutput(std::string(kSelf) + "The error file is not open: the line is lost");
    return;
  }
  Status written = file.value()->Append(text);
  if (!written.ok()) DebugOutput(std::string(kSelf) + written.description());
}

std::string SystemErrorText(int code) { return Shared().services.shell().SystemErrorText(code); }

}  // namespace olconn97::diag
