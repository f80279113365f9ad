// Owning wrappers for the automation values: Bstr and Variant.
#ifndef OLCONN97_OUTSIDE_COM_VARIANT_H_
#define OLCONN97_OUTSIDE_COM_VARIANT_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/result.h"
#include "olconn97/com.h"
#include "outside/com/com_ptr.h"

namespace olconn97::com {

// A new BSTR holding `text` (the caller owns it).
BSTR AllocBstr(std::string_view text);
// The text of a BSTR; a null BSTR is the empty text.
std::string_view BstrView(BSTR bstr);

// The shortest decimal text that reads back as the same double.
std::string FormatNumber(double value);

// An owned BSTR.
class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(std::string_view text) : bstr_(AllocBstr(text)) {}
  static Bstr Adopt(BSTR owned) {
    Bstr result;
    result.bstr_ = owned;
    return result;
  }
  Bstr(const Bstr& other) : Bstr(other.view()) {}
  Bstr(Bstr&& other) noexcept : bstr_(std::exchange(other.bstr_, nullptr)) {}
  Bstr& operator=(Bstr other) noexcept {
    std::swap(bstr_, other.bstr_);
    return *this;
  }
  ~Bstr() { SysFreeString(bstr_); }

  BSTR get() const { return bstr_; }
  BSTR Detach() { return std::exchange(bstr_, nullptr); }
  BSTR* Receive() {
    SysFreeString(std::exchange(bstr_, nullptr));
    return &bstr_;
  }
  std::string_view view() const { return BstrView(bstr_); }
  std::string str() const { return std::string(view()); }

 private:
  BSTR bstr_ = nullptr;
};

// An owned VARIANT.
class Variant {
 public:
  Variant() { VariantInit(&v_); }
  Variant(const Variant& other) : Variant() { VariantCopy(&v_, &other.v_); }
  Variant(Variant&& other) noexcept : Variant() { std::swap(v_, other.v_); }
  Variant& operator=(Variant other) noexcept {
    std::swap(v_, other.v_);
    return *this;
  }
  ~Variant() { VariantClear(&v_); }

  // A copy of `raw` (by-reference values are copied as references).
  static Variant CopyOf(const VARIANT& raw);
  // A copy of `raw` with one level of VT_BYREF resolved.
  static Variant CopyOfValue(const VARIANT& raw);
  // Takes ownership of a VARIANT (its contents; `raw` is left empty).
  static Variant Adopt(VARIANT* raw);

  static Variant Null();
  static Variant Bool(bool value);
  static Variant I2(int16_t value);
  static Variant I4(int32_t value);
  static Variant R8(double value);
  static Variant Date(double value);
  static Variant String(std::string_view text);
  static Variant Dispatch(IDispatch* object);  // takes a new reference
  static Variant Unknown(IUnknown* object);    // takes a new reference
  static Variant Error(SCODE code);
  // A one-dimensional VT_ARRAY|VT_VARIANT with lower bound 0.
  static Variant VariantArray(const std::vector<Variant>& items);

  VARTYPE vt() const { return v_.vt; }
  bool IsEmpty() const { return v_.vt == VT_EMPTY; }
  bool IsNull() const { return v_.vt == VT_NULL; }
  // A missing optional argument: VT_ERROR holding DISP_E_PARAMNOTFOUND.
  bool IsMissing() const { return v_.vt == VT_ERROR && v_.scode == DISP_E_PARAMNOTFOUND; }

  // Coercions as automation does them; failures carry the HRESULT.
  Result<std::string> ToString() const;
  Result<int32_t> ToInt32() const;
  Result<int16_t> ToInt16() const;
  Result<bool> ToBool() const;
  Result<double> ToDouble() const;
  // VT_DISPATCH (or VT_UNKNOWN answering IDispatch), null for Empty/Nothing.
  Result<ComPtr<IDispatch>> ToDispatch() const;

  // The elements of a one-dimensional array variant, lower bound first.
  Result<std::vector<Variant>> ArrayElements() const;

  const VARIANT& raw() const { return v_; }
  VARIANT* raw_mut() { return &v_; }
  // Hands the contents to the caller, leaving this empty.
  VARIANT Detach() {
    VARIANT out = v_;
    VariantInit(&v_);
    return out;
  }

 private:
  Result<Variant> ChangedTo(VARTYPE vt) const;

  VARIANT v_;
};

}  // namespace olconn97::com

#endif  // OLCONN97_OUTSIDE_COM_VARIANT_H_
