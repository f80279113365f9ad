// A host-visible object: a host interface implemented by a plain C++ class.
//
// AutomationObject<Iface, Impl> is the COM object. Its vtable methods are
// generated from the interface's member table and forward each typed call
// to Impl, converting on the way:
//
//   table type      Impl receives          Impl returns (GET and FUNC)
//   BSTR            std::string_view       std::string
//   LONG / SHORT    int32_t / int16_t      int32_t / int16_t
//   VARIANT_BOOL    bool                   bool
//   VARIANT         const VARIANT&         com::Variant
//   Iface*          Iface* (borrowed)      com::ComPtr<Iface-or-derived>
//   Iface**         Iface** (in/out)
//
// A GET member `X` calls Impl's `X()`, a PUT calls `X(value)`, METHOD and
// FUNC call `X(args...)`. Results may be wrapped in Result<T>, PUT and
// METHOD may return Status: a failure becomes the call's HRESULT with its
// description and source in the thread's error information (a failure
// that names no source has the class's name, "cContact", as its source).
// The same table gives the late binding by name (dispatch.h), which calls
// these vtable methods, so both ways into the object run the same code.
#ifndef OLCONN97_OUTSIDE_COM_AUTOMATION_OBJECT_H_
#define OLCONN97_OUTSIDE_COM_AUTOMATION_OBJECT_H_

#include <atomic>
#include <exception>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "base/result.h"
#include "outside/com/com_ptr.h"
#include "outside/com/dispatch.h"
#include "outside/com/error_info.h"
#include "outside/com/object.h"
#include "outside/com/variant.h"

