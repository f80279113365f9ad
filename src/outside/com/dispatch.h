// Late binding derived from an interface's member table.
//
// Each table line becomes a MemberEntry: the member's name, dispatch
// identifier, kind, and an invoker that turns the DISPPARAMS of a call by
// name into a call of the typed vtable method, and its result back into a
// VARIANT. Arguments are coerced as automation does: any integer width,
// strings, booleans, values by reference, a missing optional VARIANT.
#ifndef OLCONN97_OUTSIDE_COM_DISPATCH_H_
#define OLCONN97_OUTSIDE_COM_DISPATCH_H_

#include <span>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "olconn97/hostlib.h"
#include "outside/com/com_ptr.h"
#include "outside/com/error_info.h"
#include "outside/com/signature.h"
#include "outside/com/variant.h"

namespace olconn97::com {

// Arguments in their natural order (first argument first); null for an
// argument the caller left out.
using ArgList = std::span<VARIANT* const>;

// Invokes one member on `iface`. Sets *argument_error to the index of the
// argument that could not be converted (-1 when the member itself failed
// or the argument count was wrong).
using InvokeFn = HRESULT (*)(IDispatch* iface, ArgList args, VARIANT* result, int* argument_error);

struct MemberEntry {
  std::string_view name;
  DISPID dispid;
  MemberKind kind;
  InvokeFn invoke;
};

class DispatchTable {
 public:
  // `prefix` is the interface name: members answer with it added or removed.
  DispatchTable(std::vector<MemberEntry> entries, std::string_view prefix);

  // The dispatch identifier of a member name, DISPID_UNKNOWN when none.
  DISPID IdOfName(std::string_view name) const;
  // The member for a call with these flags, or null.
  const MemberEntry* Find(DISPID dispid, WORD flags) const;
  const std::vector<MemberEntry>& entries() const { return entries_; }

 private:
  std::vector<MemberEntry> entries_;
  std::string_view prefix_;
};

// IDispatch::GetIDsOfNames and IDispatch::Invoke over a table.
HRESULT NamesFromTable(const DispatchTable& table, LPOLESTR* names, UINT count, DISPID* ids);
// `class_name` is the source of a failure that names none.
HRESULT InvokeFromTable(const DispatchTable& table, std::string_view class_name, IDispatch* iface,
                        DISPID dispid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argument_error);

// The arguments of a call in natural order (for a property write: only its
// value); fails for named arguments other than the value of a write.
HRESULT ArrangeArguments(DISPPARAMS* params, bool put, std::vector<VARIANT*>* args);
// Moves the thread's error information into EXCEPINFO (scode = hr). What
// it lacks (a member may fail without setting any) comes from `origin`: a
// host always gets a description and a source.
void FillException(HRESULT hr, EXCEPINFO* exception, const FailureOrigin& origin);

// --- argument and result slots, chosen by automation type and C++ type ---

HRESULT CoerceArgument(const VARIANT* from, VARTYPE vt, Variant* into);
// The object an argument holds (by value or by reference); null for
// Empty, Null or Nothing.
HRESULT ObjectArgument(const VARIANT* from, REFIID iid, void** object);
// Where an in/out object argument writes back: the caller's variable, or
// null when the argument came by value.
IDispatch** ObjectArgumentTarget(VARIANT* from);

template <TypeCode C, typename T>
class ArgSlot {
 public:
  HRESULT Load(VARIANT* from) {
    if (from == nullptr) return DISP_E_BADPARAMCOUNT;
    return CoerceArgument(from, VtOf(), &holder_);
  }
  T Get() {
    const VARIANT& v = holder_.raw();
    if constexpr (C == TypeCode::kBstr) return v.bstrVal;
    if constexpr (C == TypeCode::kI2) return v.iVal;
    if constexpr (C == TypeCode::kI4) return v.lVal;
    if constexpr (C == TypeCode::kBool) return v.boolVal;
    if constexpr (C == TypeCode::kR8) return v.dblVal;
    if constexpr (C == TypeCode::kDate) return v.date;
  }
  void Finish() {}

