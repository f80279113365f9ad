#include "outside/com/error_info.h"

#include <atomic>
#include <cstdio>

#include "outside/com/com_ptr.h"
#include "outside/com/object.h"
#include "outside/com/variant.h"

namespace olconn97::com {

namespace {

std::atomic<long> module_locks{0};

// Error objects belong to the runtime, not to the driver's live objects: an
// error a host never fetched must not keep the library from unloading.
class ErrorInfo final : public IErrorInfo {
 public:
  ErrorInfo(std::string description, std::string source)
      : description_(std::move(description)), source_(std::move(source)) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (riid != IID_IUnknown && riid != IID_IErrorInfo) return E_NOINTERFACE;
    AddRef();
    *ppv = static_cast<IErrorInfo*>(this);
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE GetGUID(GUID* pGUID) override {
    if (pGUID == nullptr) return E_POINTER;
    *pGUID = IID_NULL;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetSource(BSTR* out) override { return Give(source_, out); }
  HRESULT STDMETHODCALLTYPE GetDescription(BSTR* out) override { return Give(description_, out); }
  HRESULT STDMETHODCALLTYPE GetHelpFile(BSTR* out) override { return Give({}, out); }
  HRESULT STDMETHODCALLTYPE GetHelpContext(DWORD* out) override {
    if (out == nullptr) return E_POINTER;
    *out = 0;
    return S_OK;
  }

 private:
  static HRESULT Give(const std::string& text, BSTR* out) {
    if (out == nullptr) return E_POINTER;
    *out = AllocBstr(text);
    return S_OK;
  }

  std::atomic<ULONG> references_{1};
  std::string description_;
  std::string source_;
};

// Initial-exec, as for every thread-local of the library: the storage is
// set aside when a host loads the library rather than made on first use,
// which costs no call per access and keeps LeakSanitizer (GCC 12), which
// misreads storage made on first use, from crashing at the host's exit.
[[gnu::tls_model("initial-exec")]] thread_local ComPtr<IErrorInfo> thread_error;

}  // namespace

void ModuleLock() { ++module_locks; }
void ModuleUnlock() { --module_locks; }
long ModuleLockCount() { return module_locks.load(); }

HRESULT ReportFailure(const Status& failure) {
  thread_error = MakeObject<ErrorInfo>(failure.description(), failure.source());
  HRESULT hr = failure.number();
  return SUCCEEDED(hr) ? E_FAIL : hr;
}

HRESULT ReportFailure(const Status& failure, const FailureOrigin& origin) {
  HRESULT hr = failure.number();
  if (SUCCEEDED(hr)) hr = E_FAIL;
  std::string description = failure.description();
  if (description.empty()) description = DefaultDescription(hr, origin.member);
  std::string source = failure.source().empty() ? std::string(origin.class_name) : failure.source();
  thread_error = MakeObject<ErrorInfo>(std::move(description), std::move(source));
  return hr;
}

std::string DefaultDescription(HRESULT hr, std::string_view member) {
  char code[32];
  std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(hr));
  return std::string(member) + " failed (" + code + ")";
}

void ClearErrorInfo() { thread_error.reset(); }

Status FailureFromHresult(HRESULT hr, const std::string& context) {
  ComPtr<IErrorInfo> info;
  GetErrorInfo(0, info.Receive());
  Bstr description;
  Bstr source;
  if (info) {
    info->GetDescription(description.Receive());
    info->GetSource(source.Receive());
  }
  std::string text = description.str();
  if (text.empty()) text = DefaultDescription(hr, context);
  return Status::Failed(std::move(text), source.str()).WithNumber(hr);
}

}  // namespace olconn97::com

STDAPI SetErrorInfo(ULONG /*dwReserved*/, IErrorInfo* perrinfo) {
  olconn97::com::thread_error = olconn97::com::ComPtr<IErrorInfo>(perrinfo);
  return S_OK;
}

STDAPI GetErrorInfo(ULONG /*dwReserved*/, IErrorInfo** pperrinfo) {
  if (pperrinfo == nullptr) return E_POINTER;
  *pperrinfo = olconn97::com::thread_error.Detach();
  return *pperrinfo == nullptr ? S_FALSE : S_OK;
}
