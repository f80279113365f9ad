#include "contact/label_text.h"

#include "diag/localize.h"

namespace olconn97 {

Result<std::string> LabelText(std::string_view code) { return TextResources().GetText(code); }

}  // namespace olconn97
