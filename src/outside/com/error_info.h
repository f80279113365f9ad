// Failures crossing the binary interface: an HRESULT for the caller, and
// the description and source in the thread's error information, where a
// host reads them (GetErrorInfo, or EXCEPINFO from IDispatch::Invoke).
#ifndef OLCONN97_OUTSIDE_COM_ERROR_INFO_H_
#define OLCONN97_OUTSIDE_COM_ERROR_INFO_H_

#include <string>
#include <string_view>

#include "base/status.h"
#include "olconn97/com.h"

namespace olconn97::com {

// Sets the thread's error information from a failure and returns its
// HRESULT (E_FAIL when the failure carries no failing number).
HRESULT ReportFailure(const Status& failure);

// The object and member a call went to: what a failure that reaches a host
// without a source or a description says instead, so that a host always
// learns where it failed.
struct FailureOrigin {
  std::string_view class_name;  // the host-visible class, "cContact"
  std::string_view member;      // the member called, "employeeId"
};

// ReportFailure, with the class as the source of a failure that names none
// and DefaultDescription for one that has no description.
HRESULT ReportFailure(const Status& failure, const FailureOrigin& origin);

// "<member> failed (0x80004005)".
std::string DefaultDescription(HRESULT hr, std::string_view member);

// Forgets the thread's error information; every member calls it on entry,
// so a stale description never explains a later failure.
void ClearErrorInfo();

// The failure behind an HRESULT, with the thread's error information when
// there is any (for calls the library makes on objects it does not own).
Status FailureFromHresult(HRESULT hr, const std::string& context);

}  // namespace olconn97::com

#endif  // OLCONN97_OUTSIDE_COM_ERROR_INFO_H_
