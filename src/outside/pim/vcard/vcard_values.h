// Property values: from their bytes in the file to UTF-8 text and back.
//
// Reading runs in this order: transfer encoding (quoted-printable), charset
// (CHARSET=, converted with iconv), invalid UTF-8 replaced, then text escapes.
// Escapes come last because a Shift_JIS trail byte can look like a backslash
// before conversion.
#ifndef OLCONN97_OUTSIDE_PIM_VCARD_VCARD_VALUES_H_
#define OLCONN97_OUTSIDE_PIM_VCARD_VCARD_VALUES_H_

#include <string>
#include <string_view>
#include <vector>

namespace olconn97::pim {

enum class VCardVersion { k21, k30, k40 };

// "2.1", "4.0"; anything else (3.0, missing, unknown) reads as 3.0.
VCardVersion VersionFromText(std::string_view version_value);

struct DecodedValue {
  std::string text;              // valid UTF-8 without NUL; escapes still in place
  bool unknown_charset = false;  // CHARSET named a set we cannot convert: bytes kept
};

// Decodes a value by its line's parameters (ENCODING, CHARSET).
DecodedValue DecodeValue(std::string_view params, std::string_view value);

std::string DecodeVCardQuotedPrintable(std::string_view encoded);
// Quoted-printable without soft breaks (the writer folds): "=XX" for '=',
// controls, non-ASCII bytes and a final blank or tab.
std::string EncodeVCardQuotedPrintable(std::string_view bytes);

// Converts text in `charset` to UTF-8; bytes the charset cannot read become
// U+FFFD. False when the charset is not one iconv knows.
bool ConvertCharset(std::string_view charset, std::string_view bytes, std::string* utf8);

// Valid UTF-8: every byte that does not belong to a well-formed sequence,
// and every NUL, becomes U+FFFD.
std::string ToValidUtf8(std::string_view bytes);

// Text escapes: \n \N \; \\ and \, (not in 2.1, where the comma has no
// escape). An unknown escape such as "\M" is kept as written; "\:" reads as
// ":" because several writers escape colons in URLs.
std::string UnescapeText(std::string_view text, VCardVersion version);
// Splits at separators that are not escaped, then unescapes each piece.
std::vector<std::string> SplitStructured(std::string_view text, char separator,
                                         VCardVersion version);
// Escapes text for a value or a component of a structured value. Line
// breaks become \n except in 2.1, where they stay (the writer then uses
// quoted-printable).
std::string EscapeText(std::string_view text, VCardVersion version);

bool IsAscii(std::string_view text);

}  // namespace olconn97::pim

#endif  // OLCONN97_OUTSIDE_PIM_VCARD_VCARD_VALUES_H_
