// The host's ways to a contact: by entry ID, the one open in a window, and
// the contact's members reached by name as a late-binding host does.
#include <gtest/gtest.h>

#include "contact/contact_test_support.h"
#include "core/settings.h"
#include "driver/data_connector.h"
#include "outside/pim/item_classes.h"
#include "outside/pim/windows.h"

namespace olconn97 {
namespace {

using Strings = std::vector<std::string>;

class GetContactTest : public testing::ContactTestBase {
 protected:
  GetContactTest() {
    EXPECT_TRUE(
        RegWriteString(Hive::kCurrentUser, kOutlook98Key, "PimStore", temp_.Child("store")));
  }
  // The log lines written since `from`.
  Strings LogSince(size_t from) {
    Strings texts = LogTexts();
    return Strings(texts.begin() + static_cast<std::ptrdiff_t>(from), texts.end());
  }
};

TEST_F(GetContactTest, AnUnknownIdGivesAPlaceholderAndSaysSo) {
  cDataConnector driver;
  size_t from = LogTexts().size();
  auto contact = driver.Dataconnector_GetContactByContactID("no-such-id");
  ASSERT_TRUE(contact.ok());
  ASSERT_TRUE(contact.value());
  EXPECT_TRUE(ContactOf(contact.value().get())->NotInPIM());
  EXPECT_EQ(LogSince(from), (Strings{"GetContactByContactID: no-such-id...", "Bad EntryID",
                                     "End GetContactByContactID..."}));

  // With the store closed every ID is unknown, and still a contact comes back.
  auto item = NewItem({{"FirstName", "Ann"}});
  ASSERT_TRUE(driver.Dataconnector_ClosePIM().ok());
  auto closed = driver.Dataconnector_GetContactByContactID(item->EntryID());
  ASSERT_TRUE(closed.ok() && closed.value());
  EXPECT_TRUE(ContactOf(closed.value().get())->NotInPIM());
}

TEST_F(GetContactTest, AKnownIdGivesTheFilledContact) {
  auto item =
      NewItem({{"FirstName", "Ann"}, {"LastName", "Smith"}, {"MobileTelephoneNumber", "02"}});
  cDataConnector driver;
  size_t from = LogTexts().size();
  auto contact = driver.Dataconnector_GetContactByContactID(item->EntryID());
  ASSERT_TRUE(contact.ok() && contact.value());
  cContact& filled = *ContactOf(contact.value().get());
  EXPECT_FALSE(filled.NotInPIM());
  EXPECT_EQ(filled.ContactId(), item->EntryID());
  EXPECT_EQ(filled.MainPhoneNumber(), "02");
  EXPECT_EQ(LogSince(from), (Strings{"GetContactByContactID: " + item->EntryID() + "...",
                                     "Contact: Smith, Ann", "End GetContactByContactID..."}));
}

TEST_F(GetContactTest, TheActiveContactIsTheOneInTheActiveWindow) {
  auto item = NewItem({{"FirstName", "Ann"}});
  cDataConnector driver;
  ASSERT_TRUE(driver.DataConnector_PIMInstalled());
  EXPECT_FALSE(driver.DataConnector_GetActiveContact().value());  // no window open

  auto opened = Shared().gNameSpace->GetItemFromID(item->EntryID()).value();
  ASSERT_TRUE(opened->GetInspector()->Display().ok());
  auto active = driver.DataConnector_GetActiveContact();
  ASSERT_TRUE(active.ok() && active.value());
  EXPECT_EQ(ContactOf(active.value().get())->ContactId(), item->EntryID());

  // A mail in front: no contact, and the failure line.
  auto mail = Shared().gOutlookApp->CreateItem(pim::kMailItem).value();
  ASSERT_TRUE(mail->GetInspector()->Display().ok());
  EXPECT_FALSE(driver.DataConnector_GetActiveContact().value());
  EXPECT_EQ(LogTexts().back().rfind("Error (GetActiveContact): ", 0), 0u) << LogTexts().back();

  Shared().gDriverReady = false;
  ASSERT_TRUE(opened->GetInspector()->Display().ok());
  EXPECT_FALSE(driver.DataConnector_GetActiveContact().value());
}

// A call by name, as a late-binding host makes it.
HRESULT CallByName(IDispatch* object, const char* name, WORD flags, std::vector<VARIANT> args,
                   com::Variant* result, std::string* description = nullptr) {
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  DISPID id = DISPID_UNKNOWN;
  HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) return hr;
  std::reverse(args.begin(), args.end());  // automation passes the last argument first
  DISPID put = DISPID_PROPERTYPUT;
  DISPPARAMS params{args.data(), flags == DISPATCH_PROPERTYPUT ? &put : nullptr,
                    static_cast<UINT>(args.size()), flags == DISPATCH_PROPERTYPUT ? 1u : 0u};
  EXCEPINFO exception{};
  VARIANT out;
  VariantInit(&out);
  hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &out, &exception, nullptr);
  *result = com::Variant::Adopt(&out);
  if (description != nullptr && exception.bstrDescription != nullptr) {
    *description = std::string(com::BstrView(exception.bstrDescription));
  }
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrHelpFile);
  return hr;
}

