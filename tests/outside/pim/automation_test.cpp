// The store's objects as a host meets them: through IDispatch, by the PIM's
// member names.
#include <gtest/gtest.h>

#include "outside/pim/item_classes.h"
#include "outside/pim/objects.h"
#include "test_support.h"

namespace olconn97::pim {
namespace {

using com::Variant;

// Calls `name` by name with the given flags; DISPPARAMS in reverse order.
HRESULT Call(IDispatch* object, const char* name, WORD flags, std::vector<Variant> args,
             Variant* result, std::string* error = nullptr) {
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  DISPID id = DISPID_UNKNOWN;
  HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, 0, &id);
  if (FAILED(hr)) return hr;
  std::vector<VARIANT> reversed;
  for (auto it = args.rbegin(); it != args.rend(); ++it) reversed.push_back(it->raw());
  DISPID put = DISPID_PROPERTYPUT;
  bool is_put = (flags & DISPATCH_PROPERTYPUT) != 0;
  DISPPARAMS params{reversed.data(), is_put ? &put : nullptr, static_cast<UINT>(reversed.size()),
                    is_put ? 1u : 0u};
  EXCEPINFO exception{};
  hr = object->Invoke(id, IID_NULL, 0, flags, &params, result->raw_mut(), &exception, nullptr);
  if (error != nullptr) *error = std::string(com::BstrView(exception.bstrDescription));
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrSource);
  return hr;
}

Variant Get(IDispatch* object, const char* name, std::vector<Variant> args = {}) {
  Variant result;
  EXPECT_EQ(Call(object, name, DISPATCH_PROPERTYGET | DISPATCH_METHOD, std::move(args), &result),
            S_OK)
      << name;
  return result;
}

class AutomationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ApplicationOptions options;
    options.store_folder = temp_.Child("store");
    options.create_store = true;
    options.display = [](const DisplayEvent&) {};
    app_ = Application::Create(std::move(options)).value();
  }

  testing::TempDir temp_;
  com::ComPtr<Application> app_;
};

TEST_F(AutomationTest, AHostWalksFromTheApplicationToAContactByName) {
  Variant ns = Get(app_.get(), "GetNamespace", {Variant::String("MAPI")});
  IDispatch* name_space = ns.raw().pdispVal;
  Variant contacts = Get(name_space, "GetDefaultFolder", {Variant::I4(kFolderContacts)});
  IDispatch* folder = contacts.raw().pdispVal;
  EXPECT_EQ(Get(folder, "Name").ToString().value(), "Contacts");
  EXPECT_EQ(Get(folder, "DefaultItemType").raw().lVal, 2);

  Variant items = Get(folder, "Items");
  Variant added = Get(items.raw().pdispVal, "Add", {Variant::I4(kContactItem)});
  IDispatch* contact = added.raw().pdispVal;
  Variant ignored;
  ASSERT_EQ(
      Call(contact, "FullName", DISPATCH_PROPERTYPUT, {Variant::String("Ann Smith")}, &ignored),
      S_OK);
  ASSERT_EQ(Call(contact, "mobiletelephonenumber", DISPATCH_PROPERTYPUT, {Variant::String("06 11")},
                 &ignored),
            S_OK);
  Variant property = Get(Get(contact, "UserProperties").raw().pdispVal, "Add",
                         {Variant::String("EmployeeId"), Variant::I4(3)});
  ASSERT_EQ(
      Call(property.raw().pdispVal, "Value", DISPATCH_PROPERTYPUT, {Variant::I4(42)}, &ignored),
      S_OK);
  Get(contact, "Save");
  std::string id = Get(contact, "EntryID").ToString().value();

  Variant found = Get(name_space, "GetItemFromID", {Variant::String(id)});
  IDispatch* again = found.raw().pdispVal;
  EXPECT_EQ(Get(again, "LastNameAndFirstName").ToString().value(), "Smith, Ann");
  EXPECT_EQ(Get(again, "MobileTelephoneNumber").ToString().value(), "06 11");
  EXPECT_EQ(Get(again, "Class").raw().lVal, 40);
  EXPECT_EQ(Get(Get(again, "Parent").raw().pdispVal, "Name").ToString().value(), "Contacts");
  Variant employee =
      Get(Get(again, "UserProperties").raw().pdispVal, "Item", {Variant::String("employeeid")});
  EXPECT_EQ(Get(employee.raw().pdispVal, "Value").ToString().value(), "42");
  EXPECT_EQ(Get(Get(folder, "Items").raw().pdispVal, "Count").raw().lVal, 1);
}

TEST_F(AutomationTest, TheTopFoldersParentHasNoNameAndAListRefusesContactProperties) {
  Variant ns = Get(app_.get(), "GetNamespace", {Variant::String("MAPI")});
  Variant inbox = Get(ns.raw().pdispVal, "GetDefaultFolder", {Variant::I4(kFolderInbox)});
  Variant top = Get(inbox.raw().pdispVal, "Parent");
  EXPECT_EQ(Get(top.raw().pdispVal, "Name").ToString().value(), "Personal Folders");
  Variant above = Get(top.raw().pdispVal, "Parent");
  Variant name;
  EXPECT_EQ(Call(above.raw().pdispVal, "Name", DISPATCH_PROPERTYGET, {}, &name),
            DISP_E_UNKNOWNNAME);

  testing::WriteFile(temp_.Child("store") + "/Contacts/team.vcf",
                     "BEGIN:VCARD\r\nVERSION:3.0\r\nX-ADDRESSBOOKSERVER-KIND:group\r\nFN:Team\r\n"
                     "END:VCARD\r\n");
  Variant contacts = Get(ns.raw().pdispVal, "GetDefaultFolder", {Variant::I4(kFolderContacts)});
  Variant items = Get(contacts.raw().pdispVal, "Items");
  Variant list = Get(items.raw().pdispVal, "Item", {Variant::I4(1)});
  EXPECT_EQ(Get(list.raw().pdispVal, "Class").raw().lVal, 69);
  EXPECT_EQ(Get(list.raw().pdispVal, "DLName").ToString().value(), "Team");
  Variant refused;
  std::string error;
  EXPECT_EQ(
      Call(list.raw().pdispVal, "LastNameAndFirstName", DISPATCH_PROPERTYGET, {}, &refused, &error),
      DISP_E_EXCEPTION);
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace olconn97::pim
