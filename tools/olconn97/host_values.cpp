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

std::string CommandText(DataConnector* driver, const char* command) {
  HostBstr name(command);
  HostVariant none;
  HostVariant answer;
  if (FAILED(driver->DataConnector_ExecuteCommand(name.get(), none.raw(), answer.get()))) return {};
  return answer.Text();
}

}  // namespace host
