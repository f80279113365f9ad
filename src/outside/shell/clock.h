// The wall clock the driver reads for time stamps and refresh times, and
// the local-time text forms it writes.
//
// Tests install a ManualClock so every time stamp is known in advance.
#ifndef OLCONN97_OUTSIDE_SHELL_CLOCK_H_
#define OLCONN97_OUTSIDE_SHELL_CLOCK_H_

#include <chrono>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace olconn97::shell {

using WallTime = std::chrono::system_clock::time_point;

class Clock {
 public:
  virtual ~Clock() = default;
  virtual WallTime Now() = 0;
};

class SystemClock : public Clock {
 public:
  WallTime Now() override { return std::chrono::system_clock::now(); }
};

class ManualClock : public Clock {
 public:
  explicit ManualClock(WallTime start = WallTime()) : now_(start) {}
  WallTime Now() override { return now_; }
  void Set(WallTime time) { now_ = time; }
  void Advance(std::chrono::milliseconds delta) { now_ += delta; }

 private:
  WallTime now_;
};

// The broken-down local time of `time` (localtime_r).
std::tm LocalTime(WallTime time);
// The wall time of a broken-down local time (mktime; tm_isdst decided by the
// system). A time WallTime cannot hold (before 1678 or after 2261, as a
// typed date may be) is the nearest one it holds.
WallTime FromLocalTime(std::tm local);

// strftime of the local time under the process's LC_TIME locale.
std::string FormatLocal(WallTime time, const char* strftime_format);

// The system's short date and long time, "%x %X", as in the log's stamps.
std::string LocalDateTimeText(WallTime time);

// The fixed "dd/mm/yyyy hh:nn" form (24-hour), whatever the locale.
std::string FormatDayMonthYearMinutes(WallTime time);
// The fixed "dd/mm/yyyy hh:mm:ss" form (24-hour), whatever the locale.
std::string FormatDayMonthYearSeconds(WallTime time);

// ISO 8601 in UTC to the second, "2026-12-06T14:47:50Z" (the fraction is
// dropped): a time stored for the driver alone, free of zones and summer time.
std::string FormatUtcSeconds(WallTime time);
// Reads that form back (out of WallTime's years as FromLocalTime); false for
// any other text.
bool ParseUtcSeconds(std::string_view text, WallTime* time);

// A date and time as a person or a host writes it: the locale's short date
// and time ("%x %X", "%x %H:%M", "%x"), ISO 8601 local time
// ("2026-12-06T14:47:50", "2026-12-06 14:47"), or UTC as FormatUtcSeconds
// writes it. No value for any other text, or trailing text.
std::optional<WallTime> ParseLocalDateTime(std::string_view text);

// Automation dates (DATE): days since 1899-12-30 00:00 in local wall-clock
// time, the fraction being the time of day (dates from 1899-12-30 on; the
// driver meets no earlier ones).
double ToAutomationDate(WallTime time);
WallTime FromAutomationDate(double date);

}  // namespace olconn97::shell

#endif  // OLCONN97_OUTSIDE_SHELL_CLOCK_H_
