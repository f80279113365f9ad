// Character encodings met in .reg files: regedit writes UTF-16 LE with a
// byte-order mark (other editors may save UTF-16 BE) and keeps REG_EXPAND_SZ and REG_MULTI_SZ data
// as UTF-16 bytes; older exports ("REGEDIT4") are in the Windows ANSI code page. The store itself
// works in UTF-8 throughout.
#ifndef OLCONN97_OUTSIDE_REGISTRY_REG_TEXT_H_
#define OLCONN97_OUTSIDE_REGISTRY_REG_TEXT_H_

#include <string>
#include <string_view>

namespace olconn97::registry {

// UTF-16 LE bytes (an odd last byte is ignored) as UTF-8; unpaired
// surrogates become U+FFFD.
std::string Utf16LeToUtf8(std::string_view bytes);

// UTF-8 text as UTF-16 LE bytes; invalid sequences become U+FFFD.
std::string Utf8ToUtf16Le(std::string_view text);

// Windows-1252 bytes as UTF-8.
std::string Cp1252ToUtf8(std::string_view bytes);

// The text of a whole .reg file as UTF-8: a UTF-16 file (byte-order mark
// FF FE for little-endian, FE FF for big-endian) is converted, a UTF-8
// byte-order mark dropped, and a file that is not valid UTF-8 read as
// Windows-1252.
std::string DecodeRegFileBytes(std::string_view bytes);

}  // namespace olconn97::registry

#endif  // OLCONN97_OUTSIDE_REGISTRY_REG_TEXT_H_
