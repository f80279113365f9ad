#include "outside/jet/value.h"

#include <gtest/gtest.h>

namespace olconn97::jet {
namespace {

TEST(JetValueTest, ReadsAsAThirtyTwoBitIntegerTheWayTheRuntimeConverts) {
  struct Case {
    Value value;
    int32_t expected;
  };
  const Case converts[] = {
      {Value(int64_t{7}), 7},     {Value(2.5), 2},   {Value(3.5), 4},
      {Value(-2.5), -2},          {Value("12"), 12}, {Value(" 12 "), 12},
      {Value("1e3"), 1000},       {Value("4.5"), 4}, {Value::Boolean(true), -1},
      {Value::Boolean(false), 0},
  };
  for (const Case& test : converts) {
    Result<int32_t> number = test.value.AsInt32();
    ASSERT_TRUE(number.ok()) << test.value.ToText() << ": " << number.status().ToString();
    EXPECT_EQ(number.value(), test.expected) << test.value.ToText();
  }
  struct Failure {
    Value value;
    const char* description;
  };
  const Failure fails[] = {
      {Value(), "Invalid use of Null."},   {Value("abc"), "Type mismatch."},
      {Value(""), "Type mismatch."},       {Value("0x10"), "Type mismatch."},
      {Value("inf"), "Type mismatch."},    {Value(int64_t{3000000000}), "Overflow."},
      {Value(-2147483648.6), "Overflow."},
  };
  for (const Failure& test : fails) {
    EXPECT_EQ(test.value.AsInt32().status().description(), test.description) << test.value.ToText();
  }
}

TEST(JetValueTest, ShowsAsTextAndAsYesNo) {
  EXPECT_EQ(Value().ToText(), "");
  EXPECT_EQ(Value(0.1).ToText(), "0.1");
  EXPECT_EQ(Value(int64_t{-42}).ToText(), "-42");
  EXPECT_EQ(Value::Boolean(true).ToText(), "True");
  EXPECT_EQ(Value("True").AsBool().value_or(false), true);
  EXPECT_EQ(Value(" false ").AsBool().value_or(true), false);
  EXPECT_EQ(Value("-1").AsBool().value_or(false), true);
  EXPECT_FALSE(Value().AsBool().ok());
  EXPECT_FALSE(Value("maybe").AsBool().ok());
  EXPECT_NE(Value("1"), Value(int64_t{1}));  // a text is not a number
}

}  // namespace
}  // namespace olconn97::jet
