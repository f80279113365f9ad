// Text helpers shared by the vCard files, beside base/strings.h: vCard
// compares names without regard to ASCII case and treats tabs as blanks.
#ifndef OLCONN97_OUTSIDE_PIM_VCARD_VCARD_STRINGS_H_
#define OLCONN97_OUTSIDE_PIM_VCARD_VCARD_STRINGS_H_

#include <string_view>

#include "base/strings.h"

namespace olconn97::pim {

inline bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

// Removes leading and trailing blanks and tabs.
inline std::string_view TrimWhite(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace olconn97::pim

#endif  // OLCONN97_OUTSIDE_PIM_VCARD_VCARD_STRINGS_H_
