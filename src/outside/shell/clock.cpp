#include "outside/shell/clock.h"

namespace olconn97::shell {

std::tm LocalTime(WallTime time) {
  std::time_t seconds = std::chrono::system_clock::to_time_t(time);
  std::tm local{};
  localtime_r(&seconds, &local);
  return local;
}

WallTime FromLocalTime(std::tm local) {
  local.tm_isdst = -1;
  return std::chrono::system_clock::from_time_t(std::mktime(&local));
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

}  // namespace olconn97::shell
