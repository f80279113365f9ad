// The one way the contact turns a message code ("#21002#") into the text of
// a phone or e-mail label in the user's language.
#ifndef OLCONN97_CONTACT_LABEL_TEXT_H_
#define OLCONN97_CONTACT_LABEL_TEXT_H_

#include <string>
#include <string_view>

#include "base/result.h"

namespace olconn97 {

// Asked anew for every entry: the user's language may change while the
// host runs. A failure of the text resources is the caller's failure.
Result<std::string> LabelText(std::string_view code);

}  // namespace olconn97

#endif  // OLCONN97_CONTACT_LABEL_TEXT_H_