 private:
  static constexpr VARTYPE VtOf() {
    switch (C) {
      case TypeCode::kBstr:
        return VT_BSTR;
      case TypeCode::kI2:
        return VT_I2;
      case TypeCode::kI4:
        return VT_I4;
      case TypeCode::kBool:
        return VT_BOOL;
      case TypeCode::kR8:
        return VT_R8;
      case TypeCode::kDate:
        return VT_DATE;
      default:
        return VT_EMPTY;
    }
  }
  Variant holder_;
};

template <>
class ArgSlot<TypeCode::kVariant, VARIANT> {
 public:
  HRESULT Load(VARIANT* from) {
    holder_ = from == nullptr ? Variant::Error(DISP_E_PARAMNOTFOUND) : Variant::CopyOfValue(*from);
    return S_OK;
  }
  VARIANT Get() { return holder_.raw(); }  // the callee borrows it
  void Finish() {}

 private:
  Variant holder_;
};

template <typename I>
class ArgSlot<TypeCode::kObject, I*> {
 public:
  HRESULT Load(VARIANT* from) {
    if (from == nullptr) return DISP_E_BADPARAMCOUNT;
    return ObjectArgument(from, olc_interface_id<I>::value,
                          reinterpret_cast<void**>(holder_.Receive()));
  }
  I* Get() { return holder_.get(); }
  void Finish() {}

 private:
  ComPtr<I> holder_;
};

template <typename I>
class ArgSlot<TypeCode::kObjectInOut, I**> {
 public:
  ArgSlot() = default;
  ArgSlot(const ArgSlot&) = delete;
  ArgSlot& operator=(const ArgSlot&) = delete;
  ~ArgSlot() {
    if (slot_ != nullptr) slot_->Release();
  }
  HRESULT Load(VARIANT* from) {
    if (from == nullptr) return DISP_E_BADPARAMCOUNT;
    HRESULT hr = ObjectArgument(from, olc_interface_id<I>::value, reinterpret_cast<void**>(&slot_));
    if (SUCCEEDED(hr)) target_ = ObjectArgumentTarget(from);
    return hr;
  }
  I** Get() { return &slot_; }
  // The callee may have replaced the object: the caller's variable gets it.
  void Finish() {
    if (target_ == nullptr) return;
    if (*target_ != nullptr) (*target_)->Release();
    *target_ = slot_;  // the reference moves to the caller
    slot_ = nullptr;
  }

 private:
  I* slot_ = nullptr;
  IDispatch** target_ = nullptr;
};

template <TypeCode C, typename R>
class ResultSlot {
 public:
  ResultSlot() {
    if constexpr (C == TypeCode::kVariant) VariantInit(&value_);
  }
  ResultSlot(const ResultSlot&) = delete;
  ResultSlot& operator=(const ResultSlot&) = delete;
  ~ResultSlot() { Discard(); }

  R* Get() { return &value_; }

  // Moves the result into `out` (or drops it when the caller wants none).
  void Store(VARIANT* out) {
    if (out == nullptr) return;
    VariantInit(out);
    if constexpr (C == TypeCode::kBstr) {
      out->vt = VT_BSTR;
      out->bstrVal = std::exchange(value_, nullptr);
    } else if constexpr (C == TypeCode::kI2) {
      out->vt = VT_I2;
      out->iVal = value_;
    } else if constexpr (C == TypeCode::kI4) {
      out->vt = VT_I4;
      out->lVal = value_;
    } else if constexpr (C == TypeCode::kBool) {
      out->vt = VT_BOOL;
      out->boolVal = value_ ? VARIANT_TRUE : VARIANT_FALSE;
    } else if constexpr (C == TypeCode::kR8) {
      out->vt = VT_R8;
      out->dblVal = value_;
    } else if constexpr (C == TypeCode::kDate) {
      out->vt = VT_DATE;
      out->date = value_;
    } else if constexpr (C == TypeCode::kVariant) {
      *out = value_;
      VariantInit(&value_);
    } else if constexpr (C == TypeCode::kObject) {
      using I = std::remove_pointer_t<R>;
      if constexpr (std::is_same_v<I, IUnknown>) {
        out->vt = VT_UNKNOWN;
        out->punkVal = std::exchange(value_, nullptr);
      } else {
        out->vt = VT_DISPATCH;
        out->pdispVal = static_cast<IDispatch*>(std::exchange(value_, nullptr));
      }
    }
  }

  void Discard() {
    if constexpr (C == TypeCode::kBstr) {
      SysFreeString(std::exchange(value_, nullptr));
    } else if constexpr (C == TypeCode::kVariant) {
      VariantClear(&value_);
    } else if constexpr (C == TypeCode::kObject) {
      if (R object = std::exchange(value_, nullptr)) object->Release();
    }
  }

