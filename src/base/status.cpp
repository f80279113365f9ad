#include "base/status.h"

#include <cerrno>
#include <cstring>
#include <string>

namespace olconn97 {

int32_t DefaultNumberFor(Code code) {
  switch (code) {
    case Code::kOk:
      return 0;
    case Code::kNotImplemented:
      return static_cast<int32_t>(0x80004001u);  // E_NOTIMPL
    case Code::kInvalidArgument:
      return static_cast<int32_t>(0x80070057u);  // E_INVALIDARG
    case Code::kNotFound:
      return static_cast<int32_t>(0x80070002u);  // file or item not found
    case Code::kAccessDenied:
      return static_cast<int32_t>(0x80070005u);  // E_ACCESSDENIED
    case Code::kAlreadyExists:
      return static_cast<int32_t>(0x800700B7u);  // already exists
    case Code::kBusy:
      return static_cast<int32_t>(0x800700AAu);  // resource in use
    case Code::kUnavailable:
      return static_cast<int32_t>(0x80040154u);  // class not registered
    case Code::kIoError:
    case Code::kCorrupt:
    case Code::kFailed:
      break;
  }
  return static_cast<int32_t>(0x80004005u);  // E_FAIL
}

Status Status::Error(Code code, std::string description, std::string source) {
  Status status;
  status.code_ = code;
  status.description_ = std::move(description);
  status.source_ = std::move(source);
  status.number_ = DefaultNumberFor(code);
  return status;
}

Status Status::FromErrno(int error_number, std::string_view context, std::string source) {
  Code code = Code::kIoError;
  switch (error_number) {
    case ENOENT:
    case ENOTDIR:
      code = Code::kNotFound;
      break;
    case EACCES:
    case EPERM:
    case EROFS:
      code = Code::kAccessDenied;
      break;
    case EEXIST:
      code = Code::kAlreadyExists;
      break;
    case EBUSY:
    case EAGAIN:
      code = Code::kBusy;
      break;
    case EINVAL:
    case ENAMETOOLONG:
      code = Code::kInvalidArgument;
      break;
    default:
      break;
  }
  std::string description(context);
  if (!description.empty()) description += ": ";
  char buffer[256];
  description += strerror_r(error_number, buffer, sizeof buffer);
  Status status = Error(code, std::move(description), std::move(source));
  status.os_error_ = error_number;
  // The failure number carries the OS error the way a Win32 error does in an HRESULT.
  status.number_ =
      static_cast<int32_t>(0x80070000u | (static_cast<uint32_t>(error_number) & 0xFFFFu));
  return status;
}

std::string Status::ToString() const {
  if (ok()) return "OK";
  return description_ + " in " + source_;
}

}  // namespace olconn97
