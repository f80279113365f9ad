// The suite's host, played by a test: the built library is loaded with
// dlopen and used only through its exported entry points and interfaces.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "olconn97/olconn97.h"
#include "outside/jet/dao.h"
#include "test_support.h"

namespace {

struct Library {
  void* handle = nullptr;
  decltype(&DllGetClassObject) get_class_object = nullptr;
  decltype(&DllCanUnloadNow) can_unload_now = nullptr;
  decltype(&SysAllocString) alloc_string = nullptr;
  decltype(&SysFreeString) free_string = nullptr;
  decltype(&SysStringLen) string_length = nullptr;
  decltype(&VariantClear) variant_clear = nullptr;
};

// Loaded once per process, as a host does; its settings and data live in a
// temporary folder.
const Library& Loaded() {
  static const Library library = [] {
    static olconn97::testing::TempDir home;
    setenv("OLCONN97_REGISTRY_DIR", home.path().c_str(), 1);
    setenv("XDG_DATA_HOME", home.Child("data").c_str(), 1);
    Library lib;
    lib.handle = dlopen(OLCONN97_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    if (lib.handle == nullptr) return lib;
    lib.get_class_object =
        reinterpret_cast<decltype(&DllGetClassObject)>(dlsym(lib.handle, "DllGetClassObject"));
    lib.can_unload_now =
        reinterpret_cast<decltype(&DllCanUnloadNow)>(dlsym(lib.handle, "DllCanUnloadNow"));
    lib.alloc_string =
        reinterpret_cast<decltype(&SysAllocString)>(dlsym(lib.handle, "SysAllocString"));
    lib.free_string =
        reinterpret_cast<decltype(&SysFreeString)>(dlsym(lib.handle, "SysFreeString"));
    lib.string_length =
        reinterpret_cast<decltype(&SysStringLen)>(dlsym(lib.handle, "SysStringLen"));
    lib.variant_clear =
        reinterpret_cast<decltype(&VariantClear)>(dlsym(lib.handle, "VariantClear"));
    return lib;
  }();
  return library;
}

class HostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(Loaded().handle, nullptr) << dlerror();
    ASSERT_NE(Loaded().get_class_object, nullptr);
  }

  IDispatch* CreateDriver() {
    IClassFactory* factory = nullptr;
    EXPECT_EQ(Loaded().get_class_object(CLSID_cDataConnector, IID_IClassFactory,
                                        reinterpret_cast<void**>(&factory)),
              S_OK);
    IDispatch* driver = nullptr;
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&driver)),
              S_OK);
    factory->Release();
    return driver;
  }

  std::string Text(BSTR text) {
    return text == nullptr ? "" : std::string(text, Loaded().string_length(text));
  }

  // One call by name, as a VB-style host makes it; arguments in natural
  // order, each freed after the call.
  struct Answer {
    HRESULT hr = E_FAIL;
    VARIANT result{};  // the caller clears it
    std::string description;
    std::string source;
  };
  Answer CallByName(IDispatch* object, const char* member, WORD flags,
                    std::vector<VARIANT> arguments = {}) {
    char name[128];
    std::snprintf(name, sizeof name, "%s", member);
    LPOLESTR names[] = {name};
    DISPID id = DISPID_UNKNOWN;
    EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK) << member;
    std::vector<VARIANT> reversed(arguments.rbegin(), arguments.rend());
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    Answer answer;
    EXCEPINFO exception{};
    answer.hr =
        object->Invoke(id, IID_NULL, 0, flags, &params, &answer.result, &exception, nullptr);
    answer.description = Text(exception.bstrDescription);
    answer.source = Text(exception.bstrSource);
    Loaded().free_string(exception.bstrDescription);
    Loaded().free_string(exception.bstrSource);
    for (VARIANT& argument : arguments) Loaded().variant_clear(&argument);
    return answer;
  }
  VARIANT String(const char* text) {
    VARIANT value{};
    value.vt = VT_BSTR;
    value.bstrVal = Loaded().alloc_string(text);
    return value;
  }
  VARIANT Long(LONG number) {
    VARIANT value{};
    value.vt = VT_I4;
    value.lVal = number;
    return value;
  }
};

TEST_F(HostTest, CallsAMemberByNameAsTheHostDoes) {
  IDispatch* driver = CreateDriver();
  ASSERT_NE(driver, nullptr);

  char name[] = "dataconnector_pimname";  // any letter case
  LPOLESTR names[] = {name};
  DISPID id = DISPID_UNKNOWN;
  ASSERT_EQ(driver->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK);
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  VARIANT result;
  result.vt = VT_EMPTY;
  ASSERT_EQ(
      driver->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET | DISPATCH_METHOD,
                     &none, &result, nullptr, nullptr),
      S_OK);
  EXPECT_EQ(result.vt, VT_I4);
  EXPECT_EQ(result.lVal, 4096);  // started on the user's (new, empty) store

  // The same object through its host interface.
  DataConnector* typed = nullptr;
  ASSERT_EQ(driver->QueryInterface(IID_DataConnector, reinterpret_cast<void**>(&typed)), S_OK);
  VARIANT_BOOL installed = VARIANT_FALSE;
  ASSERT_EQ(typed->get_DataConnector_PIMInstalled(&installed), S_OK);
  EXPECT_EQ(installed, VARIANT_TRUE);
  BSTR version = nullptr;
  ASSERT_EQ(typed->get_DataConnector_Version(&version), S_OK);
  EXPECT_EQ(Text(version), "1.0");
  Loaded().free_string(version);
  typed->Release();
  driver->Release();
}