 private:
  R value_{};
};

template <typename Pmf>
struct MemberInvoker;

template <typename C, typename... A>
struct MemberInvoker<HRESULT (STDMETHODCALLTYPE C::*)(A...)> {
  template <auto Pmf, MemberKind Kind, Signature Sig>
  static HRESULT Run(IDispatch* self, ArgList args, VARIANT* result, int* argument_error) {
    constexpr bool kHasResult = Kind == MemberKind::kGet || Kind == MemberKind::kFunc;
    constexpr size_t kInputs = sizeof...(A) - (kHasResult ? 1 : 0);
    static_assert(kInputs == static_cast<size_t>(Sig.arg_count),
                  "the table line and the vtable method disagree");
    if (args.size() > kInputs) return DISP_E_BADPARAMCOUNT;
    return Call<Pmf, Sig, kHasResult>(static_cast<C*>(self), args, result, argument_error,
                                      std::make_index_sequence<kInputs>{});
  }

 private:
  template <auto Pmf, Signature Sig, bool kHasResult, size_t... I>
  static HRESULT Call(C* target, ArgList args, VARIANT* result, int* argument_error,
                      std::index_sequence<I...>) {
    using Types = std::tuple<A...>;
    std::tuple<ArgSlot<Sig.args[I], std::tuple_element_t<I, Types>>...> slots;
    HRESULT hr = S_OK;
    [[maybe_unused]] auto load = [&](auto& slot, size_t index) {
      if (FAILED(hr)) return;
      hr = slot.Load(index < args.size() ? args[index] : nullptr);
      if (FAILED(hr)) *argument_error = hr == DISP_E_BADPARAMCOUNT ? -1 : static_cast<int>(index);
    };
    (load(std::get<I>(slots), I), ...);
    if (FAILED(hr)) return hr;
    if constexpr (kHasResult) {
      using R = std::remove_pointer_t<std::tuple_element_t<sizeof...(A) - 1, Types>>;
      ResultSlot<Sig.result, R> out;
      hr = (target->*Pmf)(std::get<I>(slots).Get()..., out.Get());
      (std::get<I>(slots).Finish(), ...);
      if (SUCCEEDED(hr)) out.Store(result);
    } else {
      hr = (target->*Pmf)(std::get<I>(slots).Get()...);
      (std::get<I>(slots).Finish(), ...);
    }
    return hr;
  }
};

template <auto Pmf, MemberKind Kind, Signature Sig>
HRESULT InvokeMember(IDispatch* self, ArgList args, VARIANT* result, int* argument_error) {
  return MemberInvoker<decltype(Pmf)>::template Run<Pmf, Kind, Sig>(self, args, result,
                                                                    argument_error);
}

#define OLC_KIND_GET ::olconn97::com::MemberKind::kGet
#define OLC_KIND_PUT ::olconn97::com::MemberKind::kPut
#define OLC_KIND_METHOD ::olconn97::com::MemberKind::kMethod
#define OLC_KIND_FUNC ::olconn97::com::MemberKind::kFunc

// One table entry; `Iface` must name the interface where this expands.
#define OLC_DISPATCH_ENTRY_(kind, name, dispid, R, ...)                               \
  ::olconn97::com::MemberEntry{                                                       \
      #name, dispid, OLC_KIND_##kind,                                                 \
      &::olconn97::com::InvokeMember<&Iface::OLC_VNAME_##kind(name), OLC_KIND_##kind, \
                                     ::olconn97::com::ParseSignature(#R, #__VA_ARGS__)>},

// The dispatch table of a host interface, built once from its member table.
template <typename Iface>
const DispatchTable& DispatchTableOf();
template <>
const DispatchTable& DispatchTableOf<DataConnector>();
template <>
const DispatchTable& DispatchTableOf<ContactRecord>();
template <>
const DispatchTable& DispatchTableOf<Contact>();
template <>
const DispatchTable& DispatchTableOf<PIMActions>();
template <>
const DispatchTable& DispatchTableOf<PIMAction>();
template <>
const DispatchTable& DispatchTableOf<ActionProperties>();
template <>
const DispatchTable& DispatchTableOf<ActionProperty>();

}  // namespace olconn97::com

#endif  // OLCONN97_OUTSIDE_COM_DISPATCH_H_
