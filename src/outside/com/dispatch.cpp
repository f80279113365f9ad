#include "outside/com/dispatch.h"

#include "base/strings.h"
#include "outside/com/error_info.h"

namespace olconn97::com {

DispatchTable::DispatchTable(std::vector<MemberEntry> entries, std::string_view prefix)
    : entries_(std::move(entries)), prefix_(prefix) {}

DISPID DispatchTable::IdOfName(std::string_view name) const {
  auto find = [&](std::string_view wanted) -> const MemberEntry* {
    for (const MemberEntry& entry : entries_) {
      if (EqualsIgnoreCase(entry.name, wanted)) return &entry;
    }
    return nullptr;
  };
  if (const MemberEntry* entry = find(name)) return entry->dispid;
  // "Prefix_Member" names "Member" and the other way round.
  std::string prefixed = std::string(prefix_) + "_";
  if (name.size() > prefixed.size() &&
      EqualsIgnoreCase(name.substr(0, prefixed.size()), prefixed)) {
    if (const MemberEntry* entry = find(name.substr(prefixed.size()))) return entry->dispid;
  }
  if (const MemberEntry* entry = find(prefixed + std::string(name))) return entry->dispid;
  return DISPID_UNKNOWN;
}

const MemberEntry* DispatchTable::Find(DISPID dispid, WORD flags) const {
  bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
  for (const MemberEntry& entry : entries_) {
    if (entry.dispid != dispid) continue;
    bool is_put = entry.kind == MemberKind::kPut;
    if (put == is_put) return &entry;
  }
  return nullptr;
}

HRESULT NamesFromTable(const DispatchTable& table, LPOLESTR* names, UINT count, DISPID* ids) {
  if (names == nullptr || ids == nullptr) return E_POINTER;
  if (count == 0) return S_OK;
  ids[0] = names[0] == nullptr ? DISPID_UNKNOWN : table.IdOfName(names[0]);
  // Parameter names are not known: a call names its arguments by position.
  for (UINT i = 1; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  return (ids[0] == DISPID_UNKNOWN || count > 1) ? DISP_E_UNKNOWNNAME : S_OK;
}

void FillException(HRESULT hr, EXCEPINFO* exception, const FailureOrigin& origin) {
  if (exception == nullptr) return;
  *exception = EXCEPINFO{};
  ComPtr<IErrorInfo> info;
  GetErrorInfo(0, info.Receive());
  Bstr source;
  Bstr description;
  if (info) {
    info->GetSource(source.Receive());
    info->GetDescription(description.Receive());
  }
  if (source.view().empty()) source = Bstr(origin.class_name);
  if (description.view().empty()) description = Bstr(DefaultDescription(hr, origin.member));
  exception->bstrSource = source.Detach();
  exception->bstrDescription = description.Detach();
  exception->scode = hr;
}

HRESULT ArrangeArguments(DISPPARAMS* params, bool put, std::vector<VARIANT*>* args) {
  if (params == nullptr || params->cArgs == 0) return put ? DISP_E_PARAMNOTFOUND : S_OK;
  if (params->rgvarg == nullptr) return E_INVALIDARG;
  UINT named = params->cNamedArgs;
  if (put) {
    bool named_value = named == 1 && params->rgdispidNamedArgs != nullptr &&
                       params->rgdispidNamedArgs[0] == DISPID_PROPERTYPUT;
    if (named > 1 || (named == 1 && !named_value)) return DISP_E_NONAMEDARGS;
    if (params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
    args->push_back(&params->rgvarg[0]);
    return S_OK;
  }
  if (named > 0) return DISP_E_NONAMEDARGS;
  for (UINT i = params->cArgs; i > 0; --i) args->push_back(&params->rgvarg[i - 1]);
  return S_OK;
}

HRESULT InvokeFromTable(const DispatchTable& table, std::string_view class_name, IDispatch* iface,
                        DISPID dispid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argument_error) {
  ClearErrorInfo();
  if (result != nullptr) VariantInit(result);
  const MemberEntry* entry = table.Find(dispid, flags);
  if (entry == nullptr) return DISP_E_MEMBERNOTFOUND;
  std::vector<VARIANT*> args;
  HRESULT hr = ArrangeArguments(params, entry->kind == MemberKind::kPut, &args);
  if (FAILED(hr)) return hr;
  int bad_argument = -1;
  hr = entry->invoke(iface, args, result, &bad_argument);
  if (SUCCEEDED(hr)) return hr;
  if (hr == DISP_E_BADPARAMCOUNT) return hr;
  if (bad_argument >= 0) {
    if (argument_error != nullptr) *argument_error = params->cArgs - 1 - bad_argument;
    return hr;
  }
  FillException(hr, exception, {class_name, entry->name});
  return DISP_E_EXCEPTION;
}

HRESULT CoerceArgument(const VARIANT* from, VARTYPE vt, Variant* into) {
  return VariantChangeType(into->raw_mut(), from, 0, vt);
}

HRESULT ObjectArgument(const VARIANT* from, REFIID iid, void** object) {
  *object = nullptr;
  Variant value = Variant::CopyOfValue(*from);
  const VARIANT& v = value.raw();
  if (v.vt == VT_EMPTY || v.vt == VT_NULL) return S_OK;
  if (v.vt == VT_ERROR && v.scode == DISP_E_PARAMNOTFOUND) return S_OK;
  if (v.vt != VT_DISPATCH && v.vt != VT_UNKNOWN) return DISP_E_TYPEMISMATCH;
  if (v.punkVal == nullptr) return S_OK;
  return SUCCEEDED(v.punkVal->QueryInterface(iid, object)) ? S_OK : DISP_E_TYPEMISMATCH;
}

IDispatch** ObjectArgumentTarget(VARIANT* from) {
  if (from->vt == (VT_BYREF | VT_VARIANT) && from->pvarVal != nullptr) {
    VARIANT* inner = from->pvarVal;
    // A variable of type Variant: it holds the object itself from now on.
    if (inner->vt != VT_DISPATCH) {
      VariantClear(inner);
      inner->vt = VT_DISPATCH;
      inner->pdispVal = nullptr;
    }
    return &inner->pdispVal;
  }
  if (from->vt == (VT_BYREF | VT_DISPATCH)) return from->ppdispVal;
  return nullptr;
}

}  // namespace olconn97::com
