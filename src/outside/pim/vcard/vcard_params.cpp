#include "outside/pim/vcard/vcard_params.h"

#include <array>

#include "base/strings.h"

namespace olconn97::pim {

bool ParamReader::Next(VCardParam* param) {
  while (!rest_.empty()) {
    // rest_ starts at a ';' (or, for broken text, anywhere: then that piece
    // is a parameter too).
    size_t begin = rest_.front() == ';' ? 1 : 0;
    bool quoted = false;
    size_t end = begin;
    for (; end < rest_.size(); ++end) {
      if (rest_[end] == '"') quoted = !quoted;
      if (rest_[end] == ';' && !quoted) break;
    }
    std::string_view raw = rest_.substr(0, end);
    std::string_view body = rest_.substr(begin, end - begin);
    rest_.remove_prefix(end);
    if (body.empty()) continue;
    size_t equals = body.find('=');
    if (equals == std::string_view::npos) {
      *param = VCardParam{{}, body, raw};
    } else {
      *param = VCardParam{body.substr(0, equals), body.substr(equals + 1), raw};
    }
    return true;
  }
  return false;
}

std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

bool IsBareEncoding(std::string_view bare) {
  static constexpr std::array<std::string_view, 5> kEncodings = {"QUOTED-PRINTABLE", "BASE64",
                                                                 "8BIT", "7BIT", "B"};
  for (std::string_view encoding : kEncodings) {
    if (EqualsIgnoreCase(bare, encoding)) return true;
  }
  return false;
}

bool FindParam(std::string_view params, std::string_view upper, VCardParam* found) {
  ParamReader reader(params);
  VCardParam param;
  while (reader.Next(&param)) {
    if (EqualsIgnoreCase(param.name, upper)) {
      *found = param;
      return true;
    }
  }
  return false;
}

bool IsQuotedPrintable(std::string_view params) {
  ParamReader reader(params);
  VCardParam param;
  while (reader.Next(&param)) {
    bool encoding = param.name.empty() || EqualsIgnoreCase(param.name, "ENCODING");
    if (encoding && EqualsIgnoreCase(Unquote(param.value), "QUOTED-PRINTABLE")) return true;
  }
  return false;
}

}  // namespace olconn97::pim
