// The item filters of Restrict and Find: "[Property] <op> value", where
// value is a quoted text or a number. Restrict compares the items' file
// modification times ("[LastModificationTime] > '04/12/26 10:59 AM'");
// Find compares a user property ("[employeeId] = 42"). Other filters fail
// with a clear description.
#ifndef OLCONN97_OUTSIDE_PIM_FILTER_H_
#define OLCONN97_OUTSIDE_PIM_FILTER_H_

#include <string>
#include <string_view>

#include "base/result.h"
#include "outside/shell/clock.h"

namespace olconn97::pim {

enum class Comparison { kEqual, kNotEqual, kLess, kLessOrEqual, kGreater, kGreaterOrEqual };

struct Filter {
  std::string property;
  Comparison comparison = Comparison::kEqual;
  std::string value;  // unquoted
  bool quoted = false;
};

Result<Filter> ParseFilter(std::string_view text);

// The time a filter's date text names: the locale's short date with a
// 12- or 24-hour time, "dd/mm/yyyy hh:nn", or ISO 8601 (local, or UTC to
// the second with a final "Z").
Result<shell::WallTime> ParseFilterTime(std::string_view text);

template <typename T>
bool Compare(const T& left, Comparison comparison, const T& right) {
  switch (comparison) {
    case Comparison::kEqual:
      return left == right;
    case Comparison::kNotEqual:
      return left != right;
    case Comparison::kLess:
      return left < right;
    case Comparison::kLessOrEqual:
      return left <= right;
    case Comparison::kGreater:
      return left > right;
    case Comparison::kGreaterOrEqual:
      return left >= right;
  }
  return false;
}

}  // namespace olconn97::pim

#endif  // OLCONN97_OUTSIDE_PIM_FILTER_H_
