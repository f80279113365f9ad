// The automation values a host exchanges with the driver.
#include <gtest/gtest.h>

#include <cstring>

#include "outside/com/variant.h"

namespace olconn97::com {
namespace {

TEST(BstrTest, KeepsLengthEmbeddedNulsAndUtf8) {
  BSTR text = SysAllocStringLen("a\0b\xc3\xa9", 5);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(SysStringLen(text), 5u);
  EXPECT_EQ(text[5], '\0');  // still NUL-terminated for C callers
  EXPECT_EQ(BstrView(text), std::string_view("a\0b\xc3\xa9", 5));
  SysFreeString(text);
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  SysFreeString(nullptr);
  BSTR grown = SysAllocString("x");
  ASSERT_EQ(SysReAllocString(&grown, "longer"), 1);
  EXPECT_EQ(BstrView(grown), "longer");
  SysFreeString(grown);
}

TEST(VariantTest, CopiesAreDeepAndByReferenceValuesResolve) {
  Variant original = Variant::String("Smith");
  Variant copy = original;
  EXPECT_NE(copy.raw().bstrVal, original.raw().bstrVal);
  EXPECT_EQ(copy.ToString().value(), "Smith");

  LONG number = 42;
  VARIANT by_ref;
  VariantInit(&by_ref);
  by_ref.vt = VT_BYREF | VT_I4;
  by_ref.plVal = &number;
  Variant value = Variant::CopyOfValue(by_ref);
  EXPECT_EQ(value.vt(), VT_I4);
  number = 7;  // the copy does not follow the variable
  EXPECT_EQ(value.raw().lVal, 42);
  EXPECT_EQ(Variant::CopyOf(by_ref).ToInt32().value(), 7);
}

TEST(VariantTest, CoercesLikeAutomation) {
  EXPECT_EQ(Variant::String(" 12 ").ToInt16().value(), 12);
  EXPECT_EQ(Variant::R8(2.5).ToInt32().value(), 2);  // halves to even
  EXPECT_EQ(Variant::R8(3.5).ToInt32().value(), 4);
  EXPECT_EQ(Variant::I4(70000).ToInt16().status().number(), DISP_E_OVERFLOW);
  EXPECT_EQ(Variant::String("12abc").ToInt32().status().number(), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(Variant::Null().ToString().status().number(), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(Variant().ToString().value(), "");
  EXPECT_EQ(Variant::Bool(true).ToString().value(), "True");
  EXPECT_EQ(Variant::Bool(true).ToInt32().value(), -1);
  EXPECT_TRUE(Variant::String("true").ToBool().value());
  EXPECT_FALSE(Variant::String("0").ToBool().value());
  EXPECT_EQ(Variant::R8(0.1).ToString().value(), "0.1");
  EXPECT_EQ(Variant::I2(-5).ToString().value(), "-5");
}

TEST(SafeArrayTest, VariantVectorRoundTripsAndChecksBounds) {
  Variant list = Variant::VariantArray({Variant::String("one"), Variant::I4(2), Variant()});
  auto items = list.ArrayElements();
  ASSERT_TRUE(items.ok());
  ASSERT_EQ(items.value().size(), 3u);
  EXPECT_EQ(items.value()[0].ToString().value(), "one");
  EXPECT_EQ(items.value()[1].raw().lVal, 2);

  SAFEARRAY* array = list.raw().parray;
  LONG lower = -1;
  LONG upper = -1;
  SafeArrayGetLBound(array, 1, &lower);
  SafeArrayGetUBound(array, 1, &upper);
  EXPECT_EQ(lower, 0);
  EXPECT_EQ(upper, 2);
  LONG outside = 3;
  VARIANT element;
  VariantInit(&element);
  EXPECT_EQ(SafeArrayGetElement(array, &outside, &element), DISP_E_BADINDEX);

  // A copy of the variant owns its own array and strings.
  Variant copy = list;
  EXPECT_NE(copy.raw().parray, array);
  EXPECT_EQ(copy.ArrayElements().value()[0].ToString().value(), "one");

  SAFEARRAY* strings = SafeArrayCreateVector(VT_BSTR, 1, 2);
  LONG index = 1;
  BSTR text = SysAllocString("kept");
  ASSERT_EQ(SafeArrayPutElement(strings, &index, text), S_OK);
  SysFreeString(text);  // the array took a copy
  BSTR read = nullptr;
  ASSERT_EQ(SafeArrayGetElement(strings, &index, &read), S_OK);
  EXPECT_EQ(BstrView(read), "kept");
  SysFreeString(read);
  EXPECT_EQ(SafeArrayDestroy(strings), S_OK);
}

}  // namespace
}  // namespace olconn97::com
