// Late binding and typed forwarding, derived from the member tables: a
// host calling by name must reach the same code, with the same conversions,
// as a host calling through the vtable.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "outside/com/automation_object.h"
#include "outside/com/string_collection.h"
#include "outside/com/variant.h"

namespace olconn97::com {
namespace {

// A small setting, implemented the way the driver's classes are.
class FakeProperty {
 public:
  Status Key(std::string_view key) {
    if (key == "bad") return Status::InvalidArgument("no such key", "FakeProperty");
    key_ = key;
    return Status::Ok();
  }
  std::string Key() { return key_; }
  std::string PropertyName() { return "Name of " + key_; }
  Variant Values() { return Variant::VariantArray({Variant::String("a"), Variant::String("b")}); }
  void ValueIndex(int16_t index) { index_ = index; }
  int16_t ValueIndex() { return index_; }
  Variant Value() { return value_; }
  void Value(const VARIANT& value) { value_ = Variant::CopyOf(value); }
  Result<int16_t> PropertyType() {
    if (key_.empty()) return Status::Failed("the setting has no key", "FakeProperty");
    return int16_t{8200};
  }
  Result<Variant> ExecuteCommand(std::string_view command, const VARIANT& parameter) {
    if (command == "mute") return Status::Failed("");  // says neither what nor where
    last_command_ = std::string(command);
    last_parameter_ = Variant::CopyOf(parameter);
    return Variant::Bool(true);
  }

  std::string key_;
  int16_t index_ = 0;
  Variant value_;
  std::string last_command_;
  Variant last_parameter_;
};

// An action that puts a fresh contact in the caller's variable.
class FakeContact {
 public:
  explicit FakeContact(std::string id = {}) : id_(std::move(id)) {}
  int32_t CategorieId() { return -1; }
  int32_t AssistantId() { return -1; }
  Result<int32_t> employeeId() { return Status::Failed("no item"); }  // no source
#define OLC_TEXT_(name) \
  std::string name() { return {}; }
  OLC_TEXT_(Department)
  OLC_TEXT_(BusinessPhone)
  OLC_TEXT_(BusinessPhone2)
  OLC_TEXT_(MobilePhone)
  OLC_TEXT_(HomePhone)
  OLC_TEXT_(PagerPhone)
  OLC_TEXT_(OtherPhone)
  OLC_TEXT_(BusinessPhoneLabel)
  OLC_TEXT_(BusinessPhone2Label)
  OLC_TEXT_(MobilePhoneLabel)
  OLC_TEXT_(HomePhoneLabel)
  OLC_TEXT_(PagerPhoneLabel)
  OLC_TEXT_(OtherPhoneLabel)
  OLC_TEXT_(AssistantPhoneLabel)
  OLC_TEXT_(StoreId)
  OLC_TEXT_(LastName)
  OLC_TEXT_(FirstName)
#undef OLC_TEXT_
  ComPtr<IDispatch> Emails() { return nullptr; }
  ComPtr<IDispatch> PhoneNumbers() { return nullptr; }
  void MainEmail(std::string_view) {}
  std::string MainEmail() { return {}; }
  std::string ContactId() { return id_; }
  std::string MainPhoneNumber() { return {}; }
  void MainPhoneNumber(std::string_view) {}
  std::string FullName() { return full_name_; }
  void FullName(std::string_view name) { full_name_ = name; }
  bool NotInPIM() { return true; }
  Variant PersonalData() { return {}; }
  void PersonalData(const VARIANT&) {}
  void Show() {}
  bool IsSelected() { return false; }
  Result<bool> IsEqual(Contact* other) {
    if (other == nullptr) return false;
    Bstr id;
    HRESULT hr = other->get_ContactId(id.Receive());
    if (FAILED(hr)) return Status::Failed("cannot read the other contact");
    return id.view() == id_;
  }
  Variant ExecuteCommand(std::string_view, const VARIANT&) { return {}; }

