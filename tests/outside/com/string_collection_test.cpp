// A collection of strings as a late-binding host walks it.
#include "outside/com/string_collection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "outside/com/object.h"

namespace olconn97::com {
namespace {

constexpr WORD kRead = DISPATCH_PROPERTYGET | DISPATCH_METHOD;

// Invokes a member by dispatch identifier with at most one argument.
HRESULT Call(IDispatch* object, DISPID id, const Variant* argument, Variant* result) {
  VARIANT arg = argument != nullptr ? argument->raw() : VARIANT{};
  DISPPARAMS params{argument != nullptr ? &arg : nullptr, nullptr, argument != nullptr ? 1u : 0u,
                    0};
  VARIANT out;
  VariantInit(&out);
  EXCEPINFO exception{};
  HRESULT hr = object->Invoke(id, IID_NULL, 0, kRead, &params, &out, &exception, nullptr);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrHelpFile);
  *result = Variant::Adopt(&out);
  return hr;
}

DISPID IdOf(IDispatch* object, const char* name) {
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  DISPID id = DISPID_UNKNOWN;
  EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK) << name;
  return id;
}

TEST(StringCollectionTest, AHostCountsReadsAndEnumeratesByName) {
  ComPtr<StringCollection> list = MakeObject<StringCollection>();
  list->Add("Office: \t0123");
  Variant added;
  Variant text = Variant::String("Mobile: \t0456");
  ASSERT_EQ(Call(list.get(), IdOf(list.get(), "Add"), &text, &added), S_OK);

  Variant count;
  ASSERT_EQ(Call(list.get(), IdOf(list.get(), "count"), nullptr, &count), S_OK);
  EXPECT_EQ(count.ToInt32().value(), 2);

  EXPECT_EQ(IdOf(list.get(), "Item"), DISPID_VALUE);
  Variant item;
  Variant second = Variant::I2(2);
  ASSERT_EQ(Call(list.get(), DISPID_VALUE, &second, &item), S_OK);
  EXPECT_EQ(item.ToString().value(), "Mobile: \t0456");
  for (int32_t outside : {0, 3}) {
    Variant index = Variant::I4(outside);
    EXPECT_EQ(Call(list.get(), DISPID_VALUE, &index, &item), DISP_E_EXCEPTION) << outside;
  }

  EXPECT_EQ(IdOf(list.get(), "_NewEnum"), DISPID_NEWENUM);
  Variant enumerator;
  ASSERT_EQ(Call(list.get(), DISPID_NEWENUM, nullptr, &enumerator), S_OK);
  ASSERT_EQ(enumerator.vt(), VT_UNKNOWN);
  IEnumVARIANT* walk = nullptr;
  ASSERT_EQ(
      enumerator.raw().punkVal->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(&walk)),
      S_OK);
  std::vector<std::string> seen;
  VARIANT next;
  VariantInit(&next);
  while (walk->Next(1, &next, nullptr) == S_OK) {
    seen.push_back(Variant::Adopt(&next).ToString().value());
  }
  walk->Release();
  EXPECT_EQ(seen, list->items());
}

TEST(StringCollectionTest, ACollectionHeldByTheHostKeepsTheLibraryLoaded) {
  long before = ModuleLockCount();
  {
    ComPtr<StringCollection> list = MakeObject<StringCollection>();
    EXPECT_EQ(ModuleLockCount(), before + 1);
  }
  EXPECT_EQ(ModuleLockCount(), before);
}

}  // namespace
}  // namespace olconn97::com
