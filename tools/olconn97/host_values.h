// Automation values on the host's side, freed with the library's own
// functions (a BSTR must go back to the allocator that made it).
#ifndef OLCONN97_TOOLS_HOST_VALUES_H_
#define OLCONN97_TOOLS_HOST_VALUES_H_

#include <string>
#include <string_view>
#include <utility>

#include "driver_library.h"

namespace host {

class HostBstr {
 public:
  HostBstr() = default;
  explicit HostBstr(std::string_view text)
      : bstr_(Api().SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  HostBstr(const HostBstr&) = delete;
  HostBstr& operator=(const HostBstr&) = delete;
  ~HostBstr() { Api().SysFreeString(bstr_); }
  BSTR get() const { return bstr_; }
  BSTR* Receive() {
    Api().SysFreeString(std::exchange(bstr_, nullptr));
    return &bstr_;
  }
  std::string str() const {
    return bstr_ == nullptr ? std::string() : std::string(bstr_, Api().SysStringLen(bstr_));
  }

 private:
  BSTR bstr_ = nullptr;
};

class HostVariant {
 public:
  HostVariant() { Api().VariantInit(&v_); }
  HostVariant(const HostVariant&) = delete;
  HostVariant& operator=(const HostVariant&) = delete;
  ~HostVariant() { Api().VariantClear(&v_); }
  VARIANT* get() { return &v_; }
  const VARIANT& raw() const { return v_; }
  // The value as text, coerced by the library; empty when it cannot be.
  std::string Text() const {
    VARIANT text;
    Api().VariantInit(&text);
    std::string result;
    if (Api().VariantChangeType(&text, &v_, 0, VT_BSTR) >= 0 && text.bstrVal != nullptr) {
      result.assign(text.bstrVal, Api().SysStringLen(text.bstrVal));
    }
    Api().VariantClear(&text);
    return result;
  }

 private:
  VARIANT v_;
};

// A reference to an interface the driver handed out, released at the end.
template <typename T>
class Held {
 public:
  Held() = default;
  explicit Held(T* p) : p_(p) {}
  Held(const Held&) = delete;
  Held& operator=(const Held&) = delete;
  Held(Held&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  Held& operator=(Held&& other) noexcept {
    if (this != &other) {
      if (p_ != nullptr) p_->Release();
      p_ = std::exchange(other.p_, nullptr);
    }
    return *this;
  }
  ~Held() {
    if (p_ != nullptr) p_->Release();
  }
  T* get() const { return p_; }
  T** Receive() {
    if (p_ != nullptr) p_->Release();
    p_ = nullptr;
    return &p_;
  }

 private:
  T* p_ = nullptr;
};

// "description (source)" of the last failure the library reported on this
// thread, or the HRESULT in hexadecimal.
std::string FailureText(HRESULT hr);

// The text the driver answers to DataConnector_ExecuteCommand(command)
// with no argument; empty when it answers nothing or fails.
std::string CommandText(DataConnector* driver, const char* command);

}  // namespace host

#endif  // OLCONN97_TOOLS_HOST_VALUES_H_
