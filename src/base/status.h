// Failures as values: a code a caller can test, plus the description and
// source that the driver logs and that reach the host through its error info.
#ifndef OLCONN97_BASE_STATUS_H_
#define OLCONN97_BASE_STATUS_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace olconn97 {

enum class Code {
  kOk = 0,
  kFailed,          // anything without a more precise kind
  kNotImplemented,  // a member whose behaviour lands later
  kNotFound,        // no such key, value, item, row, file
  kInvalidArgument,
  kIoError,
  kCorrupt,  // stored data that cannot be read as it should be
  kBusy,
  kAccessDenied,
  kAlreadyExists,
  kUnavailable,  // a component that is not there (no store, no database)
};

class [[nodiscard]] Status {
 public:
  Status() = default;

  static Status Ok() { return Status(); }
  static Status Error(Code code, std::string description, std::string source = {});
  static Status Failed(std::string description, std::string source = {}) {
    return Error(Code::kFailed, std::move(description), std::move(source));
  }
  static Status NotImplemented(std::string description, std::string source = {}) {
    return Error(Code::kNotImplemented, std::move(description), std::move(source));
  }
  static Status NotFound(std::string description, std::string source = {}) {
    return Error(Code::kNotFound, std::move(description), std::move(source));
  }
  static Status InvalidArgument(std::string description, std::string source = {}) {
    return Error(Code::kInvalidArgument, std::move(description), std::move(source));
  }
  static Status Corrupt(std::string description, std::string source = {}) {
    return Error(Code::kCorrupt, std::move(description), std::move(source));
  }
  static Status Unavailable(std::string description, std::string source = {}) {
    return Error(Code::kUnavailable, std::move(description), std::move(source));
  }
  // An operating-system failure: errno is kept for the error file and
  // translated into a code and a description in one place.
  static Status FromErrno(int error_number, std::string_view context, std::string source = {});

  bool ok() const { return code_ == Code::kOk; }
  Code code() const { return code_; }
  bool IsNotFound() const { return code_ == Code::kNotFound; }
  bool IsNotImplemented() const { return code_ == Code::kNotImplemented; }

  const std::string& description() const { return description_; }
  const std::string& source() const { return source_; }
  // The failure number a log line or the host sees: an HRESULT-style value,
  // 0 for success.
  int32_t number() const { return number_; }
  // errno of an operating-system failure, else 0.
  int os_error() const { return os_error_; }

  Status& WithSource(std::string source) & {
    source_ = std::move(source);
    return *this;
  }
  Status&& WithSource(std::string source) && {
    source_ = std::move(source);
    return std::move(*this);
  }
  Status&& WithNumber(int32_t number) && {
    number_ = number;
    return std::move(*this);
  }

  // "description in source": the tail of every failure line of the log.
  std::string ToString() const;

  friend bool operator==(const Status&, const Status&) = default;

 private:
  Code code_ = Code::kOk;
  std::string description_;
  std::string source_;
  int32_t number_ = 0;
  int os_error_ = 0;
};

// The HRESULT-style number that stands for a code when none was given.
int32_t DefaultNumberFor(Code code);

}  // namespace olconn97

#define OLC_RETURN_IF_ERROR(expr)              \
  do {                                         \
    ::olconn97::Status olc_status_ = (expr);   \
    if (!olc_status_.ok()) return olc_status_; \
  } while (false)

#endif  // OLCONN97_BASE_STATUS_H_
