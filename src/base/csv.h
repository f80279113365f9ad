// Comma-separated values as RFC 4180 has them: records of fields separated
// by commas, ended by CR LF or LF (a lone CR ends a record too); a field in
// double quotes may hold commas, line breaks and quotes (written twice).
// A UTF-8 byte-order mark at the start is skipped; empty lines are no
// records.
//
//   Result<std::vector<CsvRecord>> records =
//       ParseCsv("a,b\r\n1,\"x, \"\"y\"\"\"\r\n", "people.csv");
//   records.value()[1].fields  // {"1", "x, \"y\""}
//   records.value()[1].line    // 2
#ifndef OLCONN97_BASE_CSV_H_
#define OLCONN97_BASE_CSV_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"

namespace olconn97 {

struct CsvRecord {
  size_t line = 0;  // where the record begins, from 1
  std::vector<std::string> fields;

  friend bool operator==(const CsvRecord&, const CsvRecord&) = default;
};

// Fails with kInvalidArgument, described as "<name>:<line>: <what>", on a
// quote inside a field that does not begin with one, on anything but a comma
// or a line end after a closing quote, and on a quoted field still open at
// the end.
Result<std::vector<CsvRecord>> ParseCsv(std::string_view text, std::string_view name);

}  // namespace olconn97

#endif  // OLCONN97_BASE_CSV_H_
