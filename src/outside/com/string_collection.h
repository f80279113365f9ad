// A collection of strings that a host walks by name: Item (1-based, the
// default member), Count, _NewEnum and Add, as a VB-style collection
// without keys answers them.
//
// The driver hands a contact's phone numbers and e-mail addresses out in
// one; the host holds the same object the contact keeps, so an entry the
// host adds is seen by the contact too. Host thread only.
#ifndef OLCONN97_OUTSIDE_COM_STRING_COLLECTION_H_
#define OLCONN97_OUTSIDE_COM_STRING_COLLECTION_H_

#include <cstdint>
#include <string>
#include <vector>

#include "base/result.h"
#include "outside/com/dynamic_dispatch.h"

namespace olconn97::com {

class StringCollection final : public DispatchObject<StringCollection> {
 public:
  static constexpr std::string_view kClassName = "Collection";
  StringCollection() = default;

  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  // The entry at a 1-based position; any other index fails (DISP_E_BADINDEX).
  Result<std::string> Item(int32_t index) const;
  void Add(std::string text) { items_.push_back(std::move(text)); }
  const std::vector<std::string>& items() const { return items_; }

  static const MemberList<StringCollection>& Members();

 private:
  std::vector<std::string> items_;
};

}  // namespace olconn97::com

#endif  // OLCONN97_OUTSIDE_COM_STRING_COLLECTION_H_
