// Reference counting and QueryInterface for the library's COM objects.
//
// Object<Derived, Primary, Others...> implements IUnknown for a class that
// implements the interfaces Primary and Others: QueryInterface answers
// IUnknown, IDispatch (when Primary is a dispatch interface) and each listed
// interface. Objects are created with a reference count of 1 (see
// MakeObject in com_ptr.h) and count towards the library's live objects,
// which DllCanUnloadNow reports.
#ifndef OLCONN97_OUTSIDE_COM_OBJECT_H_
#define OLCONN97_OUTSIDE_COM_OBJECT_H_

#include <atomic>
#include <type_traits>

#include "olconn97/hostlib.h"

namespace olconn97::com {

// Live objects plus server locks of the library.
void ModuleLock();
void ModuleUnlock();
long ModuleLockCount();

// A private interface through which the library finds its own object
// behind an interface pointer (and never mistakes a host's object for one).
// {5E1C7A52-3B0D-4F6A-9C8E-0D7F2A61B4C3}
inline constexpr IID IID_OlconnSelf = {
    0x5E1C7A52, 0x3B0D, 0x4F6A, {0x9C, 0x8E, 0x0D, 0x7F, 0x2A, 0x61, 0xB4, 0xC3}};

// The non-interface base of every object of the library: it counts the
// object as alive and lets OwnObject find the object behind a pointer.
class ObjectBase {
 public:
  ObjectBase(const ObjectBase&) = delete;
  ObjectBase& operator=(const ObjectBase&) = delete;

 protected:
  // `counted`: whether the object keeps the library from unloading. The
  // contact store's objects do not: they stand for another component's
  // objects, which the driver's shared state may hold for the process.
  explicit ObjectBase(bool counted = true) : counted_(counted) {
    if (counted_) ModuleLock();
  }
  virtual ~ObjectBase() {
    if (counted_) ModuleUnlock();
  }

 private:
  bool counted_;
};

// Whether objects of class T count as the library's live objects: yes,
// unless T says `static constexpr bool kCountsInModule = false`.
template <typename T>
constexpr bool CountsInModule() {
  if constexpr (requires { T::kCountsInModule; }) {
    return T::kCountsInModule;
  } else {
    return true;
  }
}

template <typename Derived, typename Primary, typename... Others>
class Object : public Primary, public Others..., public ObjectBase {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (riid == IID_OlconnSelf) {
      *ppv = static_cast<ObjectBase*>(this);  // no reference is added
      return S_OK;
    }
    void* found = nullptr;
    if (riid == IID_IUnknown) {
      found = static_cast<Primary*>(this);
    } else if constexpr (std::is_base_of_v<IDispatch, Primary>) {
      if (riid == IID_IDispatch) found = static_cast<Primary*>(this);
    }
    if (found == nullptr) found = Find<Primary, Others...>(riid);
    if (found == nullptr) return E_NOINTERFACE;
    AddRef();
    *ppv = found;
    return S_OK;
  }

  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }

  ULONG STDMETHODCALLTYPE Release() override {
    ULONG left = --references_;
    if (left == 0) delete static_cast<Derived*>(this);
    return left;
  }

 protected:
  Object() : ObjectBase(CountsInModule<Derived>()) {}

 private:
  template <typename First, typename... Rest>
  void* Find(REFIID riid) {
    // Bases without an identifier of their own (C++ bases of the library's
    // object families) are reached through IUnknown and IDispatch only.
    if constexpr (requires { olc_interface_id<First>::value; }) {
      if (riid == olc_interface_id<First>::value) return static_cast<First*>(this);
    }
    if constexpr (sizeof...(Rest) > 0) {
      return Find<Rest...>(riid);
    } else {
      return nullptr;
    }
  }

  std::atomic<ULONG> references_{1};
};

// The library's own object of type T behind `object`, or null when the
// object is not one of ours of that type.
template <typename T>
T* OwnObject(IUnknown* object) {
  if (object == nullptr) return nullptr;
  void* self = nullptr;
  if (FAILED(object->QueryInterface(IID_OlconnSelf, &self))) return nullptr;
  return dynamic_cast<T*>(static_cast<ObjectBase*>(self));
}

}  // namespace olconn97::com

#endif  // OLCONN97_OUTSIDE_COM_OBJECT_H_
