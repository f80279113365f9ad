// Filling a contact from a store item or as a placeholder, and the members
// that read what it holds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "contact/contact_test_support.h"
#include "contact/phone_kinds.h"
#include "core/selected_folders.h"
#include "outside/com/automation_object.h"
#include "outside/pim/item_classes.h"
#include "outside/pim/windows.h"

namespace olconn97 {
namespace {

using testing::Properties;

class ContactFillTest : public testing::ContactTestBase {};

TEST_F(ContactFillTest, TheMainNumberIsTheFirstPresentKindInItsOrder) {
  // For each kind, an item holding it and every later kind: the kind wins.
  for (size_t first = 0; first < kPhoneOrder.size(); ++first) {
    Properties properties;
    for (size_t i = first; i < kPhoneOrder.size(); ++i) {
      properties[std::string(kPhoneOrder[i].property)] = "0" + std::to_string(100 + i);
    }
    cContact contact;
    contact.SetValues(NewItem(properties).get());
    EXPECT_EQ(contact.MainPhoneNumber(), "0" + std::to_string(100 + first))
        << kPhoneOrder[first].property;
  }
  cContact second_business;
  second_business.SetValues(
      NewItem({{"Business2TelephoneNumber", "0123"}, {"HomeTelephoneNumber", "0999"}}).get());
  EXPECT_EQ(second_business.MainPhoneNumber(), "0123");

  // Without any number the value set before stays.
  cContact none;
  none.MainPhoneNumber("555");
  none.SetValues(NewItem({{"FirstName", "Ann"}}).get());
  EXPECT_EQ(none.MainPhoneNumber(), "555");
}

TEST_F(ContactFillTest, TheMainEmailIsTheFirstPresentAddress) {
  cContact none;
  none.SetValues(NewItem({{"FirstName", "Ann"}}).get());
  EXPECT_EQ(none.MainEmail(), "");
  cContact third;
  third.SetValues(NewItem({{"Email3Address", "c@example.org"}}).get());
  EXPECT_EQ(third.MainEmail(), "c@example.org");
  cContact second;
  second.SetValues(
      NewItem({{"Email2Address", "b@example.org"}, {"Email3Address", "c@example.org"}}).get());
  EXPECT_EQ(second.MainEmail(), "b@example.org");
}

TEST_F(ContactFillTest, NamesAndIdentityComeFromTheItemAndNumbersAreReadLive) {
  auto item = NewItem({{"FirstName", "Ann"}, {"LastName", "Smith"}, {"PagerNumber", "02"}});
  cContact contact;
  contact.SetValues(item.get());
  EXPECT_EQ(contact.FullName(), "Smith, Ann");
  EXPECT_FALSE(contact.NotInPIM());
  EXPECT_EQ(contact.ContactId(), item->EntryID());
  EXPECT_EQ(contact.employeeId().value(), -1);
  EXPECT_EQ(contact.PagerPhone().value(), "02");
  ASSERT_TRUE(item->Set("MobileTelephoneNumber", "03").ok());
  EXPECT_EQ(contact.MobilePhone().value(), "03");

  // A card with a display name and no name parts: its full name.
  auto company =
      ItemFromCard("acme.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Acme Ltd\r\nEND:VCARD\r\n");
  cContact named;
  named.SetValues(company.get());
  EXPECT_EQ(named.FullName(), "Acme Ltd");
}

TEST_F(ContactFillTest, PlaceholdersCarryOnlyWhatTheSearchKnew) {
  cContact by_name;
  by_name.FullName("kept");
  by_name.SetOneValue(1, "Smith");
  EXPECT_EQ(by_name.FirstName(), "Smith");
  EXPECT_EQ(by_name.MainPhoneNumber(), "");
  EXPECT_TRUE(by_name.NotInPIM());
  EXPECT_EQ(by_name.FullName(), "kept");

  cContact by_number;
  by_number.SetValues(NewItem({{"FirstName", "Ann"}, {"LastName", "Smith"}}).get());
  by_number.SetOneValue(0, "0123");
  EXPECT_EQ(by_number.FirstName(), "");
  EXPECT_EQ(by_number.LastName(), "");
  EXPECT_EQ(by_number.MainPhoneNumber(), "0123");
  EXPECT_EQ(by_number.ContactId(), "");
  EXPECT_FALSE(by_number.ContactItem());
  EXPECT_EQ(by_number.BusinessPhone().value(), "");
  EXPECT_FALSE(by_number.employeeId().ok());  // nothing to read it from

  cContact nothing;
  nothing.SetValues(nullptr);
  EXPECT_TRUE(nothing.NotInPIM());
}

TEST_F(ContactFillTest, AnItemThatIsNoContactEndsTheFillingWithALoggedFailure) {
  auto group = ItemFromCard("team.vcf",
                            "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Team\r\n"
                            "X-ADDRESSBOOKSERVER-KIND:group\r\nEND:VCARD\r\n");
  ASSERT_EQ(group->AsContact(), nullptr);
  cContact contact;
  contact.SetValues(group.get());
  EXPECT_EQ(contact.FullName(), "");
  EXPECT_EQ(contact.ContactId(), "");
  EXPECT_FALSE(contact.ContactItem());
  EXPECT_EQ(LogTexts().back().rfind("Error (SetValues): the item is not a contact", 0), 0u)
      << LogTexts().back();
}

TEST_F(ContactFillTest, ThePersonalDataIsCopiedInAndOut) {
  cContact contact;
  com::Bstr data("PHONENUMBER=0123;TYPE=incoming");
  VARIANT by_ref;
  VariantInit(&by_ref);
  by_ref.vt = VT_BYREF | VT_BSTR;
  BSTR raw = data.get();
  by_ref.pbstrVal = &raw;
  contact.PersonalData(by_ref);
  data = com::Bstr("changed afterwards");
  raw = data.get();
  com::Variant read = contact.PersonalData();
  EXPECT_EQ(read.vt(), VT_BSTR);
  EXPECT_EQ(read.ToString().value(), "PHONENUMBER=0123;TYPE=incoming");
  EXPECT_TRUE(contact.ExecuteCommand("anything", read.raw()).IsEmpty());
}

TEST_F(ContactFillTest, CategoryComesFromTheNumberTheTextBeginsWith) {
  WriteDirectory(
      {"1, NULL, NULL, '', '', '', '', '', '', ''", "2, '', NULL, '', '', '', '', '', '', ''",
       "3, '2', NULL, '', '', '', '', '', '', ''", "4, '2,5', NULL, '', '', '', '', '', '', ''",
       "5, ' 2.5', NULL, '', '', '', '', '', '', ''",
       "6, '3.5 floor', NULL, '', '', '', '', '', '', ''",
       "7, 'staff', NULL, '', '', '', '', '', '', ''"},
      "'', '', '', '', '', '', ''");
  const std::pair<const char*, int32_t> cases[] = {{"1", 1}, {"2", 1}, {"3", 2}, {"4", 2},
                                                   {"5", 2}, {"6", 4}, {"7", 0}};
  for (const auto& [employee, category] : cases) {
    cContact contact;
    contact.SetValues(NewItem({{"EmployeeId", employee}}).get());
    ASSERT_TRUE(contact.EmployeeFound()) << employee;
    EXPECT_EQ(contact.CategorieId().value(), category) << "employee " << employee;
  }
}

// A contact implemented by the host itself, known only through Contact.
class HostContact {
 public:
  explicit HostContact(std::string id) : id_(std::move(id)) {}
  std::string ContactId() { return id_; }
#define OLC_HOST_TEXT_(name) \
  std::string name() { return {}; }
  OLC_HOST_TEXT_(Department)
  OLC_HOST_TEXT_(BusinessPhone)
  OLC_HOST_TEXT_(BusinessPhone2)
  OLC_HOST_TEXT_(MobilePhone)
  OLC_HOST_TEXT_(HomePhone)
  OLC_HOST_TEXT_(PagerPhone)
  OLC_HOST_TEXT_(OtherPhone)
  OLC_HOST_TEXT_(BusinessPhoneLabel)
  OLC_HOST_TEXT_(BusinessPhone2Label)
  OLC_HOST_TEXT_(MobilePhoneLabel)
  OLC_HOST_TEXT_(HomePhoneLabel)
  OLC_HOST_TEXT_(PagerPhoneLabel)
  OLC_HOST_TEXT_(OtherPhoneLabel)
  OLC_HOST_TEXT_(AssistantPhoneLabel)
  OLC_HOST_TEXT_(StoreId)
  OLC_HOST_TEXT_(LastName)
  OLC_HOST_TEXT_(FirstName)
  OLC_HOST_TEXT_(MainEmail)
  OLC_HOST_TEXT_(MainPhoneNumber)
  OLC_HOST_TEXT_(FullName)
#undef OLC_HOST_TEXT_
  int32_t CategorieId() { return -1; }
  int32_t AssistantId() { return -1; }
  int32_t employeeId() { return -1; }
  com::ComPtr<IDispatch> Emails() { return nullptr; }
  com::ComPtr<IDispatch> PhoneNumbers() { return nullptr; }
  void MainEmail(std::string_view) {}
  void MainPhoneNumber(std::string_view) {}
  void FullName(std::string_view) {}
  bool NotInPIM() { return false; }
  com::Variant PersonalData() { return {}; }
  void PersonalData(const VARIANT&) {}
  void Show() {}
  bool IsSelected() { return false; }
  bool IsEqual(Contact*) { return false; }
  com::Variant ExecuteCommand(std::string_view, const VARIANT&) { return {}; }

