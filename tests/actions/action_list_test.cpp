// The action list and the actions' settings, as a host reaches them: by
// their interfaces and by member names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "actions/actions.h"
#include "actions/pim_actions.h"
#include "outside/com/dynamic_dispatch.h"
#include "test_support.h"

namespace olconn97::testing {
namespace {

class ActionListTest : public DriverTest {
 protected:
  com::ComPtr<PIMActions> list_ = NewActionList();

  com::ComPtr<PIMAction> ListAction(int32_t id) {
    Result<com::ComPtr<IDispatch>> item = PIMActionsItem(id);
    EXPECT_TRUE(item.ok()) << id;
    return item.value().As<PIMAction>();
  }
  Result<com::ComPtr<IDispatch>> PIMActionsItem(int32_t id) {
    com::ComPtr<IDispatch> item;
    HRESULT hr = list_->Item(id, item.Receive());
    if (FAILED(hr)) return Status::Failed("Item failed").WithNumber(hr);
    return item;
  }
  static com::ComPtr<ActionProperty> Setting(PIMAction* action, const VARIANT& key) {
    com::ComPtr<ActionProperties> settings;
    EXPECT_EQ(action->get_ActionProp(settings.Receive()), S_OK);
    com::ComPtr<ActionProperty> setting;
    EXPECT_EQ(settings->Item(key, setting.Receive()), S_OK);
    return setting;
  }
  static com::ComPtr<ActionProperty> Setting(PIMAction* action, const char* key) {
    return Setting(action, com::Variant::String(key).raw());
  }
  static std::string ValueText(ActionProperty* setting) {
    VARIANT raw;
    EXPECT_EQ(setting->get_Value(&raw), S_OK);
    return com::Variant::Adopt(&raw).ToString().value_or("<not text>");
  }
  static int16_t Index(ActionProperty* setting) {
    SHORT index = -99;
    EXPECT_EQ(setting->get_ValueIndex(&index), S_OK);
    return index;
  }
  // A member by name, as a host that binds late calls it.
  static com::Variant CallByName(IDispatch* object, const char* name,
                                 std::vector<com::Variant> args = {}) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = DISPID_UNKNOWN;
    EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK) << name;
    std::vector<VARIANT> raw;
    for (auto it = args.rbegin(); it != args.rend(); ++it) raw.push_back(it->raw());
    DISPPARAMS params{raw.data(), nullptr, static_cast<UINT>(raw.size()), 0};
    VARIANT result;
    VariantInit(&result);
    EXPECT_EQ(object->Invoke(id, IID_NULL, 0, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &params,
                             &result, nullptr, nullptr),
              S_OK)
        << name;
    return com::Variant::Adopt(&result);
  }
};

TEST_F(ActionListTest, HoldsTheFiveActionsInOrderUnderTheirIdentifiers) {
  LONG count = 0;
  ASSERT_EQ(list_->get_Count(&count), S_OK);
  EXPECT_EQ(count, 5);
  com::ComPtr<IUnknown> unknown;
  ASSERT_EQ(list_->get_NewEnum(unknown.Receive()), S_OK);
  com::ComPtr<IEnumVARIANT> walk = unknown.As<IEnumVARIANT>();
  ASSERT_TRUE(walk);
  std::vector<int32_t> ids;
  VARIANT next;
  ULONG fetched = 0;
  while (walk->Next(1, &next, &fetched) == S_OK && fetched == 1) {
    com::Variant action = com::Variant::Adopt(&next);
    ids.push_back(CallByName(action.raw().pdispVal, "ActionID").ToInt32().value());
  }
  EXPECT_EQ(ids, (std::vector<int32_t>{4097, 4098, 4099, 4100, 4101}));

  EXPECT_EQ(CallByName(ListAction(4099).get(), "ActionName").ToString().value(),
            T("#05200#"));
  Result<com::ComPtr<IDispatch>> by_position = PIMActionsItem(1);
  ASSERT_FALSE(by_position.ok());
  EXPECT_EQ(by_position.status().number(), DISP_E_BADINDEX);
}

TEST_F(ActionListTest, NewActionIsSeparateFromTheList) {
  com::ComPtr<IDispatch> made;
  ASSERT_EQ(list_->NewAction(4101, made.Receive()), S_OK);
  com::ComPtr<PIMAction> launch = made.As<PIMAction>();
  ASSERT_TRUE(launch);
  ASSERT_EQ(Setting(launch.get(), "Path")->put_Value(com::Variant::String("/opt").raw()), S_OK);
  EXPECT_EQ(ValueText(Setting(ListAction(4101).get(), "Path").get()), "");
  EXPECT_NE(launch.get(), ListAction(4101).get());
  LONG count = 0;
  ASSERT_EQ(list_->get_Count(&count), S_OK);
  EXPECT_EQ(count, 5);
  for (LONG unknown : {0, 4102, -4097}) {
    com::ComPtr<IDispatch> none;
    ASSERT_EQ(list_->NewAction(unknown, none.Receive()), S_OK);
    EXPECT_FALSE(none) << unknown;
  }
}

