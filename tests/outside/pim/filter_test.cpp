#include "outside/pim/filter.h"

#include <gtest/gtest.h>

namespace olconn97::pim {
namespace {

TEST(FilterTest, PropertyOperatorAndQuotedOrPlainValue) {
  Result<Filter> find = ParseFilter(" [employeeId] = 42 ");
  ASSERT_TRUE(find.ok());
  EXPECT_EQ(find.value().property, "employeeId");
  EXPECT_EQ(find.value().comparison, Comparison::kEqual);
  EXPECT_EQ(find.value().value, "42");
  EXPECT_FALSE(find.value().quoted);

  Result<Filter> restrict = ParseFilter("[LastModificationTime] >= 'it''s'");
  ASSERT_TRUE(restrict.ok());
  EXPECT_EQ(restrict.value().comparison, Comparison::kGreaterOrEqual);
  EXPECT_EQ(restrict.value().value, "it''s");
  EXPECT_TRUE(restrict.value().quoted);
}

TEST(FilterTest, FiltersWithoutAPropertyNameAreRefused) {
  for (const char* text : {"[] = 1", "[ ] = 1", "[   ]> =", "= 1", "[x] 1", "[x] = 'open"}) {
    EXPECT_FALSE(ParseFilter(text).ok()) << text;
  }
}

}  // namespace
}  // namespace olconn97::pim
