#include "outside/pim/vcard/vcard_values.h"

#include <errno.h>
#include <iconv.h>

#include <array>

#include "base/strings.h"
#include "outside/pim/iconv_handle.h"
#include "outside/pim/vcard/vcard_params.h"

namespace olconn97::pim {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD
constexpr char kHexDigits[] = "0123456789ABCDEF";

// Length of the well-formed UTF-8 sequence at s[i], 0 when there is none.
size_t Utf8SequenceLength(std::string_view s, size_t i) {
  auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  unsigned char lead = byte(i);
  if (lead >= 0x01 && lead <= 0x7F) return 1;
  size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // bounds of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (i + length > s.size()) return 0;
  if (byte(i + 1) < low || byte(i + 1) > high) return 0;
  for (size_t k = 2; k < length; ++k) {
    if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
  }
  return length;
}

bool IsUtf8Compatible(std::string_view charset) {
  static constexpr std::array<std::string_view, 5> kNames = {"UTF-8", "UTF8", "US-ASCII", "ASCII",
                                                             ""};
  for (std::string_view name : kNames) {
    if (EqualsIgnoreCase(charset, name)) return true;
  }
  return false;
}

// Only plain charset names reach iconv: "//TRANSLIT"-style suffixes or
// arbitrary bytes from a file are not passed on.
bool IsPlainCharsetName(std::string_view name) {
  if (name.empty() || name.size() > 40) return false;
  for (char c : name) {
    bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
              c == '-' || c == '_' || c == '.' || c == ':';
    if (!ok) return false;
  }
  return true;
}

struct CharsetAlias {
  std::string_view label;
  std::string_view iconv_name;
};

// Labels whose bytes, as cards use them, are another set than iconv's of
// that name: phones write Shift_JIS with 0x5C as the backslash (Windows-31J,
// not JIS X 0201's yen sign), and Windows writes its own code page as
// "ISO-8859-1".
constexpr std::array<CharsetAlias, 6> kCharsetAliases = {{
    {"SHIFT_JIS", "CP932"},
    {"SHIFT-JIS", "CP932"},
    {"SJIS", "CP932"},
    {"X-SJIS", "CP932"},
    {"ISO-8859-1", "WINDOWS-1252"},
    {"LATIN1", "WINDOWS-1252"},
}};

std::string_view IconvName(std::string_view charset) {
  for (const CharsetAlias& alias : kCharsetAliases) {
    if (EqualsIgnoreCase(charset, alias.label)) return alias.iconv_name;
  }
  return charset;
}

bool IsEscapable(char c, VCardVersion version) {
  switch (c) {
    case 'n':
    case 'N':
    case ';':
    case '\\':
    case ':':
      return true;
    case ',':
      return version != VCardVersion::k21;
    default:
      return false;
  }
}

}  // namespace

VCardVersion VersionFromText(std::string_view version_value) {
  std::string_view v = TrimBlanks(version_value);
  if (v == "2.1") return VCardVersion::k21;
  if (v == "4.0") return VCardVersion::k40;
  return VCardVersion::k30;
}

DecodedValue DecodeValue(std::string_view params, std::string_view value) {
  DecodedValue decoded;
  std::string qp;
  std::string_view bytes = value;
  if (IsQuotedPrintable(params)) {
    qp = DecodeVCardQuotedPrintable(value);
    bytes = qp;
  }
  VCardParam charset;
  if (FindParam(params, "CHARSET", &charset) && !IsUtf8Compatible(Unquote(charset.value))) {
    std::string converted;
    if (ConvertCharset(Unquote(charset.value), bytes, &converted)) {
      decoded.text = ToValidUtf8(converted);
      return decoded;
    }
    decoded.unknown_charset = true;
  }
  decoded.text = ToValidUtf8(bytes);
  return decoded;
}

std::string DecodeVCardQuotedPrintable(std::string_view encoded) {
  std::string out;
  out.reserve(encoded.size());
  for (size_t i = 0; i < encoded.size(); ++i) {
    if (encoded[i] == '=' && i + 2 < encoded.size() && HexDigitValue(encoded[i + 1]) >= 0 &&
        HexDigitValue(encoded[i + 2]) >= 0) {
      out.push_back(
          static_cast<char>(HexDigitValue(encoded[i + 1]) * 16 + HexDigitValue(encoded[i + 2])));
      i += 2;
    } else if (encoded[i] == '=' && i + 1 == encoded.size()) {
      // A soft break at the very end of the value: nothing follows it.
    } else {
      out.push_back(encoded[i]);
    }
  }
  return out;
}

std::string EncodeVCardQuotedPrintable(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 3);
  for (size_t i = 0; i < bytes.size(); ++i) {
    auto c = static_cast<unsigned char>(bytes[i]);
    bool last = i + 1 == bytes.size();
    bool literal = (c >= 33 && c <= 126 && c != '=') || ((c == ' ' || c == '\t') && !last);
    if (literal) {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back('=');
      out.push_back(kHexDigits[c >> 4]);
      out.push_back(kHexDigits[c & 0xF]);
    }
  }
  return out;
}

bool ConvertCharset(std::string_view charset, std::string_view bytes, std::string* utf8) {
  if (!IsPlainCharsetName(charset)) return false;
  IconvHandle handle{std::string(IconvName(charset))};
  if (!handle.valid()) return false;
  utf8->clear();
  std::string buffer(bytes.size() * 4 + 16, '\0');
  char* in = const_cast<char*>(bytes.data());
  size_t in_left = bytes.size();
  while (in_left > 0) {
    char* out = buffer.data();
    size_t out_left = buffer.size();
    size_t rc = iconv(handle.get(), &in, &in_left, &out, &out_left);
    utf8->append(buffer.data(), buffer.size() - out_left);
    if (rc != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) continue;
    // EILSEQ or EINVAL: one byte the charset cannot read.
    utf8->append(kReplacement);
    ++in;
    --in_left;
    iconv(handle.get(), nullptr, nullptr, nullptr, nullptr);
  }
  return true;
}

std::string ToValidUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  size_t i = 0;
  while (i < bytes.size()) {
    size_t length = Utf8SequenceLength(bytes, i);
    if (length == 0) {
      out.append(kReplacement);
      ++i;
    } else {
      out.append(bytes.substr(i, length));
      i += length;
    }
  }
  return out;
}

std::string UnescapeText(std::string_view text, VCardVersion version) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c != '\\' || i + 1 == text.size() || !IsEscapable(text[i + 1], version)) {
      out.push_back(c);
      continue;
    }
    char next = text[++i];
    out.push_back(next == 'n' || next == 'N' ? '\n' : next);
  }
  return out;
}

std::vector<std::string> SplitStructured(std::string_view text, char separator,
                                         VCardVersion version) {
  std::vector<std::string> pieces;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] == '\\' && i + 1 < text.size() &&
        IsEscapable(text[i + 1], version)) {
      ++i;
      continue;
    }
    if (i == text.size() || text[i] == separator) {
      pieces.push_back(UnescapeText(text.substr(start, i - start), version));
      start = i + 1;
    }
  }
  return pieces;
}

std::string EscapeText(std::string_view text, VCardVersion version) {
  bool v21 = version == VCardVersion::k21;
  std::string out;
  out.reserve(text.size() + 8);
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\\' || c == ';' || (c == ',' && !v21)) {
      out.push_back('\\');
      out.push_back(c);
    } else if ((c == '\r' || c == '\n') && !v21) {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out.append("\\n");
    } else {
      out.push_back(c);
    }
  }
  return out;
}

bool IsAscii(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

}  // namespace olconn97::pim
