// A value or the Status that explains why there is none.
//
// No operator bool: `if (result)` would read as "the value is true" for a
// Result<bool>; callers say result.ok() and result.value().
#ifndef OLCONN97_BASE_RESULT_H_
#define OLCONN97_BASE_RESULT_H_

#include <cassert>
#include <utility>
#include <variant>

#include "base/status.h"

namespace olconn97 {

template <typename T>
class [[nodiscard]] Result {
 public:
  Result(T value) : data_(std::in_place_index<0>, std::move(value)) {}        // NOLINT
  Result(Status status) : data_(std::in_place_index<1>, std::move(status)) {  // NOLINT
    assert(!std::get<1>(data_).ok() && "a Result made from a Status must be a failure");
  }

  bool ok() const { return data_.index() == 0; }

  const Status& status() const {
    static const Status kOk;
    return ok() ? kOk : std::get<1>(data_);
  }

  T& value() & {
    assert(ok());
    return std::get<0>(data_);
  }
  const T& value() const& {
    assert(ok());
    return std::get<0>(data_);
  }
  // By value, so `for (auto& x : Compute().value())` cannot dangle.
  T value() && {
    assert(ok());
    return std::get<0>(std::move(data_));
  }

  T value_or(T fallback) const& { return ok() ? std::get<0>(data_) : std::move(fallback); }
  T value_or(T fallback) && { return ok() ? std::get<0>(std::move(data_)) : std::move(fallback); }

 private:
  std::variant<T, Status> data_;
};

}  // namespace olconn97

#define OLC_CONCAT_INNER_(a, b) a##b
#define OLC_CONCAT_(a, b) OLC_CONCAT_INNER_(a, b)

// OLC_ASSIGN_OR_RETURN(auto x, Compute()); returns the failure of Compute().
#define OLC_ASSIGN_OR_RETURN(lhs, expr) \
  OLC_ASSIGN_OR_RETURN_IMPL_(OLC_CONCAT_(olc_result_, __LINE__), lhs, expr)
#define OLC_ASSIGN_OR_RETURN_IMPL_(tmp, lhs, expr) \
  auto tmp = (expr);                               \
  if (!tmp.ok()) return tmp.status();              \
  lhs = std::move(tmp).value()

#endif  // OLCONN97_BASE_RESULT_H_
