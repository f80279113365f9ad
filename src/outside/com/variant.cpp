// VARIANT lifetime, copies and the coercions that late binding relies on.
#include "outside/com/variant.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "olconn97/com.h"

namespace {

using olconn97::com::FormatNumber;

bool IsObjectType(VARTYPE vt) { return vt == VT_DISPATCH || vt == VT_UNKNOWN; }

// Any numeric or boolean VARIANT (not by reference) as a double.
bool NumericValue(const VARIANT& v, double* out) {
  switch (v.vt) {
    case VT_EMPTY:
      *out = 0;
      return true;
    case VT_I1:
      *out = v.cVal;
      return true;
    case VT_UI1:
      *out = v.bVal;
      return true;
    case VT_I2:
      *out = v.iVal;
      return true;
    case VT_UI2:
      *out = v.uiVal;
      return true;
    case VT_I4:
      *out = v.lVal;
      return true;
    case VT_UI4:
      *out = v.ulVal;
      return true;
    case VT_INT:
      *out = v.intVal;
      return true;
    case VT_UINT:
      *out = v.uintVal;
      return true;
    case VT_I8:
      *out = static_cast<double>(v.llVal);
      return true;
    case VT_UI8:
      *out = static_cast<double>(v.ullVal);
      return true;
    case VT_R4:
      *out = v.fltVal;
      return true;
    case VT_R8:
      *out = v.dblVal;
      return true;
    case VT_DATE:
      *out = v.date;
      return true;
    case VT_BOOL:
      *out = v.boolVal ? -1 : 0;
      return true;
    case VT_ERROR:
      *out = v.scode;
      return true;
    default:
      return false;
  }
}

// Reads a number from text: blanks around, decimal point ".", optional
// exponent; "True"/"False" as -1/0.
bool ParseNumber(const char* text, double* out) {
  if (text == nullptr) return false;
  while (*text == ' ' || *text == '\t') ++text;
  if (strcasecmp(text, "true") == 0) {
    *out = -1;
    return true;
  }
  if (strcasecmp(text, "false") == 0) {
    *out = 0;
    return true;
  }
  if (*text == '\0') return false;
  char* end = nullptr;
  errno = 0;
  double value = std::strtod(text, &end);
  if (end == text || errno == ERANGE) return false;
  while (*end == ' ' || *end == '\t') ++end;
  if (*end != '\0' || !std::isfinite(value)) return false;
  *out = value;
  return true;
}

HRESULT StoreInteger(double value, VARTYPE vt, VARIANT* out) {
  double rounded = std::nearbyint(value);  // halves to even, as automation rounds
  auto fits = [&](double lo, double hi) { return rounded >= lo && rounded <= hi; };
  switch (vt) {
    case VT_I1:
      if (!fits(-128, 127)) return DISP_E_OVERFLOW;
      out->cVal = static_cast<CHAR>(rounded);
      break;
    case VT_UI1:
      if (!fits(0, 255)) return DISP_E_OVERFLOW;
      out->bVal = static_cast<BYTE>(rounded);
      break;
    case VT_I2:
      if (!fits(-32768, 32767)) return DISP_E_OVERFLOW;
      out->iVal = static_cast<SHORT>(rounded);
      break;
    case VT_UI2:
      if (!fits(0, 65535)) return DISP_E_OVERFLOW;
      out->uiVal = static_cast<USHORT>(rounded);
      break;
    case VT_I4:
    case VT_INT:
      if (!fits(-2147483648.0, 2147483647.0)) return DISP_E_OVERFLOW;
      out->lVal = static_cast<LONG>(rounded);
      break;
    case VT_UI4:
    case VT_UINT:
      if (!fits(0, 4294967295.0)) return DISP_E_OVERFLOW;
      out->ulVal = static_cast<ULONG>(rounded);
      break;
    case VT_I8:
      if (!fits(-9.2233720368547758e18, 9.2233720368547748e18)) return DISP_E_OVERFLOW;
      out->llVal = static_cast<LONGLONG>(rounded);
      break;
    case VT_UI8:
      if (!fits(0, 1.8446744073709550e19)) return DISP_E_OVERFLOW;
      out->ullVal = static_cast<ULONGLONG>(rounded);
      break;
    default:
      return DISP_E_BADVARTYPE;
  }
  out->vt = vt;
  return S_OK;
}

HRESULT ToText(const VARIANT& v, VARIANT* out) {
  std::string text;
  double number = 0;
  if (v.vt == VT_BSTR) {
    out->bstrVal = SysAllocStringLen(v.bstrVal, SysStringLen(v.bstrVal));
    out->vt = VT_BSTR;
    return S_OK;
  } else if (v.vt == VT_EMPTY) {
    text.clear();  // Empty reads as the empty string
  } else if (v.vt == VT_BOOL) {
    text = v.boolVal ? "True" : "False";
  } else if (v.vt == VT_I8) {
    text = std::to_string(v.llVal);
  } else if (v.vt == VT_UI8) {
    text = std::to_string(v.ullVal);
  } else if (NumericValue(v, &number)) {
    text = FormatNumber(number);
  } else {
    return DISP_E_TYPEMISMATCH;
  }
  out->bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  out->vt = VT_BSTR;
  return S_OK;
}

// The default member (DISPID_VALUE) of an object, read as a property.
HRESULT DefaultValue(IDispatch* object, VARIANT* out) {
  if (object == nullptr) return DISP_E_TYPEMISMATCH;
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  VariantInit(out);
  HRESULT hr =
      object->Invoke(DISPID_VALUE, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, out, nullptr, nullptr);
  return FAILED(hr) ? DISP_E_TYPEMISMATCH : S_OK;
}

HRESULT ChangeResolved(VARIANT* dest, const VARIANT& src, VARTYPE vt) {
  if (src.vt == vt) return VariantCopy(dest, &src);
  if (vt == VT_EMPTY) {
    dest->vt = VT_EMPTY;
    return S_OK;
  }
  if (src.vt == VT_NULL) return vt == VT_NULL ? S_OK : DISP_E_TYPEMISMATCH;
  if (src.vt == VT_DISPATCH && !IsObjectType(vt)) {
    VARIANT value;
    HRESULT hr = DefaultValue(src.pdispVal, &value);
    if (FAILED(hr)) return hr;
    hr = (value.vt == VT_DISPATCH) ? DISP_E_TYPEMISMATCH : ChangeResolved(dest, value, vt);
    VariantClear(&value);
    return hr;
  }
  if (IsObjectType(vt)) {
    if (!IsObjectType(src.vt) && src.vt != VT_EMPTY) return DISP_E_TYPEMISMATCH;
    IUnknown* object = src.vt == VT_EMPTY ? nullptr : src.punkVal;
    void* result = nullptr;
    if (object != nullptr &&
        FAILED(object->QueryInterface(vt == VT_DISPATCH ? IID_IDispatch : IID_IUnknown, &result))) {
      return DISP_E_TYPEMISMATCH;
    }
    dest->vt = vt;
    dest->punkVal = static_cast<IUnknown*>(result);
    return S_OK;
  }
  if (vt == VT_BSTR) return ToText(src, dest);
  double number = 0;
  if (src.vt == VT_BSTR) {
    if (!ParseNumber(src.bstrVal, &number)) return DISP_E_TYPEMISMATCH;
  } else if (!NumericValue(src, &number)) {
    return DISP_E_TYPEMISMATCH;
  }
  switch (vt) {
    case VT_BOOL:
      dest->vt = VT_BOOL;
      dest->boolVal = number != 0 ? VARIANT_TRUE : VARIANT_FALSE;
      return S_OK;
    case VT_R8:
      dest->vt = VT_R8;
      dest->dblVal = number;
      return S_OK;
    case VT_R4:
      dest->vt = VT_R4;
      dest->fltVal = static_cast<FLOAT>(number);
      return S_OK;
    case VT_DATE:
      dest->vt = VT_DATE;
      dest->date = number;
      return S_OK;
    default:
      return StoreInteger(number, vt, dest);
  }
}

}  // namespace

