#include "outside/pim/text_codec.h"

#include <iconv.h>

#include <cerrno>

#include "base/strings.h"
#include "outside/pim/iconv_handle.h"

namespace olconn97::pim {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

std::string HexEscape(unsigned char c) { return {'=', kHexDigits[c >> 4], kHexDigits[c & 0x0F]}; }

// The byte of "=XX" at `pos`, or -1 when there is no valid escape there.
int EscapedByte(std::string_view text, size_t pos) {
  if (pos + 2 >= text.size()) return -1;
  int high = HexDigitValue(text[pos + 1]);
  int low = HexDigitValue(text[pos + 2]);
  return high < 0 || low < 0 ? -1 : high * 16 + low;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// One character of a quoted-printable line, literal or escaped.
std::string QpPiece(std::string_view line, size_t i, bool at_line_start) {
  unsigned char c = static_cast<unsigned char>(line[i]);
  bool last = i + 1 == line.size();
  bool literal = (c >= 33 && c <= 126 && c != '=') || (IsBlank(static_cast<char>(c)) && !last);
  if (at_line_start && (c == '.' || line.substr(i).starts_with("From "))) literal = false;
  return literal ? std::string(1, static_cast<char>(c)) : HexEscape(c);
}

void EncodeQpLine(std::string_view line, std::string& out) {
  size_t width = 0;
  for (size_t i = 0; i < line.size(); ++i) {
    std::string piece = QpPiece(line, i, width == 0);
    // A soft break takes one column, except after the line's last character.
    size_t room = i + 1 == line.size() ? 76 : 75;
    if (width + piece.size() > room) {
      out += "=\r\n";
      width = 0;
      piece = QpPiece(line, i, true);
    }
    out += piece;
    width += piece.size();
  }
  out += "\r\n";
}

// Decodes the "=XX" escapes of one line; `underscore_blank` for "Q" words.
std::string DecodeEscapes(std::string_view text, bool underscore_blank) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    int byte = text[i] == '=' ? EscapedByte(text, i) : -1;
    if (byte >= 0) {
      out += static_cast<char>(byte);
      i += 2;
    } else {
      out += underscore_blank && text[i] == '_' ? ' ' : text[i];
    }
  }
  return out;
}

bool IsQLiteral(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '!' ||
         c == '*' || c == '+' || c == '-' || c == '/';
}

std::string QEncode(std::string_view bytes) {
  std::string out;
  for (char c : bytes) {
    unsigned char u = static_cast<unsigned char>(c);
    if (c == ' ') {
      out += '_';
    } else if (IsQLiteral(u)) {
      out += c;
    } else {
      out += HexEscape(u);
    }
  }
  return out;
}

// Decodes the encoded-word starting at `pos`; false when there is none.
bool DecodeOneWord(std::string_view value, size_t pos, size_t* end, std::string* decoded) {
  if (!value.substr(pos).starts_with("=?")) return false;
  size_t mark = value.find('?', pos + 2);
  if (mark == std::string_view::npos || mark == pos + 2) return false;
  if (mark + 2 >= value.size() || value[mark + 2] != '?') return false;
  char kind = ToLowerAscii(value[mark + 1]);
  size_t text_start = mark + 3;
  size_t close = value.find("?=", text_start);
  if (close == std::string_view::npos) return false;
  std::string_view text = value.substr(text_start, close - text_start);
  if (text.find_first_of(" \t") != std::string_view::npos) return false;
  std::string bytes;
  if (kind == 'q') {
    bytes = DecodeEscapes(text, true);
  } else if (kind == 'b') {
    bytes = DecodeBase64(text);
  } else {
    return false;
  }
  // RFC 2231 lets a language follow the charset: "utf-8*en".
  std::string_view charset = value.substr(pos + 2, mark - pos - 2);
  charset = charset.substr(0, charset.find('*'));
  *decoded = ToUtf8(bytes, charset);
  *end = close + 2;
  return true;
}

}  // namespace

std::string UnixLineBreaks(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c != '\r' && c != '\n') {
      out += c;
      continue;
    }
    out += '\n';
    char pair = c == '\r' ? '\n' : '\r';
    if (i + 1 < text.size() && text[i + 1] == pair) ++i;
  }
  return out;
}

