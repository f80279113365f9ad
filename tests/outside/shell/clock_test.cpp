#include "outside/shell/clock.h"

#include <gtest/gtest.h>

namespace olconn97::shell {
namespace {

TEST(ClockTest, DatesBeyondWhatAWallTimeHoldsAreItsNearestEnd) {
  WallTime time;
  ASSERT_TRUE(ParseUtcSeconds("0026-12-04T10:50:05Z", &time));
  EXPECT_EQ(time, WallTime::min());
  ASSERT_TRUE(ParseUtcSeconds("9999-12-31T23:59:59Z", &time));
  EXPECT_EQ(time, WallTime::max());
  ASSERT_TRUE(ParseUtcSeconds("2026-12-04T10:50:05Z", &time));
  EXPECT_EQ(FormatUtcSeconds(time), "2026-12-04T10:50:05Z");

  std::tm ancient{};
  ancient.tm_year = 26 - 1900;
  ancient.tm_mday = 4;
  EXPECT_EQ(FromLocalTime(ancient), WallTime::min());
}

}  // namespace
}  // namespace olconn97::shell