TEST_F(ActionListTest, TheStandAloneActionDoesNothing) {
  com::ComPtr<PIMAction> action = NewStandAloneAction();
  LONG id = -1;
  ASSERT_EQ(action->get_ActionID(&id), S_OK);
  EXPECT_EQ(id, 0);
  EXPECT_EQ(CallByName(action.get(), "ActionName").ToString().value(), "");
  com::ComPtr<ActionProperties> settings;
  ASSERT_EQ(action->get_ActionProp(settings.Receive()), S_OK);
  EXPECT_FALSE(settings);
  Contact* none = nullptr;
  VARIANT_BOOL done = VARIANT_TRUE;
  ASSERT_EQ(action->ExecuteAction(&none, &done), S_OK);
  EXPECT_EQ(done, VARIANT_FALSE);
  EXPECT_EQ(none, nullptr);
}

TEST_F(ActionListTest, AChoiceMovesOnlyWithinItsList) {
  com::ComPtr<ActionProperty> choice = Setting(ListAction(4097).get(), "newoninexistant");
  SHORT type = 0;
  ASSERT_EQ(choice->get_PropertyType(&type), S_OK);
  EXPECT_EQ(type, 8200);
  EXPECT_EQ(Index(choice.get()), 0);
  EXPECT_EQ(ValueText(choice.get()), T("#05002#"));

  VARIANT raw;
  ASSERT_EQ(choice->get_Values(&raw), S_OK);
  com::Variant values = com::Variant::Adopt(&raw);
  EXPECT_EQ(values.vt(), VT_ARRAY | VT_VARIANT);
  std::vector<std::string> texts;
  for (const com::Variant& entry : values.ArrayElements().value()) {
    EXPECT_EQ(entry.vt(), VT_BSTR);
    texts.push_back(entry.ToString().value());
  }
  EXPECT_EQ(texts, (std::vector<std::string>{T("#05002#"), T("#05003#"), T("#05001#")}));

  ASSERT_EQ(choice->put_ValueIndex(2), S_OK);
  EXPECT_EQ(Index(choice.get()), 2);
  EXPECT_EQ(ValueText(choice.get()), T("#05001#"));
  for (SHORT outside : {3, -1, 200}) {
    ASSERT_EQ(choice->put_ValueIndex(outside), S_OK);
    EXPECT_EQ(Index(choice.get()), 2) << outside;
    EXPECT_EQ(ValueText(choice.get()), T("#05001#")) << outside;
  }
  EXPECT_FALSE(CallByName(ListAction(4097).get(), "PassiveAction").ToBool().value());
  // The host may also overwrite a choice's value directly.
  ASSERT_EQ(choice->put_Value(com::Variant::String("other").raw()), S_OK);
  EXPECT_EQ(ValueText(choice.get()), "other");
}

TEST_F(ActionListTest, TextAndYesNoSettingsTakeValuesNotIndexes) {
  com::ComPtr<PIMAction> mail = ListAction(4099);
  com::ComPtr<ActionProperty> address = Setting(mail.get(), com::Variant::I4(1).raw());
  com::Bstr key;
  ASSERT_EQ(address->get_Key(key.Receive()), S_OK);
  EXPECT_EQ(key.view(), "DestinationAddress");
  ASSERT_EQ(address->put_ValueIndex(1), S_OK);
  EXPECT_EQ(Index(address.get()), 0);
  EXPECT_EQ(ValueText(address.get()), "");
  ASSERT_EQ(address->put_Value(com::Variant::String("desk@example.org").raw()), S_OK);
  EXPECT_EQ(ValueText(address.get()), "desk@example.org");

  // A host that binds late sets the value with a 16-bit index or a string.
  com::ComPtr<ActionProperty> automatic = Setting(mail.get(), "AUTOMATICSEND");
  VARIANT raw;
  ASSERT_EQ(automatic->get_Value(&raw), S_OK);
  EXPECT_EQ(com::Variant::Adopt(&raw).raw().boolVal, VARIANT_TRUE);

  com::ComPtr<ActionProperties> settings;
  ASSERT_EQ(mail->get_ActionProp(settings.Receive()), S_OK);
  com::ComPtr<ActionProperty> third;
  EXPECT_EQ(settings->Item(com::Variant::I2(3).raw(), third.Receive()), DISP_E_BADINDEX);
  EXPECT_EQ(settings->Item(com::Variant::String("Nothing").raw(), third.Receive()),
            DISP_E_BADINDEX);
}

