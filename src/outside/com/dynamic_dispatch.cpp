#include "outside/com/dynamic_dispatch.h"

#include "base/strings.h"
#include "outside/com/dispatch.h"
#include "outside/com/error_info.h"

namespace olconn97::com {

bool NameMatches(std::string_view a, std::string_view b) { return EqualsIgnoreCase(a, b); }

HRESULT InvokeDynamic(const std::function<Result<Variant>(Arguments)>& read,
                      const std::function<Status(Arguments, const Variant&)>& write, WORD flags,
                      DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                      const FailureOrigin& origin) {
  ClearErrorInfo();
  if (result != nullptr) VariantInit(result);
  bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
  if (put ? !write : !read) return DISP_E_MEMBERNOTFOUND;
  std::vector<Variant> args;
  Variant value;
  if (put) {
    // The value is the named DISPID_PROPERTYPUT argument (rgvarg[0]); any
    // other arguments are the property's indexes.
    if (params == nullptr || params->cArgs == 0) return DISP_E_PARAMNOTFOUND;
    value = Variant::CopyOfValue(params->rgvarg[0]);
    for (UINT i = params->cArgs; i > 1; --i) {
      args.push_back(Variant::CopyOfValue(params->rgvarg[i - 1]));
    }
  } else {
    std::vector<VARIANT*> raw;
    HRESULT hr = ArrangeArguments(params, false, &raw);
    if (FAILED(hr)) return hr;
    for (VARIANT* arg : raw) args.push_back(Variant::CopyOfValue(*arg));
  }
  if (put) {
    Status status = write(args, value);
    if (status.ok()) return S_OK;
    FillException(ReportFailure(status, origin), exception, origin);
    return DISP_E_EXCEPTION;
  }
  Result<Variant> answer = read(args);
  if (!answer.ok()) {
    FillException(ReportFailure(answer.status(), origin), exception, origin);
    return DISP_E_EXCEPTION;
  }
  if (result != nullptr) *result = std::move(answer).value().Detach();
  return S_OK;
}

Result<Variant> Argument(Arguments args, size_t index) {
  if (index >= args.size() || args[index].IsMissing()) {
    return Status::InvalidArgument("Argument not optional").WithNumber(DISP_E_PARAMNOTFOUND);
  }
  return args[index];
}

namespace {

class Enumerator final : public Object<Enumerator, IEnumVARIANT> {
 public:
  explicit Enumerator(std::vector<Variant> items, size_t position = 0)
      : items_(std::move(items)), position_(position) {}

  HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* out, ULONG* fetched) override {
    if (out == nullptr) return E_POINTER;
    ULONG given = 0;
    while (given < count && position_ < items_.size()) {
      VariantInit(&out[given]);
      VariantCopy(&out[given], &items_[position_].raw());
      ++given;
      ++position_;
    }
    if (fetched != nullptr) *fetched = given;
    return given == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    size_t left = items_.size() - position_;
    position_ += std::min<size_t>(left, count);
    return count <= left ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    position_ = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** out) override {
    if (out == nullptr) return E_POINTER;
    *out = MakeObject<Enumerator>(items_, position_).Detach();
    return S_OK;
  }

 private:
  std::vector<Variant> items_;
  size_t position_;
};

}  // namespace

ComPtr<IEnumVARIANT> MakeEnumerator(std::vector<Variant> items) {
  return MakeObject<Enumerator>(std::move(items));
}

}  // namespace olconn97::com
