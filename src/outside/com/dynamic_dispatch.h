// Late binding for objects that have no host interface of their own: the
// contact store's Application, folders, items and collections answer by
// Outlook's member names only.
//
// A class lists its members in a MemberList: for each name, a read (a
// property get or a method call, taking the call's arguments) and/or a
// write (the property's new value). DispatchObject<T> implements IUnknown
// and IDispatch over that list; T::kClassName, the class's name as a host
// would see it ("ContactItem"), is the source of a failure that names none.
#ifndef OLCONN97_OUTSIDE_COM_DYNAMIC_DISPATCH_H_
#define OLCONN97_OUTSIDE_COM_DYNAMIC_DISPATCH_H_

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/result.h"
#include "outside/com/com_ptr.h"
#include "outside/com/error_info.h"
#include "outside/com/object.h"
#include "outside/com/variant.h"

namespace olconn97::com {

using Arguments = std::span<const Variant>;

// A member without a fixed dispatch identifier gets its position (1, 2, ...).
inline constexpr DISPID kPositionalDispid = INT32_MIN;

template <typename T>
struct DynamicMember {
  using Read = std::function<Result<Variant>(T&, Arguments)>;
  using Write = std::function<Status(T&, Arguments, const Variant& value)>;

  DynamicMember(std::string member_name, Read read_member, Write write_member = nullptr,
                DISPID fixed_dispid = kPositionalDispid)
      : name(std::move(member_name)),
        read(std::move(read_member)),
        write(std::move(write_member)),
        dispid(fixed_dispid) {}

  std::string name;
  Read read;      // get or call
  Write write;    // put
  DISPID dispid;  // kPositionalDispid, DISPID_VALUE or DISPID_NEWENUM
};

template <typename T>
class MemberList {
 public:
  // Members keep the dispatch identifiers of their position (1, 2, ...)
  // unless they asked for DISPID_VALUE or DISPID_NEWENUM.
  explicit MemberList(std::vector<DynamicMember<T>> members) : members_(std::move(members)) {
    DISPID next = 1;
    for (auto& member : members_) {
      if (member.dispid == kPositionalDispid) member.dispid = next;
      ++next;
    }
  }

  const DynamicMember<T>* FindByName(std::string_view name) const;
  const DynamicMember<T>* FindById(DISPID dispid) const {
    for (const auto& member : members_) {
      if (member.dispid == dispid) return &member;
    }
    return nullptr;
  }
  const std::vector<DynamicMember<T>>& members() const { return members_; }

 private:
  std::vector<DynamicMember<T>> members_;
};

bool NameMatches(std::string_view a, std::string_view b);

template <typename T>
const DynamicMember<T>* MemberList<T>::FindByName(std::string_view name) const {
  for (const auto& member : members_) {
    if (NameMatches(member.name, name)) return &member;
  }
  return nullptr;
}

// Runs one call once the member is known: the shared part of Invoke.
HRESULT InvokeDynamic(const std::function<Result<Variant>(Arguments)>& read,
                      const std::function<Status(Arguments, const Variant&)>& write, WORD flags,
                      DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                      const FailureOrigin& origin);

// A dispatch-only object. T provides `static const MemberList<T>& Members()`.
// Base is IDispatch or a C++ base class of an object family deriving from it;
// `kCounted` says whether the object keeps the library from unloading.
template <typename T, typename Base = IDispatch, bool kCounted = true>
class DispatchObject : public Object<T, Base> {
 public:
  static constexpr bool kCountsInModule = kCounted;

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info != nullptr) *info = nullptr;
    return DISP_E_BADINDEX;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    if (names == nullptr || ids == nullptr) return E_POINTER;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    if (count == 0) return S_OK;
    const DynamicMember<T>* member =
        names[0] == nullptr ? nullptr : T::Members().FindByName(names[0]);
    if (member != nullptr) ids[0] = member->dispid;
    return (member == nullptr || count > 1) ? DISP_E_UNKNOWNNAME : S_OK;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID dispid, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT*) override {
    const DynamicMember<T>* member = T::Members().FindById(dispid);
    if (member == nullptr) return DISP_E_MEMBERNOTFOUND;
    T& self = static_cast<T&>(*this);
    std::function<Result<Variant>(Arguments)> read;
    std::function<Status(Arguments, const Variant&)> write;
    if (member->read) read = [&](Arguments args) { return member->read(self, args); };
    if (member->write) {
      write = [&](Arguments args, const Variant& value) {
        return member->write(self, args, value);
      };
    }
    return InvokeDynamic(read, write, flags, params, result, exception,
                         {T::kClassName, member->name});
  }
};

// An IEnumVARIANT over a snapshot of values.
ComPtr<IEnumVARIANT> MakeEnumerator(std::vector<Variant> items);

// Result helpers for member tables.
inline Result<Variant> Text(Result<std::string> text) {
  if (!text.ok()) return text.status();
  return Variant::String(text.value());
}
template <typename I>
Variant ObjectValue(const ComPtr<I>& object) {
  return Variant::Dispatch(object.get());
}
// The argument at `index`, or a failure naming the missing argument.
Result<Variant> Argument(Arguments args, size_t index);

}  // namespace olconn97::com

#endif  // OLCONN97_OUTSIDE_COM_DYNAMIC_DISPATCH_H_