  std::string id_;
  std::string full_name_;
};

class FakeAction {
 public:
  bool ExecuteAction(Contact** item) {
    if (*item == nullptr) *item = MakeAutomationObject<Contact, FakeContact>("new").Detach();
    return false;
  }
  std::string ActionName() { return "fake"; }
  bool PassiveAction() { return true; }
  int32_t ActionID() { return 4101; }
  ComPtr<ActionProperties> ActionProp() { return nullptr; }
  Variant ExecuteCommand(std::string_view, const VARIANT&) { return {}; }
};

DISPID IdOf(IDispatch* object, const char* name) {
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  DISPID id = DISPID_UNKNOWN;
  object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  return id;
}

struct Call {
  HRESULT hr;
  Variant result;
  EXCEPINFO exception{};
  UINT argument_error = 999;
};

// Calls `name` by name; `args` in natural order (reversed for DISPPARAMS).
Call Invoke(IDispatch* object, const char* name, WORD flags, std::vector<Variant> args,
            bool named_put = false) {
  std::vector<VARIANT> reversed;
  for (auto it = args.rbegin(); it != args.rend(); ++it) reversed.push_back(it->raw());
  DISPID put = DISPID_PROPERTYPUT;
  DISPPARAMS params{reversed.data(), named_put ? &put : nullptr, static_cast<UINT>(reversed.size()),
                    named_put ? 1u : 0u};
  Call call;
  call.hr = object->Invoke(IdOf(object, name), IID_NULL, 0, flags, &params, call.result.raw_mut(),
                           &call.exception, &call.argument_error);
  return call;
}

std::string Text(BSTR bstr) { return std::string(BstrView(bstr)); }

TEST(DispatchTest, NamesResolveWithoutCaseAndWithOrWithoutTheInterfacePrefix) {
  auto property = MakeAutomationObject<ActionProperty, FakeProperty>();
  DISPID key = IdOf(property.get(), "Key");
  EXPECT_NE(key, DISPID_UNKNOWN);
  EXPECT_EQ(IdOf(property.get(), "kEY"), key);
  EXPECT_EQ(IdOf(property.get(), "ActionProperty_Key"), key);
  EXPECT_EQ(IdOf(property.get(), "Value"), DISPID_VALUE);
  EXPECT_EQ(IdOf(property.get(), "NoSuchMember"), DISPID_UNKNOWN);

  // Every member of every table answers to its own name.
  for (const DispatchTable* table :
       {&DispatchTableOf<DataConnector>(), &DispatchTableOf<ContactRecord>(),
        &DispatchTableOf<Contact>(), &DispatchTableOf<PIMActions>(), &DispatchTableOf<PIMAction>(),
        &DispatchTableOf<ActionProperties>(), &DispatchTableOf<ActionProperty>()}) {
    for (const MemberEntry& entry : table->entries()) {
      EXPECT_EQ(table->IdOfName(entry.name), entry.dispid) << entry.name;
    }
  }
  const DispatchTable& record = DispatchTableOf<ContactRecord>();
  EXPECT_EQ(record.IdOfName("eof"), record.IdOfName("ContactRecord_EOF"));
}

TEST(DispatchTest, PropertyReadAndWriteByNameReachTheImplementation) {
  auto property = MakeAutomationObject<ActionProperty, FakeProperty>();
  Call put = Invoke(property.get(), "Key", DISPATCH_PROPERTYPUT, {Variant::String("Path")}, true);
  ASSERT_EQ(put.hr, S_OK);

  // A VB host reads with both flags set.
  Call get = Invoke(property.get(), "Key", DISPATCH_PROPERTYGET | DISPATCH_METHOD, {});
  ASSERT_EQ(get.hr, S_OK);
  EXPECT_EQ(get.result.vt(), VT_BSTR);
  EXPECT_EQ(get.result.ToString().value(), "Path");

  // The vtable sees what late binding wrote.
  Bstr name;
  ASSERT_EQ(property->get_PropertyName(name.Receive()), S_OK);
  EXPECT_EQ(name.view(), "Name of Path");
}

TEST(DispatchTest, IntegerWidthsAndBooleansKeepTheirDeclaredTypes) {
  auto property = MakeAutomationObject<ActionProperty, FakeProperty>();
  ASSERT_EQ(Invoke(property.get(), "Key", DISPATCH_PROPERTYPUT, {Variant::String("k")}, true).hr,
            S_OK);
  // A 32-bit argument for a 16-bit member is narrowed; the result is VT_I2.
  ASSERT_EQ(Invoke(property.get(), "ValueIndex", DISPATCH_PROPERTYPUT, {Variant::I4(2)}, true).hr,
            S_OK);
  Call index = Invoke(property.get(), "ValueIndex", DISPATCH_PROPERTYGET, {});
  EXPECT_EQ(index.result.vt(), VT_I2);
  EXPECT_EQ(index.result.raw().iVal, 2);
  // Text holding a number is taken as automation takes it.
  ASSERT_EQ(
      Invoke(property.get(), "ValueIndex", DISPATCH_PROPERTYPUT, {Variant::String(" 3 ")}, true).hr,
      S_OK);
  EXPECT_EQ(Invoke(property.get(), "ValueIndex", DISPATCH_PROPERTYGET, {}).result.raw().iVal, 3);

  Call type = Invoke(property.get(), "PropertyType", DISPATCH_PROPERTYGET, {});
  EXPECT_EQ(type.result.vt(), VT_I2);
  EXPECT_EQ(type.result.raw().iVal, 8200);

  Call command = Invoke(property.get(), "ExecuteCommand", DISPATCH_METHOD,
                        {Variant::String("x"), Variant::I2(1)});
  EXPECT_EQ(command.result.vt(), VT_BOOL);
  EXPECT_EQ(command.result.raw().boolVal, VARIANT_TRUE);  // -1, as automation wants
}

TEST(DispatchTest, BadArgumentsAreRefusedWithTheStandardCodes) {
  auto property = MakeAutomationObject<ActionProperty, FakeProperty>();
  Call overflow =
      Invoke(property.get(), "ValueIndex", DISPATCH_PROPERTYPUT, {Variant::I4(40000)}, true);
  EXPECT_EQ(overflow.hr, DISP_E_OVERFLOW);
  Call mismatch =
      Invoke(property.get(), "ExecuteCommand", DISPATCH_METHOD, {Variant::Null(), Variant::I2(1)});
  EXPECT_EQ(mismatch.hr, DISP_E_TYPEMISMATCH);
  EXPECT_EQ(mismatch.argument_error, 1u);  // the first argument, counted as DISPPARAMS counts
  Call too_many = Invoke(property.get(), "Key", DISPATCH_PROPERTYGET, {Variant::I2(1)});
  EXPECT_EQ(too_many.hr, DISP_E_BADPARAMCOUNT);
  Call read_only =
      Invoke(property.get(), "PropertyName", DISPATCH_PROPERTYPUT, {Variant::String("x")}, true);
  EXPECT_EQ(read_only.hr, DISP_E_MEMBERNOTFOUND);
  // A write must name its value DISPID_PROPERTYPUT when it names anything.
  std::vector<VARIANT> values{Variant::String("x").Detach()};
  DISPID other = 7;
  DISPPARAMS params{values.data(), &other, 1, 1};
  EXPECT_EQ(property->Invoke(IdOf(property.get(), "Key"), IID_NULL, 0, DISPATCH_PROPERTYPUT,
                             &params, nullptr, nullptr, nullptr),
            DISP_E_NONAMEDARGS);
  VariantClear(&values[0]);
}

TEST(DispatchTest, OmittedVariantArgumentArrivesAsMissing) {
  auto object = MakeAutomationObject<ActionProperty, FakeProperty>();
  auto* property = ImplOf<FakeProperty>(object.get());
  ASSERT_NE(property, nullptr);
  Call command = Invoke(object.get(), "ExecuteCommand", DISPATCH_METHOD, {Variant::String("cmd")});
  ASSERT_EQ(command.hr, S_OK);
  EXPECT_EQ(property->last_command_, "cmd");
  EXPECT_TRUE(property->last_parameter_.IsMissing());
}

TEST(DispatchTest, FailuresCarryDescriptionAndSourceBothWays) {
  auto property = MakeAutomationObject<ActionProperty, FakeProperty>();
  // By name: DISP_E_EXCEPTION with the failure in EXCEPINFO.
  Call failed = Invoke(property.get(), "PropertyType", DISPATCH_PROPERTYGET, {});
  ASSERT_EQ(failed.hr, DISP_E_EXCEPTION);
  EXPECT_EQ(Text(failed.exception.bstrDescription), "the setting has no key");
  EXPECT_EQ(Text(failed.exception.bstrSource), "FakeProperty");
  EXPECT_EQ(failed.exception.scode, E_FAIL);
  SysFreeString(failed.exception.bstrDescription);
  SysFreeString(failed.exception.bstrSource);

  // Through the vtable: the HRESULT, and the same text in the error info.
  HRESULT hr = property->put_Key(Bstr("bad").get());
  EXPECT_EQ(hr, E_INVALIDARG);
  IErrorInfo* info = nullptr;
  ASSERT_EQ(GetErrorInfo(0, &info), S_OK);
  Bstr description;
  info->GetDescription(description.Receive());
  info->Release();
  EXPECT_EQ(description.view(), "no such key");
  EXPECT_EQ(GetErrorInfo(0, &info), S_FALSE);  // taken once

  // A later success does not leave a stale description behind.
  ASSERT_EQ(property->put_Key(Bstr("fine").get()), S_OK);
  EXPECT_EQ(GetErrorInfo(0, &info), S_FALSE);
}

// What a host reads from EXCEPINFO, the strings freed.
struct HostError {
  std::string description;
  std::string source;
  SCODE scode;
};
HostError Take(EXCEPINFO& exception) {
  HostError error{Text(exception.bstrDescription), Text(exception.bstrSource), exception.scode};
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrSource);
  return error;
}

TEST(DispatchTest, AFailureThatSaysNeitherWhereNorWhatNamesTheClassAndTheMember) {
  auto contact = MakeAutomationObject<Contact, FakeContact>();
  Call by_name = Invoke(contact.get(), "employeeId", DISPATCH_PROPERTYGET, {});
  ASSERT_EQ(by_name.hr, DISP_E_EXCEPTION);
  HostError error = Take(by_name.exception);
  EXPECT_EQ(error.description, "no item");
  EXPECT_EQ(error.source, "cContact");
  // Through the vtable the error information says the same.
  LONG id = 0;
  EXPECT_EQ(contact->get_employeeId(&id), E_FAIL);
  IErrorInfo* info = nullptr;
  ASSERT_EQ(GetErrorInfo(0, &info), S_OK);
  Bstr source;
  info->GetSource(source.Receive());
  info->Release();
  EXPECT_EQ(source.view(), "cContact");

  auto property = MakeAutomationObject<ActionProperty, FakeProperty>();
  Call mute = Invoke(property.get(), "ExecuteCommand", DISPATCH_METHOD,
                     {Variant::String("mute"), Variant()});
  ASSERT_EQ(mute.hr, DISP_E_EXCEPTION);
  error = Take(mute.exception);
  EXPECT_EQ(error.description, "ExecuteCommand failed (0x80004005)");
  EXPECT_EQ(error.source, "cActionProperty");

  // Objects answering by name only say their class too.
  ComPtr<StringCollection> list = MakeObject<StringCollection>();
  Call out_of_range = Invoke(list.get(), "Item", DISPATCH_PROPERTYGET, {Variant::I4(3)});
  ASSERT_EQ(out_of_range.hr, DISP_E_EXCEPTION);
  error = Take(out_of_range.exception);
  EXPECT_EQ(error.description, "Array index out of bounds");
  EXPECT_EQ(error.source, "Collection");
  EXPECT_EQ(error.scode, DISP_E_BADINDEX);
}

TEST(DispatchTest, InOutObjectArgumentIsWrittenBackToTheCallersVariable) {
  auto action = MakeAutomationObject<PIMAction, FakeAction>();
  IDispatch* variable = nullptr;  // the host's Contact variable, holding Nothing
  VARIANT by_ref;
  VariantInit(&by_ref);
  by_ref.vt = VT_BYREF | VT_DISPATCH;
  by_ref.ppdispVal = &variable;
  DISPPARAMS params{&by_ref, nullptr, 1, 0};
  Variant result;
  ASSERT_EQ(action->Invoke(IdOf(action.get(), "ExecuteAction"), IID_NULL, 0, DISPATCH_METHOD,
                           &params, result.raw_mut(), nullptr, nullptr),
            S_OK);
  EXPECT_EQ(result.vt(), VT_BOOL);
  ASSERT_NE(variable, nullptr);
  ComPtr<Contact> contact = ComPtr<IDispatch>::Adopt(variable).As<Contact>();
  ASSERT_TRUE(contact);
  Bstr id;
  contact->get_ContactId(id.Receive());
  EXPECT_EQ(id.view(), "new");
}

TEST(DispatchTest, ObjectArgumentsArriveAsTheDeclaredInterface) {
  auto first = MakeAutomationObject<Contact, FakeContact>("A1");
  auto same = MakeAutomationObject<Contact, FakeContact>("A1");
  auto other = MakeAutomationObject<Contact, FakeContact>("a1");
  Call equal = Invoke(first.get(), "IsEqual", DISPATCH_METHOD, {Variant::Dispatch(same.get())});
  ASSERT_EQ(equal.hr, S_OK);
  EXPECT_EQ(equal.result.raw().boolVal, VARIANT_TRUE);
  Call differ = Invoke(first.get(), "IsEqual", DISPATCH_METHOD, {Variant::Dispatch(other.get())});
  EXPECT_EQ(differ.result.raw().boolVal, VARIANT_FALSE);
  // A property write through the vtable and a read by name meet.
  ASSERT_EQ(first->put_FullName(Bstr("Smith, Ann").get()), S_OK);
  EXPECT_EQ(
      Invoke(first.get(), "Contact_FullName", DISPATCH_PROPERTYGET, {}).result.ToString().value(),
      "Smith, Ann");
}

TEST(DispatchTest, QueryInterfaceAnswersExactlyTheObjectsInterfaces) {
  auto contact = MakeAutomationObject<Contact, FakeContact>();
  void* out = nullptr;
  for (const IID* iid : {&IID_IUnknown, &IID_IDispatch, &IID_Contact}) {
    ASSERT_EQ(contact->QueryInterface(*iid, &out), S_OK);
    static_cast<IUnknown*>(out)->Release();
  }
  EXPECT_EQ(contact->QueryInterface(IID_ContactRecord, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  // Identity: IUnknown from any interface is the same pointer.
  IUnknown* a = nullptr;
  IUnknown* b = nullptr;
  contact->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&a));
  contact->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&out));
  static_cast<IDispatch*>(out)->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&b));
  EXPECT_EQ(a, b);
  a->Release();
  b->Release();
  static_cast<IDispatch*>(out)->Release();
}

}  // namespace
}  // namespace olconn97::com
