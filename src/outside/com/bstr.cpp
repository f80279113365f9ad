// BSTR: UTF-8 bytes preceded by their 4-byte count and followed by a NUL.
// The count makes embedded NULs possible and the length O(1), as on Windows.
#include <cstdlib>
#include <cstring>

#include "olconn97/com.h"

namespace {

constexpr size_t kPrefix = sizeof(uint32_t);
constexpr uint32_t kMaxBytes = 0x7FFFFFF0u;

BSTR Allocate(const char* bytes, uint32_t length) {
  if (length > kMaxBytes) return nullptr;
  auto* block = static_cast<char*>(std::malloc(kPrefix + length + 1));
  if (block == nullptr) return nullptr;
  std::memcpy(block, &length, kPrefix);
  char* text = block + kPrefix;
  if (bytes != nullptr) {
    std::memcpy(text, bytes, length);
  } else {
    std::memset(text, 0, length);
  }
  text[length] = '\0';
  return text;
}

}  // namespace

STDAPI_(BSTR) SysAllocString(const OLECHAR* psz) {
  if (psz == nullptr) return nullptr;
  size_t length = std::strlen(psz);
  if (length > kMaxBytes) return nullptr;
  return Allocate(psz, static_cast<uint32_t>(length));
}

STDAPI_(BSTR) SysAllocStringLen(const OLECHAR* strIn, UINT ui) { return Allocate(strIn, ui); }

STDAPI_(BSTR) SysAllocStringByteLen(const char* psz, UINT len) { return Allocate(psz, len); }

STDAPI_(int) SysReAllocString(BSTR* pbstr, const OLECHAR* psz) {
  if (pbstr == nullptr) return 0;
  BSTR fresh = SysAllocString(psz);
  if (fresh == nullptr && psz != nullptr) return 0;
  SysFreeString(*pbstr);
  *pbstr = fresh;
  return 1;
}

STDAPI_(void) SysFreeString(BSTR bstrString) {
  if (bstrString != nullptr) std::free(bstrString - kPrefix);
}

STDAPI_(UINT) SysStringLen(BSTR pbstr) {
  if (pbstr == nullptr) return 0;
  uint32_t length;
  std::memcpy(&length, pbstr - kPrefix, kPrefix);
  return length;
}

STDAPI_(UINT) SysStringByteLen(BSTR bstr) { return SysStringLen(bstr); }
