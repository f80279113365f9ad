// SAFEARRAY: descriptor, bounds and element storage. The element type is
// kept in front of the descriptor, where Windows keeps it too.
#include <cstdlib>
#include <cstring>
#include <new>

#include "olconn97/com.h"

namespace {

#define DISP_E_ARRAYISLOCKED_ ((HRESULT)0x8002000Du)

struct alignas(16) Header {
  VARTYPE vt;
};

constexpr size_t kHeaderSize = sizeof(Header);

size_t ElementSize(VARTYPE vt) {
  switch (vt) {
    case VT_I1:
    case VT_UI1:
      return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
      return 2;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_ERROR:
      return 4;
    case VT_I8:
    case VT_UI8:
    case VT_R8:
    case VT_DATE:
    case VT_CY:
      return 8;
    case VT_BSTR:
    case VT_DISPATCH:
    case VT_UNKNOWN:
      return sizeof(void*);
    case VT_VARIANT:
      return sizeof(VARIANT);
    default:
      return 0;
  }
}

USHORT FeaturesFor(VARTYPE vt) {
  switch (vt) {
    case VT_BSTR:
      return FADF_BSTR;
    case VT_DISPATCH:
      return FADF_DISPATCH;
    case VT_UNKNOWN:
      return FADF_UNKNOWN;
    case VT_VARIANT:
      return FADF_VARIANT;
    default:
      return 0;
  }
}

Header* HeaderOf(SAFEARRAY* psa) {
  return reinterpret_cast<Header*>(reinterpret_cast<char*>(psa) - kHeaderSize);
}

size_t CountOf(const SAFEARRAY* psa) {
  size_t count = 1;
  for (USHORT d = 0; d < psa->cDims; ++d) count *= psa->rgsabound[d].cElements;
  return count;
}

// Releases what an element holds (strings, references, nested values).
void ClearElement(VARTYPE vt, void* element) {
  if (vt == VT_BSTR) {
    SysFreeString(*static_cast<BSTR*>(element));
  } else if (vt == VT_DISPATCH || vt == VT_UNKNOWN) {
    if (auto* object = *static_cast<IUnknown**>(element)) object->Release();
  } else if (vt == VT_VARIANT) {
    VariantClear(static_cast<VARIANT*>(element));
  }
}

// Copies one element into uninitialised storage.
HRESULT CopyElement(VARTYPE vt, const void* from, void* to, size_t size) {
  if (vt == VT_BSTR) {
    BSTR source = *static_cast<const BSTR*>(from);
    *static_cast<BSTR*>(to) =
        source == nullptr ? nullptr : SysAllocStringLen(source, SysStringLen(source));
  } else if (vt == VT_DISPATCH || vt == VT_UNKNOWN) {
    auto* object = *static_cast<IUnknown* const*>(from);
    if (object != nullptr) object->AddRef();
    *static_cast<IUnknown**>(to) = object;
  } else if (vt == VT_VARIANT) {
    VariantInit(static_cast<VARIANT*>(to));
    return VariantCopy(static_cast<VARIANT*>(to), static_cast<const VARIANT*>(from));
  } else {
    std::memcpy(to, from, size);
  }
  return S_OK;
}

// The address of an element; null when an index is out of bounds.
char* ElementAt(SAFEARRAY* psa, const LONG* indices) {
  size_t offset = 0;
  size_t stride = 1;
  for (USHORT d = 0; d < psa->cDims; ++d) {
    const SAFEARRAYBOUND& bound = psa->rgsabound[d];
    long long relative = static_cast<long long>(indices[d]) - bound.lLbound;
    if (relative < 0 || relative >= static_cast<long long>(bound.cElements)) return nullptr;
    offset += static_cast<size_t>(relative) * stride;
    stride *= bound.cElements;
  }
  return static_cast<char*>(psa->pvData) + offset * psa->cbElements;
}

}  // namespace

STDAPI_(SAFEARRAY*) SafeArrayCreate(VARTYPE vt, UINT cDims, SAFEARRAYBOUND* rgsabound) {
  size_t element_size = ElementSize(vt);
  if (element_size == 0 || cDims == 0 || cDims > 64 || rgsabound == nullptr) return nullptr;
  size_t descriptor = sizeof(SAFEARRAY) + (cDims - 1) * sizeof(SAFEARRAYBOUND);
  auto* block = static_cast<char*>(std::calloc(1, kHeaderSize + descriptor));
  if (block == nullptr) return nullptr;
  reinterpret_cast<Header*>(block)->vt = vt;
  auto* psa = reinterpret_cast<SAFEARRAY*>(block + kHeaderSize);
  psa->cDims = static_cast<USHORT>(cDims);
  psa->fFeatures = FeaturesFor(vt);
  psa->cbElements = static_cast<ULONG>(element_size);
  for (UINT d = 0; d < cDims; ++d) psa->rgsabound[d] = rgsabound[d];
  size_t count = CountOf(psa);
  if (count > 0) {
    psa->pvData = std::calloc(count, element_size);
    if (psa->pvData == nullptr) {
      std::free(block);
      return nullptr;
    }
    if (vt == VT_VARIANT) {
      for (size_t i = 0; i < count; ++i) VariantInit(static_cast<VARIANT*>(psa->pvData) + i);
    }
  }
  return psa;
}

