#include "host_actions.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <sstream>

#include "contact_view.h"
#include "json_text.h"

namespace host {

namespace {

struct ActionName {
  const char* word;
  LONG id;
};
constexpr ActionName kActionNames[] = {
    {"open", 4097}, {"close", 4098}, {"mail", 4099}, {"journal", 4100}, {"launch", 4101},
};

std::vector<std::string> ChoicesOf(IDispatch* setting) {
  HostVariant values;
  std::string failure;
  std::vector<std::string> choices;
  if (FAILED(Read(setting, "Values", nullptr, &values, &failure))) return choices;
  const VARIANT& array = values.raw();
  if ((array.vt & VT_ARRAY) == 0 || array.parray == nullptr) return choices;
  const SAFEARRAY* list = array.parray;
  const auto* entries = static_cast<const VARIANT*>(list->pvData);
  for (ULONG i = 0; i < list->rgsabound[0].cElements; ++i) {
    VARIANT text;
    Api().VariantInit(&text);
    if (Api().VariantChangeType(&text, &entries[i], 0, VT_BSTR) >= 0 && text.bstrVal != nullptr) {
      choices.emplace_back(text.bstrVal, Api().SysStringLen(text.bstrVal));
    }
    Api().VariantClear(&text);
  }
  return choices;
}

const char* TypeWord(int type) {
  return type == 8 ? "text" : type == 11 ? "yes/no" : type == 8200 ? "choice" : "other";
}

std::string Quoted(const std::string& text) { return "\"" + JsonEscape(text) + "\""; }

}  // namespace

LONG ActionIdOf(const std::string& word) {
  for (const ActionName& name : kActionNames) {
    if (word == name.word || word == std::to_string(name.id)) return name.id;
  }
  return 0;
}

const char* WordOf(LONG id) {
  for (const ActionName& name : kActionNames) {
    if (name.id == id) return name.word;
  }
  return "?";
}

std::string TextOf(IDispatch* object, const char* member) {
  HostVariant value;
  std::string failure;
  return SUCCEEDED(Read(object, member, nullptr, &value, &failure)) ? value.Text() : std::string();
}

bool FlagOf(IDispatch* object, const char* member) {
  HostVariant flag;
  std::string failure;
  return SUCCEEDED(Read(object, member, nullptr, &flag, &failure)) &&
         flag.raw().vt == VT_BOOL && flag.raw().boolVal != VARIANT_FALSE;
}

std::string CallDataTime(std::chrono::system_clock::time_point time) {
  std::time_t seconds = std::chrono::system_clock::to_time_t(time);
  std::tm local{};
  localtime_r(&seconds, &local);
  char text[64];
  size_t length = std::strftime(text, sizeof text, "%x %X", &local);
  return std::string(text, length);
}

ActionView ReadAction(IDispatch* action) {
  ActionView view;
  view.id = std::atol(TextOf(action, "ActionID").c_str());
  view.name = TextOf(action, "ActionName");
  view.passive = FlagOf(action, "PassiveAction");
  HostVariant settings;
  std::string failure;
  if (FAILED(Read(action, "ActionProp", nullptr, &settings, &failure)) ||
      settings.raw().vt != VT_DISPATCH || settings.raw().pdispVal == nullptr) {
    return view;
  }
  IDispatch* list = settings.raw().pdispVal;
  int count = std::atoi(TextOf(list, "Count").c_str());
  for (int i = 1; i <= count; ++i) {
    HostVariant position;
    position.get()->vt = VT_I4;
    position.get()->lVal = i;
    HostVariant setting;
    if (FAILED(Read(list, "Item", position.get(), &setting, &failure)) ||
        setting.raw().vt != VT_DISPATCH) {
      continue;
    }
    IDispatch* one = setting.raw().pdispVal;
    SettingView shown{TextOf(one, "Key"), TextOf(one, "PropertyName"), TextOf(one, "Value"),
                      std::atoi(TextOf(one, "PropertyType").c_str()),
                      std::atoi(TextOf(one, "ValueIndex").c_str()), ChoicesOf(one)};
    view.settings.push_back(std::move(shown));
  }
  return view;
}

std::vector<ActionView> ReadActions(PIMActions* list) {
  std::vector<ActionView> actions;
  Held<IUnknown> walk_unknown;
  list->get_NewEnum(walk_unknown.Receive());
  Held<IEnumVARIANT> walk;
  if (walk_unknown.get() != nullptr) {
    walk_unknown.get()->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(walk.Receive()));
  }
  VARIANT next;
  ULONG fetched = 0;
  while (walk.get() != nullptr && walk.get()->Next(1, &next, &fetched) == S_OK && fetched == 1) {
    if (next.vt == VT_DISPATCH && next.pdispVal != nullptr) {
      actions.push_back(ReadAction(next.pdispVal));
    }
    Api().VariantClear(&next);
  }
  return actions;
}

