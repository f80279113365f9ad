// The labelled phone and e-mail lists, and the directory's labels.
#include <gtest/gtest.h>

#include "contact/contact_test_support.h"

namespace olconn97 {
namespace {

using Strings = std::vector<std::string>;
using testing::Properties;

class ContactListsTest : public testing::ContactTestBase {
 protected:
  // Employee 7 has a mobile label only; employee 8 has none of its own.
  void WriteTwoEmployees(const char* category) {
    std::string c = std::string("'") + category + "'";
    WriteDirectory({"7, " + c + ", 3, '', NULL, 'Cell', '', NULL, '', 'Assist'",
                    "8, " + c + ", NULL, '', '', '', '', '', '', ''"},
                   "'Office', '', 'Default cell', NULL, NULL, '', 'Default assist'");
  }
  cContact& Employee(const char* number, Properties properties) {
    properties["EmployeeId"] = number;
    contact_.SetValues(NewItem(properties).get());
    EXPECT_TRUE(contact_.EmployeeFound());
    return contact_;
  }

  cContact contact_;
};

TEST_F(ContactListsTest, ThePlainRuleListsPresentNumbersInOrderWithCodeLabels) {
  contact_.SetValues(NewItem({{"BusinessFaxNumber", "03"},
                              {"MobileTelephoneNumber", "02"},
                              {"BusinessTelephoneNumber", "01"}})
                         .get());
  EXPECT_EQ(Entries(contact_.PhoneNumbers()),
            (Strings{Entry("#21002#", "01"), Entry("#21011#", "02"), Entry("#21001#", "03")}));
}

TEST_F(ContactListsTest, EmailEntriesKeepTheSlotOrder) {
  cContact second_only;
  second_only.SetValues(NewItem({{"Email2Address", "b@example.org"}}).get());
  EXPECT_EQ(Entries(second_only.Emails()), Strings{Entry("#99999#", "b@example.org")});
  contact_.SetValues(
      NewItem({{"Email3Address", "c@example.org"}, {"Email1Address", "a@example.org"}}).get());
  EXPECT_EQ(Entries(contact_.Emails()),
            (Strings{Entry("#99999#", "a@example.org"), Entry("#99999#", "c@example.org")}));
}

TEST_F(ContactListsTest, ListsAreBuiltOnceAndKept) {
  auto item = NewItem({{"BusinessTelephoneNumber", "01"}, {"Email1Address", "a@example.org"}});
  contact_.SetValues(item.get());
  auto phones = contact_.PhoneNumbers();
  auto emails = contact_.Emails();
  ASSERT_TRUE(item->Set("MobileTelephoneNumber", "02").ok());
  ASSERT_TRUE(item->Set("Email2Address", "b@example.org").ok());
  EXPECT_EQ(contact_.PhoneNumbers().get(), phones.get());
  EXPECT_EQ(Entries(contact_.PhoneNumbers()), Strings{Entry("#21002#", "01")});
  EXPECT_EQ(contact_.Emails().get(), emails.get());
  EXPECT_EQ(emails->Count(), 1);

  // A list that came out empty is built again, into the same collection.
  cContact empty;
  auto bare = NewItem({{"FirstName", "Ann"}});
  empty.SetValues(bare.get());
  auto none = empty.PhoneNumbers();
  ASSERT_TRUE(none);
  EXPECT_EQ(none->Count(), 0);
  ASSERT_TRUE(bare->Set("HomeTelephoneNumber", "09").ok());
  EXPECT_EQ(empty.PhoneNumbers().get(), none.get());
  EXPECT_EQ(Entries(none), Strings{Entry("#21008#", "09")});
}

TEST_F(ContactListsTest, APlaceholderHasNoListsAndSaysWhy) {
  contact_.SetOneValue(0, "0123");
  EXPECT_FALSE(contact_.PhoneNumbers());
  EXPECT_EQ(LogTexts().back(),
            "Error (Get PhoneNumbers): the contact has no contact item (not in PIM) in olconn97");
  EXPECT_FALSE(contact_.Emails());
  EXPECT_EQ(LogTexts().back(),
            "Error (Get Emails): the contact has no contact item (not in PIM) in olconn97");
  EXPECT_FALSE(contact_.Emails());  // every time
}

TEST_F(ContactListsTest, EmployeesOfCategoryTwoGetDirectoryLabelsFirst) {
  WriteTwoEmployees("2");
  Employee("7", {{"BusinessTelephoneNumber", "01"},
                 {"PagerNumber", "05"},
                 {"MobileTelephoneNumber", "02"},
                 {"AssistantTelephoneNumber", "04"},
                 {"HomeTelephoneNumber", "03"}});
  // Business: the default label; home: no label anywhere, its code; mobile:
  // the employee's; the assistant never takes its directory label; pager:
  // no label, its code, in the plain order.
  EXPECT_EQ(Entries(contact_.PhoneNumbers()),
            (Strings{"Office: \t01", Entry("#21008#", "03"), "Cell: \t02", Entry("#21000#", "04"),
                     Entry("#21014#", "05")}));
}

TEST_F(ContactListsTest, AMissingDirectoryLabelDefersTheNumberToThePlainOrder) {
  WriteTwoEmployees("2");
  Employee("8", {{"OtherTelephoneNumber", "06"},
                 {"MobileTelephoneNumber", "02"},
                 {"CarTelephoneNumber", "07"}});
  // Mobile takes the default label; other has none and follows the car.
  EXPECT_EQ(Entries(contact_.PhoneNumbers()),
            (Strings{"Default cell: \t02", Entry("#21005#", "07"), Entry("#21012#", "06")}));
}

TEST_F(ContactListsTest, OtherCategoriesGetThePlainOrderAndCodeLabels) {
  WriteTwoEmployees("1");
  Employee(
      "7",
      {{"PagerNumber", "05"}, {"MobileTelephoneNumber", "02"}, {"BusinessTelephoneNumber", "01"}});
  EXPECT_EQ(Entries(contact_.PhoneNumbers()),
            (Strings{Entry("#21002#", "01"), Entry("#21011#", "02"), Entry("#21014#", "05")}));
}

TEST_F(ContactListsTest, AFailureMidwayKeepsThePartialListForLaterRequests) {
  // A Default table without the second business label: the lookup of that
  // label fails after the first entry.
  WriteDirectorySql(
      "CREATE TABLE Employees (EmployeeId INTEGER PRIMARY KEY, Categories TEXT, "
      "BusinessPhoneLabel TEXT, BusinessPhone2Label TEXT);"
      "CREATE TABLE \"Default\" (BusinessPhoneLabel TEXT);"
      "INSERT INTO Employees VALUES (9, '2', 'Desk', '');"
      "INSERT INTO \"Default\" VALUES ('Office');");
  Employee("9", {{"BusinessTelephoneNumber", "01"}, {"Business2TelephoneNumber", "02"}});
  EXPECT_FALSE(contact_.PhoneNumbers());
  EXPECT_EQ(LogTexts().back().rfind("Error (Get PhoneNumbers): ", 0), 0u) << LogTexts().back();
  EXPECT_EQ(Entries(contact_.PhoneNumbers()), Strings{"Desk: \t01"});
}

TEST_F(ContactListsTest, LabelMembersReadTheEmployeeThenTheDefaultRecord) {
  WriteTwoEmployees("2");
  cContact& employee = Employee("7", {{"FirstName", "Ann"}});
  EXPECT_EQ(employee.MobilePhoneLabel().value(), "Cell");
  EXPECT_EQ(employee.BusinessPhoneLabel().value(), "Office");  // own label empty
  EXPECT_EQ(employee.OtherPhoneLabel().value(), "");           // empty in both
  EXPECT_EQ(employee.AssistantPhoneLabel().value(), "Assist");
  EXPECT_FALSE(employee.BusinessPhone2Label().ok());  // null in the record
  EXPECT_FALSE(employee.HomePhoneLabel().ok());       // empty, then null in Default
  EXPECT_EQ(employee.AssistantId().value(), 3);

  cContact other;
  other.SetValues(NewItem({{"EmployeeId", "8"}}).get());
  EXPECT_EQ(other.MobilePhoneLabel().value(), "Default cell");
  EXPECT_FALSE(other.AssistantId().ok());  // a null AssistantID

  cContact outside;
  outside.SetValues(NewItem({{"EmployeeId", "99"}}).get());
  EXPECT_FALSE(outside.EmployeeFound());
  EXPECT_EQ(outside.MobilePhoneLabel().value(), "");
  EXPECT_EQ(outside.AssistantId().value(), -1);
  EXPECT_EQ(outside.employeeId().value(), 99);
}

}  // namespace
}  // namespace olconn97