TEST_F(HostTest, TheEmployeeDirectoryIsExportedThroughTheHostInterface) {
  olconn97::testing::TempDir folder;
  const std::string directory = folder.Child("stx.mdb");
  ASSERT_TRUE(olconn97::jet::DBEngine()
                  .CreateDatabase(directory,
                                  "CREATE TABLE Employees (EmployeeId INTEGER, FirstName TEXT,"
                                  " LastName TEXT, BusinessPhone TEXT);"
                                  "CREATE TABLE BLFPagesContents (EmployeeId INTEGER,"
                                  " BLFpageId INTEGER, BindToEmployee INTEGER);"
                                  "INSERT INTO Employees VALUES (5, 'Ida', 'Berg', '0200');"
                                  "INSERT INTO BLFPagesContents VALUES (5, 2, 0);")
                  .ok());
  IDispatch* driver = CreateDriver();
  VARIANT keep{};
  keep.vt = VT_BOOL;
  keep.boolVal = VARIANT_FALSE;
  Answer made = CallByName(driver, "Dataconnector_InitializeExportFolder", DISPATCH_METHOD,
                           {String(directory.c_str()), String("Colleagues"), keep});
  ASSERT_EQ(made.hr, S_OK) << made.description;
  EXPECT_EQ(made.result.vt, VT_I2);
  EXPECT_EQ(made.result.iVal, 0);
  Answer synced = CallByName(driver, "Dataconnector_SynchronizeExportFolder", DISPATCH_METHOD,
                             {String(directory.c_str()), String("Colleagues")});
  EXPECT_EQ(synced.hr, S_OK) << synced.description;
  int cards = 0;
  const std::string store = std::string(std::getenv("XDG_DATA_HOME")) + "/olconn97/pim/Colleagues";
  for (const auto& entry : std::filesystem::directory_iterator(store)) {
    cards += entry.path().extension() == ".vcf";
  }
  EXPECT_EQ(cards, 1);
  driver->Release();
}

TEST_F(HostTest, EveryFailureThatReachesTheHostSaysWhatAndWhere) {
  IDispatch* driver = CreateDriver();
  const WORD kRead = DISPATCH_PROPERTYGET | DISPATCH_METHOD;
  Answer item = CallByName(driver, "Dataconnector_GetContactItemByContactItemID", DISPATCH_METHOD,
                           {String("no-such-entry")});
  EXPECT_EQ(item.hr, DISP_E_EXCEPTION);
  EXPECT_FALSE(item.description.empty());
  EXPECT_EQ(item.source, "cDataConnector");

  // An unknown caller: the cursor answers with a placeholder contact.
  Answer cursor = CallByName(driver, "Dataconnector_OpenContactRecord", kRead);
  ASSERT_EQ(cursor.hr, S_OK);
  ASSERT_EQ(cursor.result.vt, VT_DISPATCH);
  Answer contact = CallByName(cursor.result.pdispVal, "ContactRecord_FindFirst", DISPATCH_METHOD,
                              {Long(0), String("0123")});
  ASSERT_EQ(contact.hr, S_OK);
  ASSERT_EQ(contact.result.vt, VT_DISPATCH);
  Answer employee = CallByName(contact.result.pdispVal, "employeeId", kRead);
  EXPECT_EQ(employee.hr, DISP_E_EXCEPTION);
  EXPECT_EQ(employee.description, "the contact has no contact item (not in PIM)");
  EXPECT_EQ(employee.source, "cContact");

  // A caller the host adds: its phone list answers by name only.
  VARIANT no{};
  no.vt = VT_BOOL;
  no.boolVal = VARIANT_FALSE;
  ASSERT_EQ(CallByName(driver, "Dataconnector_CreateContact", DISPATCH_METHOD,
                       {String("Ann Smith"), String("0123456"), no})
                .hr,
            S_OK);
  Answer known = CallByName(cursor.result.pdispVal, "ContactRecord_FindFirst", DISPATCH_METHOD,
                            {Long(0), String("0123456")});
  ASSERT_EQ(known.result.vt, VT_DISPATCH);
  Answer phones = CallByName(known.result.pdispVal, "PhoneNumbers", kRead);
  ASSERT_EQ(phones.result.vt, VT_DISPATCH);
  ASSERT_NE(phones.result.pdispVal, nullptr);
  Answer entry = CallByName(phones.result.pdispVal, "Item", kRead, {Long(7)});
  EXPECT_EQ(entry.hr, DISP_E_EXCEPTION);
  EXPECT_FALSE(entry.description.empty());
  EXPECT_EQ(entry.source, "Collection");

  for (Answer* answer : {&phones, &known, &contact, &cursor})
    Loaded().variant_clear(&answer->result);
  driver->Release();
}

TEST_F(HostTest, OnlyTheDriverClassIsCreatableAndNeverAggregated) {
  void* object = reinterpret_cast<void*>(1);
  EXPECT_EQ(Loaded().get_class_object(CLSID_cContact, IID_IClassFactory, &object),
            CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(object, nullptr);
  IClassFactory* factory = nullptr;
  ASSERT_EQ(Loaded().get_class_object(CLSID_cDataConnector, IID_IClassFactory,
                                      reinterpret_cast<void**>(&factory)),
            S_OK);
  IUnknown* outer = factory;  // any object will do as a would-be outer object
  EXPECT_EQ(factory->CreateInstance(outer, IID_IUnknown, &object), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_Contact, &object), E_NOINTERFACE);
  factory->Release();
}

TEST_F(HostTest, TheLibraryCanUnloadOnlyWhenNothingIsAlive) {
  ASSERT_EQ(Loaded().can_unload_now(), S_OK);
  IDispatch* driver = CreateDriver();
  EXPECT_EQ(Loaded().can_unload_now(), S_FALSE);
  driver->Release();
  EXPECT_EQ(Loaded().can_unload_now(), S_OK);
}

}  // namespace
