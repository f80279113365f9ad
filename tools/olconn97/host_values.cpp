#include "host_values.h"

#include <cstdio>

namespace host {

std::string FailureText(HRESULT hr) {
  IErrorInfo* info = nullptr;
  std::string text;
  if (Api().GetErrorInfo(0, &info) == S_OK && info != nullptr) {
    HostBstr description;
    HostBstr source;
    info->GetDescription(description.Receive());
    info->GetSource(source.Receive());
    info->Release();
    text = description.str();
    if (!source.str().empty()) text += " (" + source.str() + ")";
  }
  if (text.empty()) {
    char code[32];
    std::snprintf(code, sizeof code, "error 0x%08X", static_cast<unsigned>(hr));
    text = code;
  }
  return text;
}

std::string JsonEscape(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  return out;
}

}  // namespace host
