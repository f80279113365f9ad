// Finding a contact's employee record in the directory database.
#include <gtest/gtest.h>

#include <cstdio>

#include "contact/contact_test_support.h"
#include "contact/employee_directory.h"
#include "outside/jet/database.h"

namespace olconn97 {
namespace {

class EmployeeLookupTest : public testing::ContactTestBase {
 protected:
  void SetUp() override {
    WriteDirectory(
        {"42, '2', 7, 'Desk', '', '', '', '', '', ''", "43, '1', NULL, '', '', '', '', '', '', ''"},
        "'', '', '', '', '', '', ''");
  }
  int64_t EmployeeRows() {
    auto rows = Shared().gSTXDatabase->OpenRecordset("Select * from Employees",
                                                     jet::RecordsetType::kDynaset, {});
    EXPECT_TRUE(rows.ok());
    if (!rows.ok()) return -1;
    EXPECT_TRUE(rows.value()->MoveLast().ok());
    return rows.value()->RecordCount().value();
  }
};

TEST_F(EmployeeLookupTest, TheEmployeeNumberFindsItsRecordWhateverThePropertyType) {
  cContact number;
  number.SetValues(NewItem({{"EmployeeId", "42"}}).get());
  EXPECT_TRUE(number.EmployeeFound());
  EXPECT_EQ(number.CategorieId().value(), 2);
  EXPECT_EQ(number.AssistantId().value(), 7);

  // A text property holding the number finds the same record.
  auto item = NewItem({{"FirstName", "Ann"}});
  ASSERT_TRUE(item->card().SetUserProperty("EmployeeId", pim::kUserPropertyText, "43").ok());
  cContact text;
  text.SetValues(item.get());
  EXPECT_TRUE(text.EmployeeFound());
  EXPECT_EQ(text.employeeId().value(), 43);
  EXPECT_EQ(text.CategorieId().value(), 1);

  // The directory is opened once and kept for the process.
  jet::Database* directory = Shared().gSTXDatabase.get();
  ASSERT_NE(directory, nullptr);
  EXPECT_EQ(directory, OpenEmployeeDirectory().value());
}

TEST_F(EmployeeLookupTest, SqlTextInTheEmployeeNumberFindsNothingAndBreaksNothing) {
  for (const char* hostile :
       {"0 or 1=1", "42 or EmployeeId > 0", "1; delete from Employees", "42'", "\"42\""}) {
    auto item = NewItem({{"FirstName", "Eve"}});
    ASSERT_TRUE(item->card().SetUserProperty("EmployeeId", pim::kUserPropertyText, hostile).ok());
    size_t lines = LogLines().size();
    cContact contact;
    contact.SetValues(item.get());
    EXPECT_FALSE(contact.EmployeeFound()) << hostile;
    EXPECT_EQ(contact.CategorieId().value(), -1);
    EXPECT_EQ(LogLines().size(), lines) << LogLines().back();  // no failure either
    EXPECT_EQ(contact.FirstName(), "Eve");
  }
  EXPECT_EQ(EmployeeRows(), 2);
  cContact still;
  still.SetValues(NewItem({{"EmployeeId", "42"}}).get());
  EXPECT_TRUE(still.EmployeeFound());
}

TEST_F(EmployeeLookupTest, AMissingDirectoryIsLoggedAfterEveryOtherFieldIsSet) {
  ASSERT_EQ(std::remove(Shared().gStxFileName.c_str()), 0);
  auto item = NewItem({{"EmployeeId", "42"},
                       {"FirstName", "Ann"},
                       {"BusinessTelephoneNumber", "01"},
                       {"Email1Address", "a@example.org"}});
  cContact contact;
  contact.SetValues(item.get());
  EXPECT_FALSE(contact.EmployeeFound());
  EXPECT_EQ(contact.CategorieId().value(), -1);
  EXPECT_EQ(contact.FirstName(), "Ann");
  EXPECT_EQ(contact.MainPhoneNumber(), "01");
  EXPECT_EQ(contact.MainEmail(), "a@example.org");
  EXPECT_EQ(contact.ContactId(), item->EntryID());
  EXPECT_EQ(contact.ContactItem().get(), item.get());
  EXPECT_EQ(LogTexts().back().rfind("Error (SetValues): ", 0), 0u) << LogTexts().back();
  EXPECT_FALSE(Shared().gSTXDatabase);
}

TEST(EmployeeNumberTest, OnlyPlainDecimalNumbersAreLookedUpAsNumbers) {
  EXPECT_EQ(EmployeeNumberValue("42"), jet::Value(int64_t{42}));
  EXPECT_EQ(EmployeeNumberValue("-3"), jet::Value(int64_t{-3}));
  EXPECT_EQ(EmployeeNumberValue("42.5"), jet::Value(42.5));
  for (const char* text : {"", ".", "-", "0x10", "1e3", " 42", "42 ", "inf", "4.2.1"}) {
    EXPECT_EQ(EmployeeNumberValue(text), jet::Value(text)) << text;
  }
}

}  // namespace
}  // namespace olconn97