constexpr WORD kRead = DISPATCH_PROPERTYGET | DISPATCH_METHOD;

TEST_F(GetContactTest, AHostReachesTheContactByName) {
  auto item = NewItem({{"FirstName", "Ann"}, {"LastName", "Smith"}, {"HomeTelephoneNumber", "03"}});
  com::ComPtr<Contact> contact = Filled(item.get());
  com::Variant value;
  ASSERT_EQ(CallByName(contact.get(), "Contact_FullName", kRead, {}, &value), S_OK);
  EXPECT_EQ(value.ToString().value(), "Smith, Ann");

  com::Bstr renamed("Ann S.");
  VARIANT name;
  VariantInit(&name);
  name.vt = VT_BSTR;
  name.bstrVal = renamed.get();
  ASSERT_EQ(CallByName(contact.get(), "FullName", DISPATCH_PROPERTYPUT, {name}, &value), S_OK);
  ASSERT_EQ(CallByName(contact.get(), "fullname", kRead, {}, &value), S_OK);
  EXPECT_EQ(value.ToString().value(), "Ann S.");

  // The phone list, walked by name.
  ASSERT_EQ(CallByName(contact.get(), "PhoneNumbers", kRead, {}, &value), S_OK);
  com::ComPtr<IDispatch> phones = value.ToDispatch().value();
  ASSERT_TRUE(phones);
  ASSERT_EQ(CallByName(phones.get(), "Count", kRead, {}, &value), S_OK);
  EXPECT_EQ(value.ToInt32().value(), 1);
  VARIANT first;
  VariantInit(&first);
  first.vt = VT_I2;
  first.iVal = 1;
  ASSERT_EQ(CallByName(phones.get(), "Item", kRead, {first}, &value), S_OK);
  EXPECT_EQ(value.ToString().value(), Entry("#21008#", "03"));

  // A member whose failure reaches the host: employeeId of a placeholder.
  com::ComPtr<Contact> placeholder = NewContact();
  ContactOf(placeholder.get())->SetOneValue(0, "0123");
  std::string description;
  EXPECT_EQ(CallByName(placeholder.get(), "employeeId", kRead, {}, &value, &description),
            DISP_E_EXCEPTION);
  EXPECT_EQ(description, "the contact has no contact item (not in PIM)");
  ASSERT_EQ(CallByName(placeholder.get(), "NotInPIM", kRead, {}, &value), S_OK);
  EXPECT_EQ(value.vt(), VT_BOOL);
  EXPECT_EQ(value.raw().boolVal, VARIANT_TRUE);
}

}  // namespace
}  // namespace olconn97
