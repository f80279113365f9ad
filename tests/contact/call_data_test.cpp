// Reading one entry of the call data.
#include "contact/call_data.h"

#include <gtest/gtest.h>

namespace olconn97 {
namespace {

TEST(CallDataTest, AnEntryRunsFromItsKeyToTheNextSemicolonOrTheEnd) {
  EXPECT_EQ(GetKeyValue("TYPE=incoming;START=1", "TYPE="), "incoming");
  EXPECT_EQ(GetKeyValue("A=1;B=22", "B="), "22");
  EXPECT_EQ(GetKeyValue("A=1", "C="), "");
  EXPECT_EQ(GetKeyValue("A=;B=2", "A="), "");
  EXPECT_EQ(GetKeyValue("A=1;", "A="), "1");
  EXPECT_EQ(GetKeyValue("", "A="), "");
}

TEST(CallDataTest, TheFirstOccurrenceWinsWhereverItIs) {
  // The key is found inside a longer key and inside a value, and case counts.
  EXPECT_EQ(GetKeyValue("LOCALNUMBER=100;PHONENUMBER=0123", "NUMBER="), "100");
  EXPECT_EQ(GetKeyValue("ORIGIN=TYPE=x;TYPE=incoming", "TYPE="), "x");
  EXPECT_EQ(GetKeyValue("type=outgoing;TYPE=incoming", "TYPE="), "incoming");
  EXPECT_EQ(GetKeyValue("A=1;A=2", "A="), "1");
}

TEST(CallDataTest, AnEmptyKeyReadsNothingAndLongDataReadsWhole) {
  EXPECT_EQ(GetKeyValue("A=1;B=2", ""), "");
  // Past the 32 767 characters a 16-bit position could count.
  std::string data(40000, 'x');
  data += ";DURATION=" + std::string(33000, '7') + ";END=1";
  EXPECT_EQ(GetKeyValue(data, "DURATION="), std::string(33000, '7'));
  EXPECT_EQ(GetKeyValue(data, "END="), "1");
}

}  // namespace
}  // namespace olconn97
