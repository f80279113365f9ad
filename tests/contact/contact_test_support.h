// A driver process with a contact store, the developer log on, and an
// employee directory the test writes.
#ifndef OLCONN97_TESTS_CONTACT_CONTACT_TEST_SUPPORT_H_
#define OLCONN97_TESTS_CONTACT_CONTACT_TEST_SUPPORT_H_

#include <map>
#include <string>
#include <vector>

#include "contact/contact.h"
#include "outside/pim/objects.h"
#include "test_support.h"

namespace olconn97::testing {

using Properties = std::map<std::string, std::string>;

// The directory's tables, as the suite's stx.mdb has them. Each row is a
// list of SQL values in the order of kEmployeeColumns / kLabelColumns.
inline constexpr char kEmployeeColumns[] =
    "EmployeeId, Categories, AssistantID, BusinessPhoneLabel, BusinessPhone2Label, "
    "MobilePhoneLabel, HomePhoneLabel, PagerPhoneLabel, OtherPhoneLabel, AssistantPhoneLabel";
inline constexpr char kLabelColumns[] =
    "BusinessPhoneLabel, BusinessPhone2Label, MobilePhoneLabel, HomePhoneLabel, "
    "PagerPhoneLabel, OtherPhoneLabel, AssistantPhoneLabel";

class ContactTestBase : public DriverTest {
 protected:
  ContactTestBase();

  // A saved contact of the default contacts folder; "EmployeeId" among the
  // properties becomes a number user property.
  com::ComPtr<pim::ContactItem> NewItem(const Properties& properties);
  // The item stored from a card's text.
  com::ComPtr<pim::Item> ItemFromCard(const std::string& name, const std::string& vcard);
  // A contact filled from the item.
  com::ComPtr<Contact> Filled(pim::Item* item);

  // Writes the directory at the driver's stx.mdb: `employees` rows are the
  // SQL value lists of kEmployeeColumns; `default_labels` that of
  // kLabelColumns (empty: a Default table without rows).
  void WriteDirectory(const std::vector<std::string>& employees, const std::string& default_labels);
  // The same with the schema given whole (for broken directories).
  void WriteDirectorySql(const std::string& sql);

  static std::vector<std::string> Entries(const com::ComPtr<com::StringCollection>& list);
  static std::string Entry(const char* code, const std::string& value);
  std::vector<std::string> LogLines() const;
  // The log lines after the time stamp.
  std::vector<std::string> LogTexts() const;

  com::ComPtr<pim::Application> app_;
  com::ComPtr<pim::MAPIFolder> contacts_;
  std::vector<std::string> shown_;  // paths of the items displayed
};

}  // namespace olconn97::testing

#endif  // OLCONN97_TESTS_CONTACT_CONTACT_TEST_SUPPORT_H_