std::string ActionJson(const ActionView& action) {
  std::string out = "{\"id\":" + std::to_string(action.id) + ",\"word\":" +
                    Quoted(WordOf(action.id)) + ",\"name\":" + Quoted(action.name) +
                    ",\"passive\":" + (action.passive ? "true" : "false") + ",\"settings\":[";
  for (size_t i = 0; i < action.settings.size(); ++i) {
    const SettingView& s = action.settings[i];
    out += (i > 0 ? "," : "") + std::string("{\"key\":") + Quoted(s.key) +
           ",\"name\":" + Quoted(s.name) + ",\"type\":" + std::to_string(s.type) +
           ",\"kind\":" + Quoted(TypeWord(s.type)) + ",\"value\":" + Quoted(s.value);
    if (s.type == 8200) {
      out += ",\"index\":" + std::to_string(s.index) + ",\"choices\":[";
      for (size_t c = 0; c < s.choices.size(); ++c) out += (c > 0 ? "," : "") + Quoted(s.choices[c]);
      out += "]";
    }
    out += "}";
  }
  return out + "]}";
}

void PrintAction(const ActionView& action) {
  std::printf("%ld %-8s %s%s\n", static_cast<long>(action.id), WordOf(action.id),
              action.name.c_str(), action.passive ? "" : "  (changes the store)");
  for (const SettingView& s : action.settings) {
    std::printf("    %s.%s = %s  (%s: %s)\n", WordOf(action.id), s.key.c_str(),
                s.type == 8200 ? (std::to_string(s.index) + " " + Quoted(s.value)).c_str()
                               : Quoted(s.value).c_str(),
                TypeWord(s.type), s.name.c_str());
    for (size_t c = 0; c < s.choices.size(); ++c) {
      std::printf("        %zu  %s\n", c, s.choices[c].c_str());
    }
  }
}

// The driver, created as the host creates it, its start-up's work done.
Held<DataConnector> StartDriver(const char* command) {
  std::string error;
  Held<DataConnector> driver(Library().CreateDriver(&error));
  if (driver.get() == nullptr) {
    std::fprintf(stderr, "olconn97 %s: %s\n", command, error.c_str());
  } else {
    FinishDriverWork();
  }
  return driver;
}

Held<PIMActions> ActionList(DataConnector* driver, const char* command) {
  Held<PIMActions> list;
  HRESULT hr = driver->get_DataConnector_Actions(list.Receive());
  if (FAILED(hr) || list.get() == nullptr) {
    std::fprintf(stderr, "olconn97 %s: the driver has no action list: %s\n", command,
                 FAILED(hr) ? FailureText(hr).c_str()
                            : "its start-up failed (see 'olconn97 status')");
  }
  return list;
}

