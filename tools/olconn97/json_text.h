// Text inside the JSON the reference host prints (--json).
//
// The host sees only the driver's public interface, so it has its own
// escaping rather than the library's writer; both give the same text.
#ifndef OLCONN97_TOOLS_JSON_TEXT_H_
#define OLCONN97_TOOLS_JSON_TEXT_H_

#include <string>
#include <string_view>

namespace host {

// The text escaped for a JSON string, and valid UTF-8 whatever its bytes:
// each ill-formed sequence (a stray byte, an overlong form, a surrogate, a
// sequence cut short) becomes one U+FFFD, and control characters (C0, DEL,
// C1) are escaped.
std::string JsonEscape(std::string_view text);

}  // namespace host

#endif  // OLCONN97_TOOLS_JSON_TEXT_H_