STDAPI_(SAFEARRAY*) SafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements) {
  SAFEARRAYBOUND bound{cElements, lLbound};
  return SafeArrayCreate(vt, 1, &bound);
}

STDAPI SafeArrayDestroy(SAFEARRAY* psa) {
  if (psa == nullptr) return S_OK;
  if (psa->cLocks > 0) return DISP_E_ARRAYISLOCKED_;
  VARTYPE vt = HeaderOf(psa)->vt;
  size_t count = CountOf(psa);
  for (size_t i = 0; i < count && psa->pvData != nullptr; ++i) {
    ClearElement(vt, static_cast<char*>(psa->pvData) + i * psa->cbElements);
  }
  std::free(psa->pvData);
  std::free(HeaderOf(psa));
  return S_OK;
}

STDAPI SafeArrayCopy(SAFEARRAY* psa, SAFEARRAY** ppsaOut) {
  if (ppsaOut == nullptr) return E_INVALIDARG;
  *ppsaOut = nullptr;
  if (psa == nullptr) return S_OK;
  VARTYPE vt = HeaderOf(psa)->vt;
  SAFEARRAY* copy = SafeArrayCreate(vt, psa->cDims, psa->rgsabound);
  if (copy == nullptr) return E_OUTOFMEMORY;
  size_t count = CountOf(psa);
  for (size_t i = 0; i < count; ++i) {
    size_t at = i * psa->cbElements;
    CopyElement(vt, static_cast<char*>(psa->pvData) + at, static_cast<char*>(copy->pvData) + at,
                psa->cbElements);
  }
  *ppsaOut = copy;
  return S_OK;
}

STDAPI_(UINT) SafeArrayGetDim(SAFEARRAY* psa) { return psa == nullptr ? 0 : psa->cDims; }

STDAPI_(UINT) SafeArrayGetElemsize(SAFEARRAY* psa) { return psa == nullptr ? 0 : psa->cbElements; }

STDAPI SafeArrayGetVartype(SAFEARRAY* psa, VARTYPE* pvt) {
  if (psa == nullptr || pvt == nullptr) return E_INVALIDARG;
  *pvt = HeaderOf(psa)->vt;
  return S_OK;
}

STDAPI SafeArrayGetLBound(SAFEARRAY* psa, UINT nDim, LONG* plLbound) {
  if (psa == nullptr || plLbound == nullptr) return E_INVALIDARG;
  if (nDim == 0 || nDim > psa->cDims) return DISP_E_BADINDEX;
  *plLbound = psa->rgsabound[nDim - 1].lLbound;
  return S_OK;
}

STDAPI SafeArrayGetUBound(SAFEARRAY* psa, UINT nDim, LONG* plUbound) {
  if (psa == nullptr || plUbound == nullptr) return E_INVALIDARG;
  if (nDim == 0 || nDim > psa->cDims) return DISP_E_BADINDEX;
  const SAFEARRAYBOUND& bound = psa->rgsabound[nDim - 1];
  *plUbound = static_cast<LONG>(static_cast<long long>(bound.lLbound) + bound.cElements - 1);
  return S_OK;
}

STDAPI SafeArrayGetElement(SAFEARRAY* psa, LONG* rgIndices, void* pv) {
  if (psa == nullptr || rgIndices == nullptr || pv == nullptr) return E_INVALIDARG;
  char* element = ElementAt(psa, rgIndices);
  if (element == nullptr) return DISP_E_BADINDEX;
  // The destination is taken as uninitialised, as automation does.
  return CopyElement(HeaderOf(psa)->vt, element, pv, psa->cbElements);
}

STDAPI SafeArrayPutElement(SAFEARRAY* psa, LONG* rgIndices, void* pv) {
  if (psa == nullptr || rgIndices == nullptr) return E_INVALIDARG;
  char* element = ElementAt(psa, rgIndices);
  if (element == nullptr) return DISP_E_BADINDEX;
  VARTYPE vt = HeaderOf(psa)->vt;
  if (vt == VT_VARIANT) {
    if (pv == nullptr) return E_INVALIDARG;
    return VariantCopy(reinterpret_cast<VARIANT*>(element), static_cast<const VARIANT*>(pv));
  }
  ClearElement(vt, element);
  if (vt == VT_BSTR || vt == VT_DISPATCH || vt == VT_UNKNOWN) {
    // These take the pointer itself, not a pointer to it.
    return CopyElement(vt, &pv, element, psa->cbElements);
  }
  if (pv == nullptr) return E_INVALIDARG;
  std::memcpy(element, pv, psa->cbElements);
  return S_OK;
}

STDAPI SafeArrayLock(SAFEARRAY* psa) {
  if (psa == nullptr) return E_INVALIDARG;
  ++psa->cLocks;
  return S_OK;
}

STDAPI SafeArrayUnlock(SAFEARRAY* psa) {
  if (psa == nullptr || psa->cLocks == 0) return E_UNEXPECTED;
  --psa->cLocks;
  return S_OK;
}

STDAPI SafeArrayAccessData(SAFEARRAY* psa, void** ppvData) {
  if (psa == nullptr || ppvData == nullptr) return E_INVALIDARG;
  ++psa->cLocks;
  *ppvData = psa->pvData;
  return S_OK;
}

STDAPI SafeArrayUnaccessData(SAFEARRAY* psa) { return SafeArrayUnlock(psa); }
