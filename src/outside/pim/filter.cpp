#include "outside/pim/filter.h"

#include <ctime>

#include "base/strings.h"

namespace olconn97::pim {

namespace {

struct Operator {
  std::string_view text;
  Comparison comparison;
};

// Longest first, so ">=" is not read as ">".
constexpr Operator kOperators[] = {
    {">=", Comparison::kGreaterOrEqual}, {"<=", Comparison::kLessOrEqual},
    {"<>", Comparison::kNotEqual},       {"=", Comparison::kEqual},
    {">", Comparison::kGreater},         {"<", Comparison::kLess},
};

// Date forms tried in order; %x and %p follow the process's LC_TIME.
constexpr const char* kTimeForms[] = {
    "%x %I:%M %p",       "%x %I:%M:%S %p",
    "%x %H:%M",          "%x %H:%M:%S",
    "%d/%m/%Y %H:%M",    "%d/%m/%Y %H:%M:%S",
    "%Y-%m-%dT%H:%M:%S", "%Y-%m-%d %H:%M:%S",
    "%Y-%m-%d %H:%M",    "%x",
    "%d/%m/%Y",          "%Y-%m-%d",
};

Status Unsupported(std::string_view text) {
  return Status::InvalidArgument("Cannot parse the filter: " + std::string(text));
}

}  // namespace

Result<Filter> ParseFilter(std::string_view text) {
  std::string_view rest = TrimBlanks(text);
  if (rest.empty() || rest.front() != '[') return Unsupported(text);
  size_t close = rest.find(']');
  if (close == std::string_view::npos || close == 1) return Unsupported(text);
  Filter filter;
  filter.property = std::string(TrimBlanks(rest.substr(1, close - 1)));
  if (filter.property.empty()) return Unsupported(text);
  rest = TrimBlanks(rest.substr(close + 1));
  bool found = false;
  for (const Operator& op : kOperators) {
    if (rest.starts_with(op.text)) {
      filter.comparison = op.comparison;
      rest = TrimBlanks(rest.substr(op.text.size()));
      found = true;
      break;
    }
  }
  if (!found || rest.empty()) return Unsupported(text);
  char quote = rest.front();
  if (quote == '\'' || quote == '"') {
    if (rest.size() < 2 || rest.back() != quote) return Unsupported(text);
    filter.value = std::string(rest.substr(1, rest.size() - 2));
    filter.quoted = true;
  } else {
    if (rest.find_first_of(" \t'\"") != std::string_view::npos) return Unsupported(text);
    filter.value = std::string(rest);
  }
  return filter;
}

Result<shell::WallTime> ParseFilterTime(std::string_view text) {
  std::string value(TrimBlanks(text));
  shell::WallTime utc;
  if (shell::ParseUtcSeconds(value, &utc)) return utc;
  for (const char* form : kTimeForms) {
    std::tm parsed{};
    const char* end = strptime(value.c_str(), form, &parsed);
    if (end != nullptr && *end == '\0') return shell::FromLocalTime(parsed);
  }
  return Status::InvalidArgument("Cannot read the date in the filter: " + value);
}

}  // namespace olconn97::pim
