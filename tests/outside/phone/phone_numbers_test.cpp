// The reading of numbers written in any form, as libphonenumber does it.
#include "outside/phone/phone_numbers.h"

#include <gtest/gtest.h>

namespace olconn97::phone {
namespace {

std::string Dialled(const std::string& region, const std::string& written) {
  std::optional<DialledNumber> number = NumberReader(region).Read(written);
  if (!number) return "none";
  std::string text = "+" + std::to_string(number->country_code) + " " + number->national;
  return number->extension.empty() ? text : text + " ext " + number->extension;
}

TEST(NumberReaderTest, ReadsEveryWrittenFormAsTheNumberItDials) {
  EXPECT_EQ(Dialled("DE", "0160 123 456 78"), "+49 16012345678");
  EXPECT_EQ(Dialled("DE", "+49 (0)160 1234567"), "+49 1601234567");
  EXPECT_EQ(Dialled("DE", "0049 170 1234567"), "+49 1701234567");
  EXPECT_EQ(Dialled("US", "(654) 374-1040"), "+1 6543741040");
  EXPECT_EQ(Dialled("FR", "+33 (0)1 23-45 67 89"), "+33 123456789");
  EXPECT_EQ(Dialled("FR", "0123 456 789 ext. 12"), "+33 123456789 ext 12");
  EXPECT_EQ(Dialled("IT", "06 1234 5678"), "+39 0612345678");  // Italy keeps its leading zero
  EXPECT_EQ(Dialled("DE", "n/a"), "none");
  EXPECT_EQ(Dialled("DE", ""), "none");
}

TEST(NumberReaderTest, SameNumberIsLibphonenumbersExactMatch) {
  NumberReader de("DE");
  auto same = [&](const std::string& a, const std::string& b) {
    return NumberReader::SameNumber(*de.Read(a), *de.Read(b));
  };
  EXPECT_TRUE(same("+49 160 1234567", "0160-1234567"));
  EXPECT_TRUE(same("0160 1234567 x12", "+491601234567;ext=12"));
  EXPECT_FALSE(same("0160 1234567 x12", "0160 1234567 x13"));
  EXPECT_FALSE(same("0160 1234567 x12", "0160 1234567"));  // a short match only
  EXPECT_FALSE(same("030 1234567", "089 1234567"));
  // Leading zeros are part of the number: Italy's 06 ... is not 6 ...
  NumberReader it("IT");
  EXPECT_FALSE(NumberReader::SameNumber(*it.Read("06 1234 5678"), *it.Read("+39 612345678")));
  EXPECT_TRUE(NumberReader::SameNumber(*it.Read("06 1234 5678"), *it.Read("+39 06 1234 5678")));
}

TEST(NumberReaderTest, KnowsWhichRegionsExistAndWhichRewriteDigits) {
  EXPECT_EQ(NumberReader::KnownRegion("de"), "DE");
  EXPECT_EQ(NumberReader::KnownRegion("CH"), "CH");
  EXPECT_EQ(NumberReader::KnownRegion("XX"), "");
  EXPECT_EQ(NumberReader::KnownRegion("DEU"), "");
  EXPECT_GT(NumberReader::Regions().size(), 200u);
  // Argentina's "15" of a mobile number becomes a "9" elsewhere in it.
  EXPECT_TRUE(NumberReader("DE").MayRewriteDigits(54));
  EXPECT_TRUE(NumberReader("AR").MayRewriteDigits(49));
  EXPECT_FALSE(NumberReader("DE").MayRewriteDigits(33));
  EXPECT_FALSE(NumberReader("US").MayRewriteDigits(1));
}

TEST(NumberReaderTest, WritesAnExampleNumberInEachForm) {
  EXPECT_EQ(NumberReader::ExampleNumber("DE", NumberFormat::kE164), "+4930123456");
  EXPECT_EQ(NumberReader::ExampleNumber("DE", NumberFormat::kNational), "030 123456");
  EXPECT_EQ(NumberReader::ExampleNumber("DE", NumberFormat::kRfc3966), "tel:+49-30-123456");
  EXPECT_EQ(NumberReader::ExampleNumber("XX", NumberFormat::kE164), "");
}

}  // namespace
}  // namespace olconn97::phone