size_t Utf8CharLength(std::string_view text, size_t pos) {
  unsigned char lead = static_cast<unsigned char>(text[pos]);
  size_t length = lead < 0x80           ? 1
                  : (lead >> 5) == 0x06 ? 2
                  : (lead >> 4) == 0x0E ? 3
                  : (lead >> 3) == 0x1E ? 4
                                        : 0;
  if (length == 0 || pos + length > text.size()) return 1;
  for (size_t i = 1; i < length; ++i) {
    if ((static_cast<unsigned char>(text[pos + i]) & 0xC0) != 0x80) return 1;
  }
  return length;
}

std::string EncodeQuotedPrintable(std::string_view text) {
  std::string out;
  for (std::string_view line : Split(text, '\n')) EncodeQpLine(line, out);
  return out;
}

std::string DecodeQuotedPrintable(std::string_view encoded) {
  std::string out;
  std::vector<std::string_view> lines = Split(encoded, '\n');
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string_view line = lines[i];
    while (!line.empty() && (line.back() == '\r' || IsBlank(line.back()))) line.remove_suffix(1);
    bool soft = line.ends_with('=');
    if (soft) line.remove_suffix(1);
    out += DecodeEscapes(line, false);
    if (!soft && i + 1 < lines.size()) out += '\n';
  }
  return out;
}

std::string DecodeBase64(std::string_view encoded) {
  std::string out;
  unsigned int bits = 0;
  int count = 0;
  for (char c : encoded) {
    int value = c >= 'A' && c <= 'Z'   ? c - 'A'
                : c >= 'a' && c <= 'z' ? c - 'a' + 26
                : c >= '0' && c <= '9' ? c - '0' + 52
                : c == '+'             ? 62
                : c == '/'             ? 63
                                       : -1;
    if (c == '=') break;
    if (value < 0) continue;
    bits = (bits << 6) | static_cast<unsigned int>(value);
    count += 6;
    if (count >= 8) {
      count -= 8;
      out += static_cast<char>((bits >> count) & 0xFF);
    }
  }
  return out;
}

std::string ToUtf8(std::string_view bytes, std::string_view charset) {
  std::string name = ToLowerAscii(TrimBlanks(charset));
  if (name.empty() || name == "utf-8" || name == "utf8" || name == "us-ascii" || name == "ascii") {
    return std::string(bytes);
  }
  IconvHandle converter(name);
  if (!converter.valid()) return std::string(bytes);
  std::string input(bytes);
  std::string out(input.size() * 4 + 16, '\0');
  char* in_ptr = input.data();
  size_t in_left = input.size();
  char* out_ptr = out.data();
  size_t out_left = out.size();
  // Every charset iconv knows needs at most 4 UTF-8 bytes per input byte,
  // so one call converts all or fails on an invalid sequence.
  if (iconv(converter.get(), &in_ptr, &in_left, &out_ptr, &out_left) == static_cast<size_t>(-1)) {
    return std::string(bytes);
  }
  out.resize(out.size() - out_left);
  return out;
}

std::vector<std::string> EncodeWords(std::string_view utf8) {
  constexpr size_t kMaxEncoded = 60 - 12;  // the word less "=?UTF-8?Q?" and "?="
  std::vector<std::string> words;
  std::string current;
  for (size_t pos = 0; pos < utf8.size();) {
    size_t length = Utf8CharLength(utf8, pos);
    std::string piece = QEncode(utf8.substr(pos, length));
    if (current.size() + piece.size() > kMaxEncoded) {
      words.push_back("=?UTF-8?Q?" + current + "?=");
      current.clear();
    }
    current += piece;
    pos += length;
  }
  if (!current.empty()) words.push_back("=?UTF-8?Q?" + current + "?=");
  return words;
}

std::string DecodeHeaderText(std::string_view value) {
  std::string out;
  std::string pending_blanks;
  bool after_word = false;
  for (size_t pos = 0; pos < value.size();) {
    if (IsBlank(value[pos])) {
      pending_blanks += value[pos++];
      continue;
    }
    size_t end = 0;
    std::string decoded;
    bool is_word = DecodeOneWord(value, pos, &end, &decoded);
    if (!(is_word && after_word)) out += pending_blanks;
    pending_blanks.clear();
    after_word = is_word;
    if (is_word) {
      out += decoded;
      pos = end;
    } else {
      out += value[pos++];
    }
  }
  return out + pending_blanks;
}

}  // namespace olconn97::pim
