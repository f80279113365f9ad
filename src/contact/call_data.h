// Reading the call data the host attaches to a contact (PersonalData):
// entries "KEY=value" separated by ";", for example
// "PHONENUMBER=0123;TYPE=incoming;START=...". Shared by the contact and the
// actions.
#ifndef OLCONN97_CONTACT_CALL_DATA_H_
#define OLCONN97_CONTACT_CALL_DATA_H_

#include <string>
#include <string_view>

namespace olconn97 {

// The text after the first occurrence of `key` in `data` (case counts; the
// key is found anywhere, also inside a longer key or a value), up to the
// next ";" or the end. "" when the key does not occur or is empty. The
// data may be of any length.
std::string GetKeyValue(std::string_view data, std::string_view key);

}  // namespace olconn97

#endif  // OLCONN97_CONTACT_CALL_DATA_H_
