#include <cstdio>
#include <cstdlib>

#include "outside/com/error_info.h"
#include "outside/com/variant.h"

namespace olconn97::com {

BSTR AllocBstr(std::string_view text) {
  return SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

std::string_view BstrView(BSTR bstr) {
  if (bstr == nullptr) return {};
  return std::string_view(bstr, SysStringLen(bstr));
}

std::string FormatNumber(double value) {
  char buffer[64];
  for (int precision = 15; precision <= 17; ++precision) {
    std::snprintf(buffer, sizeof buffer, "%.*g", precision, value);
    if (std::strtod(buffer, nullptr) == value) break;
  }
  return buffer;
}

Variant Variant::CopyOf(const VARIANT& raw) {
  Variant v;
  VariantCopy(&v.v_, &raw);
  return v;
}

Variant Variant::CopyOfValue(const VARIANT& raw) {
  Variant v;
  VariantCopyInd(&v.v_, &raw);
  return v;
}

Variant Variant::Adopt(VARIANT* raw) {
  Variant v;
  v.v_ = *raw;
  VariantInit(raw);
  return v;
}

Variant Variant::Null() {
  Variant v;
  v.v_.vt = VT_NULL;
  return v;
}

Variant Variant::Bool(bool value) {
  Variant v;
  v.v_.vt = VT_BOOL;
  v.v_.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  return v;
}

Variant Variant::I2(int16_t value) {
  Variant v;
  v.v_.vt = VT_I2;
  v.v_.iVal = value;
  return v;
}

Variant Variant::I4(int32_t value) {
  Variant v;
  v.v_.vt = VT_I4;
  v.v_.lVal = value;
  return v;
}

Variant Variant::R8(double value) {
  Variant v;
  v.v_.vt = VT_R8;
  v.v_.dblVal = value;
  return v;
}

Variant Variant::Date(double value) {
  Variant v;
  v.v_.vt = VT_DATE;
  v.v_.date = value;
  return v;
}

Variant Variant::String(std::string_view text) {
  Variant v;
  v.v_.vt = VT_BSTR;
  v.v_.bstrVal = AllocBstr(text);
  return v;
}

Variant Variant::Dispatch(IDispatch* object) {
  Variant v;
  v.v_.vt = VT_DISPATCH;
  v.v_.pdispVal = object;
  if (object != nullptr) object->AddRef();
  return v;
}

Variant Variant::Unknown(IUnknown* object) {
  Variant v;
  v.v_.vt = VT_UNKNOWN;
  v.v_.punkVal = object;
  if (object != nullptr) object->AddRef();
  return v;
}

Variant Variant::Error(SCODE code) {
  Variant v;
  v.v_.vt = VT_ERROR;
  v.v_.scode = code;
  return v;
}

Variant Variant::VariantArray(const std::vector<Variant>& items) {
  Variant v;
  SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(items.size()));
  for (LONG i = 0; i < static_cast<LONG>(items.size()); ++i) {
    SafeArrayPutElement(array, &i, const_cast<VARIANT*>(&items[i].raw()));
  }
  v.v_.vt = VT_ARRAY | VT_VARIANT;
  v.v_.parray = array;
  return v;
}

Result<Variant> Variant::ChangedTo(VARTYPE vt) const {
  Variant out;
  HRESULT hr = VariantChangeType(&out.v_, &v_, 0, vt);
  if (FAILED(hr)) {
    return Status::InvalidArgument(hr == DISP_E_OVERFLOW ? "Overflow" : "Type mismatch")
        .WithNumber(hr);
  }
  return out;
}

Result<std::string> Variant::ToString() const {
  OLC_ASSIGN_OR_RETURN(Variant text, ChangedTo(VT_BSTR));
  return std::string(BstrView(text.v_.bstrVal));
}

Result<int32_t> Variant::ToInt32() const {
  OLC_ASSIGN_OR_RETURN(Variant number, ChangedTo(VT_I4));
  return number.v_.lVal;
}

Result<int16_t> Variant::ToInt16() const {
  OLC_ASSIGN_OR_RETURN(Variant number, ChangedTo(VT_I2));
  return number.v_.iVal;
}

Result<bool> Variant::ToBool() const {
  OLC_ASSIGN_OR_RETURN(Variant flag, ChangedTo(VT_BOOL));
  return flag.v_.boolVal != VARIANT_FALSE;
}

Result<double> Variant::ToDouble() const {
  OLC_ASSIGN_OR_RETURN(Variant number, ChangedTo(VT_R8));
  return number.v_.dblVal;
}

Result<ComPtr<IDispatch>> Variant::ToDispatch() const {
  OLC_ASSIGN_OR_RETURN(Variant object, ChangedTo(VT_DISPATCH));
  return ComPtr<IDispatch>(object.v_.pdispVal);
}

Result<std::vector<Variant>> Variant::ArrayElements() const {
  Variant value = CopyOfValue(v_);
  if ((value.v_.vt & VT_ARRAY) == 0 || value.v_.parray == nullptr ||
      SafeArrayGetDim(value.v_.parray) != 1) {
    return Status::InvalidArgument("Type mismatch").WithNumber(DISP_E_TYPEMISMATCH);
  }
  SAFEARRAY* array = value.v_.parray;
  LONG lower = 0;
  LONG upper = -1;
  SafeArrayGetLBound(array, 1, &lower);
  SafeArrayGetUBound(array, 1, &upper);
  VARTYPE element_type = VT_EMPTY;
  SafeArrayGetVartype(array, &element_type);
  std::vector<Variant> items;
  for (LONG i = lower; i <= upper; ++i) {
    Variant item;
    if (element_type == VT_VARIANT) {
      SafeArrayGetElement(array, &i, &item.v_);
    } else if (element_type == VT_BSTR) {
      item.v_.vt = VT_BSTR;
      SafeArrayGetElement(array, &i, &item.v_.bstrVal);
    } else {
      return Status::InvalidArgument("Type mismatch").WithNumber(DISP_E_TYPEMISMATCH);
    }
    items.push_back(std::move(item));
  }
  return items;
}

}  // namespace olconn97::com
