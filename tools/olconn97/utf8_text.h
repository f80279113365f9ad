// UTF-8 as the reference host reads it (JSON output, name searches). The
// host sees only the driver's public interface, so it decodes on its own.
#ifndef OLCONN97_TOOLS_UTF8_TEXT_H_
#define OLCONN97_TOOLS_UTF8_TEXT_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace host {

struct Utf8Sequence {
  char32_t code;
  size_t length;  // at least 1
  bool valid;
};

// The character at `at`. An ill-formed sequence (a stray byte, an overlong
// form, a surrogate, a sequence cut short) is not valid and takes the
// longest beginning of it that could still have been well formed, so that
// one replacement stands for it.
Utf8Sequence DecodeUtf8(std::string_view text, size_t at);

// Appends `code` (a valid code point) as UTF-8.
void AppendUtf8(std::string& out, char32_t code);

}  // namespace host

#endif  // OLCONN97_TOOLS_UTF8_TEXT_H_
