// Text encodings of the store's mail and journal files: line breaks,
// quoted-printable and base64 bodies (RFC 2045), encoded-words in mail
// headers (RFC 2047) and conversion from other character sets to UTF-8.
#ifndef OLCONN97_OUTSIDE_PIM_TEXT_CODEC_H_
#define OLCONN97_OUTSIDE_PIM_TEXT_CODEC_H_

#include <string>
#include <string_view>
#include <vector>

namespace olconn97::pim {

// Every line break as one LF. CR LF, LF CR, a lone LF and a lone CR each
// count as one break: the driver builds its texts with LF CR, and a file
// line never ends in a bare CR that other tools would show as garbage.
std::string UnixLineBreaks(std::string_view text);

// The byte length of the UTF-8 character at `pos`; 1 for a byte that does
// not start a valid sequence, so invalid text is still walked byte by byte.
size_t Utf8CharLength(std::string_view text, size_t pos);

// Quoted-printable of a text whose lines end in LF. Every output line,
// the last one too, ends in CR LF and is at most 76 characters long. A
// line's leading "." and a leading "From " are encoded as well, so neither a
// dot-terminated reader nor an mbox writer ever sees them.
std::string EncodeQuotedPrintable(std::string_view text);
// Tolerant: soft breaks after CR LF or LF, white space before a line end
// dropped, malformed escapes kept as they are.
std::string DecodeQuotedPrintable(std::string_view encoded);
// Characters outside the base64 alphabet are skipped.
std::string DecodeBase64(std::string_view encoded);

// `bytes` in `charset` as UTF-8; the bytes unchanged when the charset is
// UTF-8, ASCII, empty or unknown, or when they are not valid in it.
std::string ToUtf8(std::string_view bytes, std::string_view charset);

// A UTF-8 text as "Q" encoded-words of at most 60 characters each, none
// splitting a character. Only letters, digits and "!*+-/" stay literal,
// so the words are valid in a display name as well as in a subject.
std::vector<std::string> EncodeWords(std::string_view utf8);
// Decodes the encoded-words of an unfolded header value; white space
// between two encoded-words is dropped, other text is kept.
std::string DecodeHeaderText(std::string_view value);

}  // namespace olconn97::pim

#endif  // OLCONN97_OUTSIDE_PIM_TEXT_CODEC_H_