TEST_F(ActionListTest, AddingUnderATakenKeyReturnsTheSettingButKeepsTheCollection) {
  com::ComPtr<ActionProperties> settings = NewActionProperties();
  cActionProperties& collection = *PropertiesOf(settings.get());
  collection.AddProperty("Path", "first", com::Variant::String("a"), kPropertyText);
  com::ComPtr<ActionProperty> second =
      collection.AddProperty("PATH", "second", com::Variant::String("b"), kPropertyText);
  ASSERT_TRUE(second);
  EXPECT_EQ(PropertyOf(second.get())->PropertyName(), "second");
  EXPECT_EQ(collection.Count(), 1);
  EXPECT_EQ(collection.Find("path")->PropertyName(), "first");
  // A setting without key is kept, found by position only.
  collection.AddProperty("", "anonymous", com::Variant::String("c"), kPropertyText);
  EXPECT_EQ(collection.Count(), 2);
  EXPECT_EQ(PropertyOf(collection.Item(com::Variant::I4(2).raw()).value().get())->PropertyName(),
            "anonymous");

  // A value that is itself an array of strings is never replaced.
  cActionProperty& strings = *PropertyOf(
      collection.AddProperty("List", "list", com::Variant::Null(), kPropertyChoice).get());
  SAFEARRAY* array = SafeArrayCreateVector(VT_BSTR, 0, 1);
  LONG at = 0;
  com::Bstr text("x");
  ASSERT_EQ(SafeArrayPutElement(array, &at, text.get()), S_OK);
  VARIANT raw;
  VariantInit(&raw);
  raw.vt = VT_ARRAY | VT_BSTR;
  raw.parray = array;
  com::Variant owned = com::Variant::Adopt(&raw);
  strings.Value(owned.raw());
  strings.Value(com::Variant::String("y").raw());
  EXPECT_EQ(strings.Value().vt(), VT_ARRAY | VT_BSTR);
}

TEST_F(ActionListTest, CopyActionCarriesTheSettingsOfEachClass) {
  com::ComPtr<PIMAction> open = ListAction(4097);
  ASSERT_EQ(Setting(open.get(), "NewOnInexistant")->put_ValueIndex(2), S_OK);
  com::ComPtr<PIMAction> mail = ListAction(4099);
  ASSERT_EQ(Setting(mail.get(), "DestinationAddress")
                ->put_Value(com::Variant::String("desk@example.org").raw()),
            S_OK);
  ASSERT_EQ(Setting(mail.get(), "AutomaticSend")->put_Value(com::Variant::Bool(false).raw()), S_OK);
  com::ComPtr<PIMAction> launch = ListAction(4101);
  ASSERT_EQ(Setting(launch.get(), "Arguments")->put_Value(com::Variant::String("x $1").raw()),
            S_OK);

  for (int32_t id : {4097, 4098, 4099, 4100, 4101}) {
    com::ComPtr<PIMAction> original = ListAction(id);
    com::Variant copied = CallByName(original.get(), "CopyAction");
    ASSERT_EQ(copied.vt(), VT_DISPATCH) << id;
    com::ComPtr<PIMAction> copy = com::ComPtr<IDispatch>(copied.raw().pdispVal).As<PIMAction>();
    ASSERT_TRUE(copy) << id;
    EXPECT_NE(copy.get(), original.get());
    EXPECT_EQ(CallByName(copy.get(), "ActionID").ToInt32().value(), id);
  }
  auto copy_of = [&](PIMAction* action) {
    com::Variant copied = CallByName(action, "CopyAction");
    return com::ComPtr<IDispatch>(copied.raw().pdispVal).As<PIMAction>();
  };
  com::ComPtr<PIMAction> open_copy = copy_of(open.get());
  EXPECT_EQ(Index(Setting(open_copy.get(), "NewOnInexistant").get()), 2);
  EXPECT_EQ(ValueText(Setting(open_copy.get(), "NewOnInexistant").get()), T("#05001#"));
  EXPECT_FALSE(CallByName(open_copy.get(), "PassiveAction").ToBool().value());
  com::ComPtr<PIMAction> mail_copy = copy_of(mail.get());
  EXPECT_EQ(ValueText(Setting(mail_copy.get(), "DestinationAddress").get()), "desk@example.org");
  EXPECT_FALSE(CallByName(Setting(mail_copy.get(), "AutomaticSend").get(), "Value")
                   .ToBool()
                   .value());
  EXPECT_EQ(ValueText(Setting(copy_of(launch.get()).get(), "Arguments").get()), "x $1");
  // Only the launch action answers NIsFormLoaded.
  EXPECT_FALSE(CallByName(launch.get(), "NIsFormLoaded", {com::Variant::String("frmNone")})
                   .ToBool()
                   .value());
}

}  // namespace
}  // namespace olconn97::testing