namespace olconn97::com {

template <typename T>
struct IsResult : std::false_type {};
template <typename T>
struct IsResult<Result<T>> : std::true_type {};

// One argument as Impl receives it.
template <TypeCode C, typename T>
decltype(auto) In(T& value) {
  if constexpr (C == TypeCode::kBstr) {
    return BstrView(value);
  } else if constexpr (C == TypeCode::kBool) {
    return value != VARIANT_FALSE;
  } else if constexpr (C == TypeCode::kI2) {
    return static_cast<int16_t>(value);
  } else if constexpr (C == TypeCode::kI4) {
    return static_cast<int32_t>(value);
  } else if constexpr (C == TypeCode::kR8 || C == TypeCode::kDate) {
    return static_cast<double>(value);
  } else if constexpr (C == TypeCode::kVariant) {
    return static_cast<const VARIANT&>(value);
  } else {
    return value;  // interface pointers, borrowed or in/out
  }
}

// One result as the host receives it.
template <TypeCode C, typename R, typename T>
void Deliver(T&& value, R* out) {
  if constexpr (C == TypeCode::kBstr) {
    *out = AllocBstr(value);
  } else if constexpr (C == TypeCode::kBool) {
    *out = value ? VARIANT_TRUE : VARIANT_FALSE;
  } else if constexpr (C == TypeCode::kVariant) {
    *out = value.Detach();
  } else if constexpr (C == TypeCode::kObject) {
    *out = value.Detach();
  } else {
    *out = static_cast<R>(value);
  }
}

HRESULT ReportUnexpected(const char* what);

template <TypeCode C, typename R, typename F>
HRESULT ForwardResult(const FailureOrigin& origin, R* out, F&& produce) {
  ClearErrorInfo();
  if (out == nullptr) return E_POINTER;
  try {
    auto produced = produce();
    if constexpr (IsResult<decltype(produced)>::value) {
      if (!produced.ok()) return ReportFailure(produced.status(), origin);
      Deliver<C>(std::move(produced).value(), out);
    } else {
      Deliver<C>(std::move(produced), out);
    }
    return S_OK;
  } catch (const std::exception& e) {
    return ReportUnexpected(e.what());
  } catch (...) {
    return ReportUnexpected("unknown failure");
  }
}

template <typename F>
HRESULT ForwardStatus(const FailureOrigin& origin, F&& run) {
  ClearErrorInfo();
  try {
    if constexpr (std::is_void_v<decltype(run())>) {
      run();
      return S_OK;
    } else {
      Status status = run();
      return status.ok() ? S_OK : ReportFailure(status, origin);
    }
  } catch (const std::exception& e) {
    return ReportUnexpected(e.what());
  } catch (...) {
    return ReportUnexpected("unknown failure");
  }
}

#define OLC_IN_ARGS_0
#define OLC_IN_ARGS_1 ::olconn97::com::In<sig.args[0]>(p0)
#define OLC_IN_ARGS_2 OLC_IN_ARGS_1, ::olconn97::com::In<sig.args[1]>(p1)
#define OLC_IN_ARGS_3 OLC_IN_ARGS_2, ::olconn97::com::In<sig.args[2]>(p2)
#define OLC_IN_ARGS_(...) OLC_CAT_(OLC_IN_ARGS_, OLC_COUNT_(__VA_ARGS__))

#define OLC_ORIGIN_(name) \
  ::olconn97::com::FailureOrigin { this->kClassName, #name }
#define OLC_FORWARD_CALL_GET(name, ...)                              \
  ::olconn97::com::ForwardResult<sig.result>(OLC_ORIGIN_(name), ret, \
                                             [&]() { return this->impl().name(); })
#define OLC_FORWARD_CALL_FUNC(name, ...)      \
  ::olconn97::com::ForwardResult<sig.result>( \
      OLC_ORIGIN_(name), ret, [&]() { return this->impl().name(OLC_IN_ARGS_(__VA_ARGS__)); })
#define OLC_FORWARD_CALL_PUT(name, ...)             \
  ::olconn97::com::ForwardStatus(OLC_ORIGIN_(name), \
                                 [&]() { return this->impl().name(OLC_IN_ARGS_(__VA_ARGS__)); })
#define OLC_FORWARD_CALL_METHOD(name, ...) OLC_FORWARD_CALL_PUT(name, __VA_ARGS__)

#define OLC_FORWARD_(kind, name, dispid, R, ...)                                             \
  HRESULT STDMETHODCALLTYPE OLC_VNAME_##kind(name) OLC_SIG_##kind(R, __VA_ARGS__) override { \
    [[maybe_unused]] static constexpr ::olconn97::com::Signature sig =                       \
        ::olconn97::com::ParseSignature(#R, #__VA_ARGS__);                                   \
    return OLC_FORWARD_CALL_##kind(name, __VA_ARGS__);                                       \
  }

// The vtable of one host interface, forwarding to Impl. kClassName is the
// host-visible class that implements the interface, as the type library
// names it.
template <typename Iface, typename Impl, typename Derived>
class Forwarder;

#define OLC_DEFINE_FORWARDER_(Iface, Class, MEMBERS)                          \
  template <typename Impl, typename Derived>                                  \
  class Forwarder<Iface, Impl, Derived> : public Iface {                      \
   protected:                                                                 \
    Impl& impl() { return static_cast<Impl&>(static_cast<Derived&>(*this)); } \
                                                                              \
   public:                                                                    \
    static constexpr std::string_view kClassName = #Class;                    \
    MEMBERS(OLC_FORWARD_)                                                     \
  };

OLC_DEFINE_FORWARDER_(DataConnector, cDataConnector, OLCONN97_DATACONNECTOR_MEMBERS)
OLC_DEFINE_FORWARDER_(ContactRecord, cContactRecord, OLCONN97_CONTACTRECORD_MEMBERS)
OLC_DEFINE_FORWARDER_(Contact, cContact, OLCONN97_CONTACT_MEMBERS)
OLC_DEFINE_FORWARDER_(PIMActions, cPIMActions, OLCONN97_PIMACTIONS_MEMBERS)
OLC_DEFINE_FORWARDER_(PIMAction, cPIMAction, OLCONN97_PIMACTION_MEMBERS)
OLC_DEFINE_FORWARDER_(ActionProperties, cActionProperties, OLCONN97_ACTIONPROPERTIES_MEMBERS)
OLC_DEFINE_FORWARDER_(ActionProperty, cActionProperty, OLCONN97_ACTIONPROPERTY_MEMBERS)

template <typename Iface, typename Impl>
class AutomationObject final : public Forwarder<Iface, Impl, AutomationObject<Iface, Impl>>,
                               public Impl,
                               public ObjectBase {
 public:
  template <typename... Args>
  explicit AutomationObject(Args&&... args) : Impl(std::forward<Args>(args)...) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (riid == IID_OlconnSelf) {
      *ppv = static_cast<ObjectBase*>(this);
      return S_OK;
    }
    if (riid != IID_IUnknown && riid != IID_IDispatch && riid != olc_interface_id<Iface>::value) {
      return E_NOINTERFACE;
    }
    AddRef();
    *ppv = static_cast<Iface*>(this);
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) override {
    if (pctinfo == nullptr) return E_POINTER;
    *pctinfo = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) override {
    if (ppTInfo != nullptr) *ppTInfo = nullptr;
    return DISP_E_BADINDEX;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    return NamesFromTable(Table(), names, count, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID dispid, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception,
                                   UINT* argument_error) override {
    return InvokeFromTable(Table(), this->kClassName, static_cast<Iface*>(this),
                           dispid, flags, params, result, exception, argument_error);
  }

 private:
  // The interface's members, or the class's own table when its members by
  // name go beyond the interface (an action's CopyAction).
  static const DispatchTable& Table() {
    if constexpr (requires { Impl::ClassDispatchTable(); }) {
      return Impl::ClassDispatchTable();
    } else {
      return DispatchTableOf<Iface>();
    }
  }

  std::atomic<ULONG> references_{1};
};

// Creates an object implementing Iface with Impl(args...).
template <typename Iface, typename Impl, typename... Args>
ComPtr<Iface> MakeAutomationObject(Args&&... args) {
  return ComPtr<Iface>::Adopt(new AutomationObject<Iface, Impl>(std::forward<Args>(args)...));
}

// The Impl behind a host interface pointer, when it is one of ours.
template <typename Impl>
Impl* ImplOf(IUnknown* object) {
  return OwnObject<Impl>(object);
}

}  // namespace olconn97::com

#endif  // OLCONN97_OUTSIDE_COM_AUTOMATION_OBJECT_H_
