#include "outside/shell/clock.h"

#include <cmath>
#include <string>

#include "base/strings.h"

namespace olconn97::shell {

namespace {

// from_time_t multiplies into nanoseconds, which overflows for seconds more
// than about 292 years from 1970: such times are held as the nearest end.
WallTime FromSeconds(std::time_t seconds) {
  using Seconds = std::chrono::duration<std::time_t>;
  constexpr std::time_t kEarliest =
      std::chrono::duration_cast<Seconds>(WallTime::min().time_since_epoch()).count() + 1;
  constexpr std::time_t kLatest =
      std::chrono::duration_cast<Seconds>(WallTime::max().time_since_epoch()).count() - 1;
  if (seconds < kEarliest) return WallTime::min();
  if (seconds > kLatest) return WallTime::max();
  return std::chrono::system_clock::from_time_t(seconds);
}

}  // namespace

std::tm LocalTime(WallTime time) {
  std::time_t seconds = std::chrono::system_clock::to_time_t(time);
  std::tm local{};
  localtime_r(&seconds, &local);
  return local;
}

WallTime FromLocalTime(std::tm local) {
  local.tm_isdst = -1;
  return FromSeconds(std::mktime(&local));
}

std::string FormatLocal(WallTime time, const char* strftime_format) {
  std::tm local = LocalTime(time);
  char buffer[256];
  size_t length = std::strftime(buffer, sizeof buffer, strftime_format, &local);
  return std::string(buffer, length);
}

std::string LocalDateTimeText(WallTime time) { return FormatLocal(time, "%x %X"); }

std::string FormatDayMonthYearMinutes(WallTime time) { return FormatLocal(time, "%d/%m/%Y %H:%M"); }

std::string FormatDayMonthYearSeconds(WallTime time) {
  return FormatLocal(time, "%d/%m/%Y %H:%M:%S");
}

namespace {

constexpr char kUtcSecondsFormat[] = "%Y-%m-%dT%H:%M:%SZ";

}  // namespace

std::string FormatUtcSeconds(WallTime time) {
  std::time_t seconds =
      std::chrono::system_clock::to_time_t(std::chrono::floor<std::chrono::seconds>(time));
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char buffer[32];
  size_t length = std::strftime(buffer, sizeof buffer, kUtcSecondsFormat, &utc);
  return std::string(buffer, length);
}

bool ParseUtcSeconds(std::string_view text, WallTime* time) {
  std::string copy(text);
  std::tm utc{};
  const char* end = strptime(copy.c_str(), kUtcSecondsFormat, &utc);
  if (end == nullptr || *end != '\0') return false;
  *time = FromSeconds(timegm(&utc));
  return true;
}

std::optional<WallTime> ParseLocalDateTime(std::string_view text) {
  std::string copy(TrimBlanks(text));
  if (copy.empty()) return std::nullopt;
  if (WallTime utc; ParseUtcSeconds(copy, &utc)) return utc;
  // The locale's own forms first: what the system's settings would write.
  static constexpr const char* kForms[] = {"%x %X", "%x %H:%M", "%Y-%m-%dT%H:%M:%S",
                                           "%Y-%m-%d %H:%M:%S", "%Y-%m-%d %H:%M", "%x"};
  for (const char* form : kForms) {
    std::tm local{};
    const char* end = strptime(copy.c_str(), form, &local);
    if (end == nullptr || *end != '\0') continue;
    local.tm_isdst = -1;
    return FromLocalTime(local);
  }
  return std::nullopt;
}

namespace {

// Days from 1899-12-30 to 1970-01-01.
constexpr double kUnixEpochAsDate = 25569.0;

// Seconds of local wall-clock time since 1970-01-01, as if the local zone
// were UTC (timegm of the broken-down local time).
long long LocalSeconds(WallTime time) {
  std::tm local = LocalTime(time);
  return static_cast<long long>(timegm(&local));
}

}  // namespace

double ToAutomationDate(WallTime time) {
  auto sub_second = std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch() %
                                                                          std::chrono::seconds(1))
                        .count();
  double seconds = static_cast<double>(LocalSeconds(time)) + sub_second / 1000.0;
  return seconds / 86400.0 + kUnixEpochAsDate;
}

WallTime FromAutomationDate(double date) {
  double days = date - kUnixEpochAsDate;
  auto local_seconds = static_cast<long long>(std::llround(days * 86400.0));
  std::time_t as_utc = static_cast<std::time_t>(local_seconds);
  std::tm local{};
  gmtime_r(&as_utc, &local);  // the broken-down local time
  return FromLocalTime(local);
}

}  // namespace olconn97::shell
