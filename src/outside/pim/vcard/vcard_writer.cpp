#include "outside/pim/vcard/vcard_writer.h"

#include <algorithm>

#include "base/strings.h"
#include "outside/pim/vcard/vcard_lines.h"
#include "outside/pim/vcard/vcard_params.h"

namespace olconn97::pim {
namespace {

bool IsUtf8Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

bool HasControls(std::string_view text) {
  for (char c : text) {
    auto u = static_cast<unsigned char>(c);
    if ((u < 0x20 && c != '\t') || u == 0x7F) return true;
  }
  return false;
}

}  // namespace

std::string FoldLine(std::string_view text, std::string_view line_end) {
  std::string out;
  out.reserve(text.size() + (text.size() / (kFoldOctets - 1) + 1) * (line_end.size() + 1));
  size_t pos = 0;
  size_t limit = kFoldOctets;
  while (text.size() - pos > limit) {
    size_t cut = pos + limit;
    while (cut > pos && IsUtf8Continuation(text[cut])) --cut;
    if (cut == pos) cut = pos + limit;  // not UTF-8 at all: cut where the limit is
    out.append(text.substr(pos, cut - pos));
    out.append(line_end);
    out.push_back(' ');
    pos = cut;
    limit = kFoldOctets - 1;  // the blank counts
  }
  out.append(text.substr(pos));
  out.append(line_end);
  return out;
}

WrittenLine SoftBreakLine(std::string_view text, size_t value_begin, std::string_view line_end) {
  WrittenLine line;
  line.raw.assign(text.substr(0, value_begin));
  line.text.assign(line.raw);
  size_t column = value_begin;
  size_t i = value_begin;
  while (i < text.size()) {
    size_t unit = text[i] == '=' ? std::min<size_t>(3, text.size() - i) : 1;
    if (column + unit + 1 > kFoldOctets) {  // + 1 for the '=' of the soft break
      line.raw.push_back('=');
      line.raw.append(line_end);
      column = 0;
    }
    std::string_view piece = text.substr(i, unit);
    if (column == 0 && (text[i] == ' ' || text[i] == '\t')) piece = text[i] == ' ' ? "=20" : "=09";
    line.raw.append(piece);
    line.text.append(piece);
    column += piece.size();
    i += unit;
  }
  line.raw.append(line_end);
  return line;
}

std::string ParamsWithout(std::string_view params,
                          std::initializer_list<std::string_view> upper_names, bool drop_encoding) {
  std::string kept;
  ParamReader reader(params);
  VCardParam param;
  while (reader.Next(&param)) {
    bool bare = param.name.empty();
    bool drop = drop_encoding && ((bare && IsBareEncoding(param.value)) ||
                                  EqualsIgnoreCase(param.name, "ENCODING") ||
                                  EqualsIgnoreCase(param.name, "CHARSET"));
    for (std::string_view name : upper_names) drop = drop || EqualsIgnoreCase(param.name, name);
    if (!drop) kept.append(param.raw);
  }
  return kept;
}

WrittenLine ComposeLine(std::string_view head, std::string_view escaped_value, VCardVersion version,
                        std::string_view line_end) {
  WrittenLine line;
  line.text.assign(head);
  bool v21 = version == VCardVersion::k21;
  if (v21 && !IsAscii(escaped_value)) line.text.append(";CHARSET=UTF-8");
  if (v21 && HasControls(escaped_value)) {
    line.text.append(";ENCODING=QUOTED-PRINTABLE:");
    size_t value_begin = line.text.size();
    line.text.append(EncodeVCardQuotedPrintable(escaped_value));
    return SoftBreakLine(line.text, value_begin, line_end);
  }
  line.text.push_back(':');
  line.text.append(escaped_value);
  line.raw = FoldLine(line.text, line_end);
  return line;
}

WrittenLine ComposeRawLine(std::string text, std::string_view line_end) {
  ContentLine parsed;
  parsed.text = text;
  ParseLineHeader(parsed);
  if (parsed.has_value() && IsQuotedPrintable(parsed.params())) {
    return SoftBreakLine(text, parsed.value_begin, line_end);
  }
  WrittenLine line;
  line.raw = FoldLine(text, line_end);
  line.text = std::move(text);
  return line;
}

}  // namespace olconn97::pim