 private:
  std::string id_;
};

TEST_F(ContactFillTest, ContactsAreEqualExactlyWhenTheirIdsAre) {
  auto item = NewItem({{"FirstName", "Ann"}});
  com::ComPtr<Contact> one = Filled(item.get());
  com::ComPtr<Contact> same = Filled(item.get());
  com::ComPtr<Contact> other = Filled(NewItem({{"FirstName", "Bob"}}).get());
  EXPECT_TRUE(ContactOf(one.get())->IsEqual(same.get()).value());
  EXPECT_FALSE(ContactOf(one.get())->IsEqual(other.get()).value());

  cContact placeholder;
  placeholder.SetOneValue(0, "0123");
  com::ComPtr<Contact> other_placeholder = NewContact();
  ContactOf(other_placeholder.get())->SetOneValue(1, "Smith");
  EXPECT_TRUE(placeholder.IsEqual(other_placeholder.get()).value());
  EXPECT_FALSE(placeholder.IsEqual(one.get()).value());

  // The host's own contact, with the same ID in another letter case.
  std::string flipped = item->EntryID();
  auto letter = std::find_if(flipped.begin(), flipped.end(),
                             [](unsigned char c) { return std::isalpha(c) != 0; });
  ASSERT_NE(letter, flipped.end());
  *letter = static_cast<char>(std::islower(static_cast<unsigned char>(*letter))
                                  ? std::toupper(static_cast<unsigned char>(*letter))
                                  : std::tolower(static_cast<unsigned char>(*letter)));
  auto host_same = com::MakeAutomationObject<Contact, HostContact>(item->EntryID());
  auto host_flipped = com::MakeAutomationObject<Contact, HostContact>(flipped);
  EXPECT_TRUE(ContactOf(one.get())->IsEqual(host_same.get()).value());
  EXPECT_FALSE(ContactOf(one.get())->IsEqual(host_flipped.get()).value());
  EXPECT_EQ(ContactOf(host_same.get()), nullptr);  // not one of ours
  EXPECT_FALSE(placeholder.IsEqual(nullptr).ok());
}

TEST_F(ContactFillTest, ShowOpensTheItemAndIsSelectedFollowsTheFolderChoice) {
  auto item = NewItem({{"FirstName", "Ann"}});
  cContact contact;
  contact.SetValues(item.get());
  ASSERT_TRUE(contact.Show().ok());
  EXPECT_EQ(shown_, std::vector<std::string>{item->path()});
  ASSERT_TRUE(app_->ActiveInspector());
  EXPECT_EQ(app_->ActiveInspector()->CurrentItem()->EntryID(), item->EntryID());

  cContact placeholder;
  placeholder.SetNotInPIM(true);
  EXPECT_TRUE(placeholder.Show().ok());
  EXPECT_EQ(shown_.size(), 1u);

  GetContactFoldersSelected();  // no stored choice: every folder
  EXPECT_TRUE(contact.IsSelected());
  EXPECT_EQ(LogTexts().back(), "IsSelected: True");
  EXPECT_FALSE(placeholder.IsSelected());
  EXPECT_EQ(LogTexts().back(), "IsSelected: False");
  Shared().gAllFoldersSelected = false;
  Shared().gSelectedEntryIds[0] = "another folder";
  EXPECT_FALSE(contact.IsSelected());
}

}  // namespace
}  // namespace olconn97
