#include "base/strings.h"

#include <gtest/gtest.h>

namespace olconn97 {
namespace {

TEST(StringsTest, TrimRemovesBlanksOnly) {
  EXPECT_EQ(TrimBlanks("  a b  "), "a b");
  EXPECT_EQ(TrimBlanks("\ta\t"), "\ta\t");
  EXPECT_EQ(TrimBlanks("   "), "");
}

TEST(StringsTest, LeadingNumberReadsAsFarAsItGoes) {
  EXPECT_EQ(LeadingNumber("  -12abc"), -12);
  EXPECT_EQ(LeadingNumber("2,5"), 2);
  EXPECT_EQ(LeadingNumber("2.5x"), 2.5);
  EXPECT_EQ(LeadingNumber("x1"), 0);
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(3.5), 4);
  EXPECT_EQ(RoundHalfEven(-2.5), -2);
}

TEST(StringsTest, SplitKeepsEmptyPieces) {
  auto pieces = Split("a;;b;", ';');
  ASSERT_EQ(pieces.size(), 4u);
  EXPECT_EQ(pieces[1], "");
  EXPECT_EQ(pieces[3], "");
}

}  // namespace
}  // namespace olconn97
