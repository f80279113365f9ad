// An owning reference to a COM object: AddRef on copy, Release on reset.
#ifndef OLCONN97_OUTSIDE_COM_COM_PTR_H_
#define OLCONN97_OUTSIDE_COM_COM_PTR_H_

#include <utility>

#include "olconn97/hostlib.h"

namespace olconn97::com {

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}  // NOLINT
  // Takes a new reference to `p`.
  explicit ComPtr(T* p) : p_(p) {
    if (p_ != nullptr) p_->AddRef();
  }
  ComPtr(const ComPtr& other) : ComPtr(other.p_) {}
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  template <typename U>
  ComPtr(const ComPtr<U>& other) : ComPtr(static_cast<T*>(other.get())) {}  // NOLINT
  ~ComPtr() { reset(); }

  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(p_, other.p_);
    return *this;
  }

  // Adopts a reference the caller already owns (an out-parameter's result).
  static ComPtr Adopt(T* p) {
    ComPtr result;
    result.p_ = p;
    return result;
  }

  T* get() const { return p_; }
  T* operator->() const { return p_; }
  T& operator*() const { return *p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // Whether this is the one reference left to the object (of the library's
  // own objects, whose counts are exact).
  bool sole() const {
    if (p_ == nullptr) return false;
    ULONG count = p_->AddRef();
    p_->Release();
    return count == 2;
  }

  // Gives up ownership: the caller now owns the reference.
  T* Detach() { return std::exchange(p_, nullptr); }
  void reset() {
    if (T* p = std::exchange(p_, nullptr)) p->Release();
  }
  // For out-parameters: releases the current reference first.
  T** Receive() {
    reset();
    return &p_;
  }

  // A reference to another interface of the same object, or null.
  template <typename U>
  ComPtr<U> As() const {
    ComPtr<U> other;
    if (p_ != nullptr) {
      p_->QueryInterface(olc_interface_id<U>::value, reinterpret_cast<void**>(other.Receive()));
    }
    return other;
  }

  friend bool operator==(const ComPtr& a, const ComPtr& b) { return a.p_ == b.p_; }

 private:
  T* p_ = nullptr;
};

// Makes a ComPtr that owns a freshly created object (reference count 1).
template <typename T, typename... Args>
ComPtr<T> MakeObject(Args&&... args) {
  return ComPtr<T>::Adopt(new T(std::forward<Args>(args)...));
}

}  // namespace olconn97::com

#endif  // OLCONN97_OUTSIDE_COM_COM_PTR_H_