STDAPI_(void) VariantInit(VARIANTARG* pvarg) {
  std::memset(pvarg, 0, sizeof *pvarg);
  pvarg->vt = VT_EMPTY;
}

STDAPI VariantClear(VARIANTARG* pvarg) {
  if (pvarg == nullptr) return E_INVALIDARG;
  if ((pvarg->vt & VT_BYREF) == 0) {
    if ((pvarg->vt & VT_ARRAY) != 0) {
      SafeArrayDestroy(pvarg->parray);
    } else if (pvarg->vt == VT_BSTR) {
      SysFreeString(pvarg->bstrVal);
    } else if (IsObjectType(pvarg->vt) && pvarg->punkVal != nullptr) {
      pvarg->punkVal->Release();
    }
  }
  VariantInit(pvarg);
  return S_OK;
}

STDAPI VariantCopy(VARIANTARG* pvargDest, const VARIANTARG* pvargSrc) {
  if (pvargDest == nullptr || pvargSrc == nullptr) return E_INVALIDARG;
  if (pvargDest == pvargSrc) return S_OK;
  VARIANT copy = *pvargSrc;
  if ((copy.vt & VT_BYREF) == 0) {
    if ((copy.vt & VT_ARRAY) != 0) {
      copy.parray = nullptr;
      if (pvargSrc->parray != nullptr) {
        HRESULT hr = SafeArrayCopy(pvargSrc->parray, &copy.parray);
        if (FAILED(hr)) return hr;
      }
    } else if (copy.vt == VT_BSTR && copy.bstrVal != nullptr) {
      copy.bstrVal = SysAllocStringLen(copy.bstrVal, SysStringLen(copy.bstrVal));
      if (copy.bstrVal == nullptr) return E_OUTOFMEMORY;
    } else if (IsObjectType(copy.vt) && copy.punkVal != nullptr) {
      copy.punkVal->AddRef();
    }
  }
  VariantClear(pvargDest);
  *pvargDest = copy;
  return S_OK;
}

