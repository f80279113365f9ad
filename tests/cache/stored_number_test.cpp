// What a row keeps of a number as written, beyond its digits.
#include "cache/stored_number.h"

#include <gtest/gtest.h>

namespace olconn97 {
namespace {

// "digits | main | extension", "-" for a null column.
std::string Kept(std::string_view written) {
  StoredNumber stored = StoreNumber(written);
  return stored.digits + " | " + stored.main.value_or("-") + " | " +
         stored.extension.value_or("-");
}

TEST(StoredNumberTest, KeepsThePlusAndTheExtensionApartFromTheDigits) {
  // Digits alone say all there is: nothing more is kept.
  EXPECT_EQ(Kept("0160 123 456 78"), "016012345678 | - | -");
  EXPECT_EQ(Kept("(654) 374-1040"), "6543741040 | - | -");
  EXPECT_EQ(Kept("0049 170 1234567"), "00491701234567 | - | -");
  EXPECT_EQ(Kept("n/a"), " | - | -");
  EXPECT_EQ(Kept("Tel. 0160 1234567"), "01601234567 | - | -");
  EXPECT_EQ(Kept("0160 1234567 (mobile)"), "01601234567 | - | -");
  // A leading plus, wherever the number starts.
  EXPECT_EQ(Kept("+33 (0)1 23 45 67 89"), "330123456789 | + | -");
  EXPECT_EQ(Kept("tel:+49-30-123456"), "4930123456 | + | -");
  EXPECT_EQ(Kept("\xEF\xBC\x8B" "41 44 668 18 00"), "41446681800 | + | -");
  EXPECT_EQ(Kept("0160 1234567, +49 30 123"), "016012345674930123 | - | -");
}

TEST(StoredNumberTest, FindsTheExtensionBehindTheMarksPeopleWrite) {
  for (const char* written :
       {"0123 456 789 ext. 12", "0123456789x12", "0123456789 X 12", "0123456789 #12",
        "0123456789;ext=12", "0123456789 extension: 12", "0123456789,12", "0123456789 ~12",
        "0123456789 Ext 12#", "0123456789 (ext 12)", "0123456789 anexo 12"}) {
    EXPECT_EQ(Kept(written), "012345678912 | 9876543210 | 12") << written;
  }
  EXPECT_EQ(Kept("+44 20 7946 0958 ext. 204"), "442079460958204 | 859064970244+ | 204");
  // No mark, or nothing before it: no extension.
  EXPECT_EQ(Kept("x12"), "12 | - | -");
  EXPECT_EQ(Kept("0123456789 next 12"), "012345678912 | - | -");
  EXPECT_EQ(Kept("0123456789 x 1234567890"), "01234567891234567890 | - | -");  // too long
}

TEST(StoredNumberTest, GivesTheFormANumberReaderNeeds) {
  StoredNumber plain = StoreNumber("0160 1234567");
  EXPECT_EQ(plain.MainDigits(), "01601234567");
  EXPECT_EQ(plain.DialledForm(), "01601234567");
  EXPECT_FALSE(plain.international());
  StoredNumber plus = StoreNumber("+49 160 1234567");
  EXPECT_EQ(plus.MainDigits(), "491601234567");
  EXPECT_EQ(plus.DialledForm(), "+491601234567");
  StoredNumber both = StoreNumber("+49 160 1234567 x12");
  EXPECT_EQ(both.MainDigits(), "491601234567");
  EXPECT_EQ(both.DialledForm(), "+491601234567");
  EXPECT_TRUE(both.international());
}

}  // namespace
}  // namespace olconn97