// Gives one setting its value as the host's configuration would: a choice
// by index (or by its text), a yes/no value from true/false/yes/no/1/0.
bool ApplySetting(PIMActions* list, const ActionSetting& set, std::string* failure) {
  Held<IDispatch> action;
  HRESULT hr = list->Item(set.action, action.Receive());
  if (FAILED(hr)) {
    *failure = FailureText(hr);
    return false;
  }
  HostVariant settings;
  if (FAILED(Read(action.get(), "ActionProp", nullptr, &settings, failure))) return false;
  HostBstr key(set.key);
  HostVariant key_argument;
  key_argument.get()->vt = VT_BSTR;
  key_argument.get()->bstrVal = key.get();
  Held<ActionProperty> setting;
  Held<ActionProperties> collection;
  if (settings.raw().pdispVal == nullptr ||
      FAILED(settings.raw().pdispVal->QueryInterface(IID_ActionProperties,
                                                     reinterpret_cast<void**>(collection.Receive())))) {
    *failure = "the action has no settings";
    return false;
  }
  hr = collection.get()->Item(key_argument.raw(), setting.Receive());
  key_argument.get()->vt = VT_EMPTY;  // the BSTR belongs to `key`
  if (FAILED(hr)) {
    *failure = "no setting " + set.key + " (see 'olconn97 actions')";
    return false;
  }
  SHORT type = 0;
  setting.get()->get_PropertyType(&type);
  if (type == 8200) {
    std::vector<std::string> choices = ChoicesOf(setting.get());
    int index = -1;
    for (size_t c = 0; c < choices.size(); ++c) {
      if (choices[c] == set.value || std::to_string(c) == set.value) index = static_cast<int>(c);
    }
    if (index < 0) {
      *failure = "'" + set.value + "' is none of the choices of " + set.key;
      return false;
    }
    return SUCCEEDED(setting.get()->put_ValueIndex(static_cast<SHORT>(index)));
  }
  HostVariant value;
  if (type == 11) {
    std::string v = set.value;
    bool yes = v == "true" || v == "yes" || v == "1" || v == "True";
    bool no = v == "false" || v == "no" || v == "0" || v == "False";
    if (!yes && !no) {
      *failure = set.key + " takes true or false";
      return false;
    }
    value.get()->vt = VT_BOOL;
    value.get()->boolVal = yes ? VARIANT_TRUE : VARIANT_FALSE;
  } else {
    value.get()->vt = VT_BSTR;
    value.get()->bstrVal =
        Api().SysAllocStringLen(set.value.data(), static_cast<UINT>(set.value.size()));
  }
  hr = setting.get()->put_Value(value.raw());
  if (FAILED(hr)) *failure = FailureText(hr);
  return SUCCEEDED(hr);
}

std::optional<std::string> HostValue(const char* name) {
  std::vector<char> text(256);
  for (int attempt = 0; attempt < 2; ++attempt) {
    int length =
        Api().olconn97_setting(kHostKey, name, text.data(), static_cast<unsigned>(text.size()));
    if (length < 0) return std::nullopt;
    if (static_cast<size_t>(length) < text.size()) {
      return std::string(text.data(), static_cast<size_t>(length));
    }
    text.resize(static_cast<size_t>(length) + 1);  // changed meanwhile: once more
  }
  return std::nullopt;
}

std::string HostSetting(const char* name, const std::string& fallback) {
  return HostValue(name).value_or(fallback);
}

std::vector<LONG> ConfiguredActions(const EventActions& event, std::vector<std::string>* problems) {
  std::string words = HostSetting(event.value_name, event.fallback);
  for (char& c : words) {
    if (c == ',' || c == ';') c = ' ';
  }
  std::istringstream split(words);
  std::vector<LONG> actions;
  for (std::string word; split >> word;) {
    LONG id = ActionIdOf(word);
    if (id == 0) {
      problems->push_back(std::string(event.value_name) + ": '" + word + "' names no action");
    } else {
      actions.push_back(id);
    }
  }
  return actions;
}

void ApplyConfiguredSettings(PIMActions* list, std::vector<std::string>* problems) {
  for (const ActionName& action : kActionNames) {
    Held<IDispatch> item;
    if (FAILED(list->Item(action.id, item.Receive())) || item.get() == nullptr) continue;
    for (const SettingView& setting : ReadAction(item.get()).settings) {
      std::string name = std::string(action.word) + "." + setting.key;
      std::optional<std::string> value = HostValue(name.c_str());
      if (!value) continue;
      std::string failure;
      if (!ApplySetting(list, ActionSetting{action.id, setting.key, *value}, &failure)) {
        problems->push_back(name + ": " + failure);
      }
    }
  }
}

}  // namespace host