STDAPI VariantCopyInd(VARIANT* pvarDest, const VARIANTARG* pvargSrc) {
  if (pvarDest == nullptr || pvargSrc == nullptr) return E_INVALIDARG;
  if ((pvargSrc->vt & VT_BYREF) == 0) return VariantCopy(pvarDest, pvargSrc);
  VARIANT shallow;
  VariantInit(&shallow);
  VARTYPE base = pvargSrc->vt & ~VT_BYREF;
  if (pvargSrc->byref == nullptr) return E_INVALIDARG;
  if (base == VT_VARIANT) return VariantCopyInd(pvarDest, pvargSrc->pvarVal);
  shallow.vt = base;
  if ((base & VT_ARRAY) != 0) {
    shallow.parray = *pvargSrc->pparray;
  } else {
    switch (base) {
      case VT_I1:
        shallow.cVal = *pvargSrc->pcVal;
        break;
      case VT_UI1:
        shallow.bVal = *pvargSrc->pbVal;
        break;
      case VT_I2:
        shallow.iVal = *pvargSrc->piVal;
        break;
      case VT_UI2:
        shallow.uiVal = *pvargSrc->puiVal;
        break;
      case VT_I4:
        shallow.lVal = *pvargSrc->plVal;
        break;
      case VT_UI4:
        shallow.ulVal = *pvargSrc->pulVal;
        break;
      case VT_INT:
        shallow.intVal = *pvargSrc->pintVal;
        break;
      case VT_UINT:
        shallow.uintVal = *pvargSrc->puintVal;
        break;
      case VT_I8:
        shallow.llVal = *pvargSrc->pllVal;
        break;
      case VT_UI8:
        shallow.ullVal = *pvargSrc->pullVal;
        break;
      case VT_R4:
        shallow.fltVal = *pvargSrc->pfltVal;
        break;
      case VT_R8:
        shallow.dblVal = *pvargSrc->pdblVal;
        break;
      case VT_DATE:
        shallow.date = *pvargSrc->pdate;
        break;
      case VT_BOOL:
        shallow.boolVal = *pvargSrc->pboolVal;
        break;
      case VT_ERROR:
        shallow.scode = *pvargSrc->pscode;
        break;
      case VT_CY:
        shallow.cyVal = *pvargSrc->pcyVal;
        break;
      case VT_BSTR:
        shallow.bstrVal = *pvargSrc->pbstrVal;
        break;
      case VT_DISPATCH:
        shallow.pdispVal = *pvargSrc->ppdispVal;
        break;
      case VT_UNKNOWN:
        shallow.punkVal = *pvargSrc->ppunkVal;
        break;
      default:
        return DISP_E_BADVARTYPE;
    }
  }
  return VariantCopy(pvarDest, &shallow);  // deep copy of the referenced value
}

STDAPI VariantChangeType(VARIANTARG* pvargDest, const VARIANTARG* pvarSrc, USHORT /*wFlags*/,
                         VARTYPE vt) {
  if (pvargDest == nullptr || pvarSrc == nullptr) return E_INVALIDARG;
  VARIANT source;
  VariantInit(&source);
  HRESULT hr = VariantCopyInd(&source, pvarSrc);
  if (FAILED(hr)) return hr;
  VARIANT result;
  VariantInit(&result);
  hr = ChangeResolved(&result, source, vt);
  VariantClear(&source);
  if (FAILED(hr)) return hr;
  VariantClear(pvargDest);
  *pvargDest = result;
  return S_OK;
}
