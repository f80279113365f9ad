#include "base/csv.h"

#include <gtest/gtest.h>

namespace olconn97 {
namespace {

std::vector<CsvRecord> Parsed(std::string_view text) {
  Result<std::vector<CsvRecord>> records = ParseCsv(text, "t.csv");
  EXPECT_TRUE(records.ok()) << records.status().ToString();
  return records.ok() ? records.value() : std::vector<CsvRecord>{};
}

TEST(CsvTest, QuotedFieldsHoldCommasQuotesAndLineBreaks) {
  EXPECT_EQ(Parsed("\xEF\xBB\xBFName,Note\r\n\"Hall, Ann\",\"say \"\"hi\"\"\"\r\n"
                   "Bo,\"two\r\nlines\nhere\"\r\n\r\nCy,\n,\"\"\n"),
            (std::vector<CsvRecord>{{1, {"Name", "Note"}},
                                    {2, {"Hall, Ann", "say \"hi\""}},
                                    {3, {"Bo", "two\r\nlines\nhere"}},
                                    {7, {"Cy", ""}},
                                    {8, {"", ""}}}));
  // No line end at the end, a lone CR as one, a trailing comma as an empty field.
  EXPECT_EQ(Parsed("a,b\rc,"), (std::vector<CsvRecord>{{1, {"a", "b"}}, {2, {"c", ""}}}));
  EXPECT_EQ(Parsed(""), std::vector<CsvRecord>{});
  EXPECT_EQ(Parsed("\xEF\xBB\xBF"), std::vector<CsvRecord>{});
}

TEST(CsvTest, MalformedQuotingNamesFileAndLine) {
  auto failure = [](std::string_view text) {
    Result<std::vector<CsvRecord>> records = ParseCsv(text, "Employees.csv");
    EXPECT_EQ(records.status().code(), Code::kInvalidArgument);
    return records.status().description();
  };
  EXPECT_EQ(failure("a,b\n1,2\"x\n"), "Employees.csv:2: a quote inside a field that is not quoted");
  EXPECT_EQ(failure("a\n\"x\"y\n"), "Employees.csv:2: text after the closing quote of a field");
  EXPECT_EQ(failure("a\n\n\"open\nstill open"), "Employees.csv:3: a quoted field is never closed");
}

}  // namespace
}  // namespace olconn97
