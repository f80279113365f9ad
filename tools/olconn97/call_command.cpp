// olconn97 call and olconn97 actions: a call event played as the suite's
// host plays it, and the driver's actions as the host lists them.
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <string>
#include <system_error>
#include <vector>

#include "commands.h"
#include "contact_view.h"
#include "json_text.h"

namespace host {

namespace {

namespace fs = std::filesystem;

constexpr char kActionsHelp[] =
    "usage: olconn97 actions [--json]\n"
    "\n"
    "Lists the driver's actions as the suite's host reads them from\n"
    "DataConnector_Actions: each action's identifier, name and whether it is\n"
    "passive, and its settings with their keys, types, values and choices.\n";

constexpr char kCallHelp[] =
    "usage: olconn97 call NUMBER [--type incoming|outgoing] [--data 'KEY=value;...']\n"
    "                     [--action ACTION]... [--set ACTION.KEY=VALUE]...\n"
    "\n"
    "Plays what the suite's host does on a call event: finds the caller\n"
    "(FindFirst on a new search cursor), attaches the call data to the contact\n"
    "(PersonalData), gives the chosen actions their settings and runs them in\n"
    "the order given, then says what each did in the contact store.\n"
    "\n"
    "ACTION is open (4097, open the caller's card or make one), close (4098),\n"
    "mail (4099), journal (4100) or launch (4101). The settings are those\n"
    "'olconn97 actions' lists: --set mail.DestinationAddress=desk@example.org,\n"
    "--set mail.AutomaticSend=false, --set open.NewOnInexistant=2 (a choice by\n"
    "its index or its text), --set launch.Path=/usr/bin,\n"
    "--set 'launch.Arguments=notify-send \"Call from $1\"'.\n"
    "\n"
    "The call data holds PHONENUMBER (the NUMBER), TYPE (--type, default\n"
    "incoming) and START (now), after what --data gives, which wins: add\n"
    "'DURATION=75' for a call that has ended (it then began 75 seconds ago,\n"
    "unless START says when). Keys the actions read:\n"
    "PHONENUMBER, LOCALNUMBER, ORIGIN, TYPE, START, DURATION.\n"
    "Exit status: 0 when every action ran, 1 on a failure, 2 for bad usage.\n";

struct ActionName {
  const char* word;
  LONG id;
};
constexpr ActionName kActionNames[] = {
    {"open", 4097}, {"close", 4098}, {"mail", 4099}, {"journal", 4100}, {"launch", 4101},
};

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

// Releases an interface pointer the driver handed out.
template <typename T>
class Held {
 public:
  Held() = default;
  explicit Held(T* p) : p_(p) {}
  Held(const Held&) = delete;
  Held& operator=(const Held&) = delete;
  Held(Held&& other) noexcept : p_(other.p_) { other.p_ = nullptr; }
  ~Held() {
    if (p_ != nullptr) p_->Release();
  }
  T* get() const { return p_; }
  T** Receive() {
    if (p_ != nullptr) p_->Release();
    p_ = nullptr;
    return &p_;
  }

 private:
  T* p_ = nullptr;
};

std::string TextOf(IDispatch* object, const char* member) {
  HostVariant value;
  std::string failure;
  return SUCCEEDED(Read(object, member, nullptr, &value, &failure)) ? value.Text() : std::string();
}

// One setting of an action, as the host shows it to the user.
struct SettingView {
  std::string key, name, value;
  int type = 0;
  int index = 0;
  std::vector<std::string> choices;
};

struct ActionView {
  LONG id = 0;
  std::string name;
  bool passive = false;
  std::vector<SettingView> settings;
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

ActionView ReadAction(IDispatch* action) {
  ActionView view;
  view.id = std::atol(TextOf(action, "ActionID").c_str());
  view.name = TextOf(action, "ActionName");
  view.passive = TextOf(action, "PassiveAction") == "True" || TextOf(action, "PassiveAction") == "-1";
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

const char* TypeWord(int type) {
  return type == 8 ? "text" : type == 11 ? "yes/no" : type == 8200 ? "choice" : "other";
}

std::string Quoted(const std::string& text) { return "\"" + JsonEscape(text) + "\""; }

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

// Every file below the store (and the address books linked into it), with
// its modification time: what an action wrote shows as a difference.
using Snapshot = std::map<std::string, fs::file_time_type>;
Snapshot TakeSnapshot(const std::string& store) {
  Snapshot files;
  std::error_code error;
  auto options = fs::directory_options::follow_directory_symlink |
                 fs::directory_options::skip_permission_denied;
  for (fs::recursive_directory_iterator it(store, options, error), end; !error && it != end;
       it.increment(error)) {
    if (it.depth() > 4) it.disable_recursion_pending();  // a link loop goes no deeper
    std::string name = it->path().filename().string();
    if (name.empty() || name[0] == '.') continue;
    if (it->is_regular_file(error)) files[it->path().string()] = it->last_write_time(error);
  }
  return files;
}

std::vector<std::string> Written(const Snapshot& before, const Snapshot& after,
                                 const std::string& store) {
  std::vector<std::string> written;
  for (const auto& [path, time] : after) {
    auto old = before.find(path);
    if (old != before.end() && old->second == time) continue;
    std::string shown = path.rfind(store + "/", 0) == 0 ? path.substr(store.size() + 1) : path;
    written.push_back((old == before.end() ? "new " : "changed ") + shown);
  }
  return written;
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

// The value of KEY= in call data, "" when absent (the first occurrence
// counts, as the driver reads it).
std::string CallValue(const std::string& data, const std::string& key) {
  size_t at = data.find(key + "=");
  if (at == std::string::npos) return {};
  at += key.size() + 1;
  return data.substr(at, data.find(';', at) - at);
}

// The local time `seconds_ago` seconds ago, as the system writes it.
std::string LocalTimeText(long seconds_ago) {
  std::time_t now = std::time(nullptr) - seconds_ago;
  std::tm local{};
  localtime_r(&now, &local);
  char text[64];
  size_t length = std::strftime(text, sizeof text, "%x %X", &local);
  return std::string(text, length);
}

}  // namespace

int RunActions(const Args& args) {
  if (WantsHelp(args)) {
    std::fputs(kActionsHelp, stdout);
    return 0;
  }
  bool json = false;
  for (const std::string& arg : args) {
    if (arg == "--json") {
      json = true;
    } else {
      std::fprintf(stderr, "olconn97 actions: unexpected '%s'\n%s", arg.c_str(), kActionsHelp);
      return 2;
    }
  }
  Held<DataConnector> driver = StartDriver("actions");
  if (driver.get() == nullptr) return 1;
  Held<PIMActions> list = ActionList(driver.get(), "actions");
  if (list.get() == nullptr) return 1;
  LONG count = 0;
  list.get()->get_Count(&count);
  std::vector<ActionView> actions;
  Held<IUnknown> walk_unknown;
  list.get()->get_NewEnum(walk_unknown.Receive());
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
  if (json) {
    std::string out = "[";
    for (size_t i = 0; i < actions.size(); ++i) out += (i > 0 ? "," : "") + ActionJson(actions[i]);
    std::printf("%s]\n", out.c_str());
  } else {
    for (const ActionView& action : actions) PrintAction(action);
  }
  return static_cast<LONG>(actions.size()) == count ? 0 : 1;
}

int RunCall(const Args& args) {
  if (WantsHelp(args)) {
    std::fputs(kCallHelp, stdout);
    return 0;
  }
  std::string number, type = "incoming", data;
  std::vector<LONG> chosen;
  std::vector<ActionSetting> sets;
  auto usage = [](const std::string& why) {
    std::fprintf(stderr, "olconn97 call: %s\n%s", why.c_str(), kCallHelp);
    return 2;
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    bool has_value = i + 1 < args.size();
    if (arg == "--type" && has_value) {
      type = args[++i];
      if (type != "incoming" && type != "outgoing") return usage("--type is incoming or outgoing");
    } else if (arg == "--data" && has_value) {
      data = args[++i];
    } else if (arg == "--action" && has_value) {
      LONG id = ActionIdOf(args[++i]);
      if (id == 0) return usage("unknown action '" + args[i] + "'");
      chosen.push_back(id);
    } else if (arg == "--set" && has_value) {
      const std::string& text = args[++i];
      size_t dot = text.find('.');
      size_t equals = text.find('=');
      if (dot == std::string::npos || equals == std::string::npos || equals < dot) {
        return usage("--set takes ACTION.KEY=VALUE");
      }
      LONG id = ActionIdOf(text.substr(0, dot));
      if (id == 0) return usage("unknown action '" + text.substr(0, dot) + "'");
      sets.push_back({id, text.substr(dot + 1, equals - dot - 1), text.substr(equals + 1)});
    } else if (arg.rfind("--", 0) == 0) {
      return usage("unknown option or missing value '" + arg + "'");
    } else if (number.empty()) {
      number = arg;
    } else {
      return usage("one NUMBER only");
    }
  }
  if (number.empty()) return usage("expected the caller's NUMBER");
  Held<DataConnector> driver = StartDriver("call");
  if (driver.get() == nullptr) return 1;
  return PlayCallEvent(driver.get(), CallEvent{number, type, data, chosen, sets});
}

int PlayCallEvent(DataConnector* driver, const CallEvent& event) {
  const std::string& number = event.number;
  const std::string& type = event.type;
  std::string data = event.data;
  if (!data.empty() && data.back() != ';') data += ';';
  // The host's own keys come after the given ones: the first occurrence wins.
  // A call that has ended (DURATION=seconds) began that long ago.
  long duration = std::strtol(CallValue(data, "DURATION").c_str(), nullptr, 10);
  data += "PHONENUMBER=" + number + ";TYPE=" + type + ";START=" + LocalTimeText(duration) + ";";
  Held<PIMActions> list = ActionList(driver, "call");
  if (list.get() == nullptr) return 1;
  for (const ActionSetting& set : event.sets) {
    std::string failure;
    if (!ApplySetting(list.get(), set, &failure)) {
      std::fprintf(stderr, "olconn97 call: %s.%s: %s\n", WordOf(set.action), set.key.c_str(),
                   failure.c_str());
      return 1;
    }
  }

  Held<ContactRecord> cursor;
  HRESULT hr = driver->Dataconnector_OpenContactRecord(cursor.Receive());
  if (FAILED(hr) || cursor.get() == nullptr) {
    std::fprintf(stderr, "olconn97 call: the driver is not ready (see 'olconn97 status')\n");
    return 1;
  }
  Contact* contact = nullptr;
  HostBstr filter(number);
  hr = cursor.get()->ContactRecord_FindFirst(0, filter.get(), &contact);
  if (FAILED(hr)) {
    std::fprintf(stderr, "olconn97 call: %s\n", FailureText(hr).c_str());
    return 1;
  }
  HostVariant personal;
  personal.get()->vt = VT_BSTR;
  personal.get()->bstrVal = Api().SysAllocStringLen(data.data(), static_cast<UINT>(data.size()));
  if (contact != nullptr) contact->put_PersonalData(personal.raw());
  bool known = contact != nullptr && TextOf(contact, "NotInPIM") != "True" &&
               TextOf(contact, "NotInPIM") != "-1";
  std::printf("%s call %s %s: %s\n", type == "incoming" ? "Incoming" : "Outgoing",
              type == "incoming" ? "from" : "to", number.c_str(),
              known ? TextOf(contact, "FullName").c_str() : "unknown caller");

  HostVariant folder_answer;
  HostBstr store_command("storeFolder");
  HostVariant none;
  driver->DataConnector_ExecuteCommand(store_command.get(), none.raw(), folder_answer.get());
  std::string store = folder_answer.Text();
  int failed = 0;
  for (LONG id : event.actions) {
    Held<IDispatch> item;
    Held<PIMAction> action;
    if (FAILED(list.get()->Item(id, item.Receive())) || item.get() == nullptr ||
        FAILED(item.get()->QueryInterface(IID_PIMAction, reinterpret_cast<void**>(action.Receive())))) {
      std::fprintf(stderr, "olconn97 call: no action %ld\n", static_cast<long>(id));
      ++failed;
      continue;
    }
    Snapshot before = store.empty() ? Snapshot() : TakeSnapshot(store);
    VARIANT_BOOL result = VARIANT_FALSE;
    hr = action.get()->ExecuteAction(&contact, &result);
    if (FAILED(hr)) {
      std::printf("%-8s failed: %s\n", WordOf(id), FailureText(hr).c_str());
      ++failed;
      continue;
    }
    std::vector<std::string> written =
        store.empty() ? std::vector<std::string>() : Written(before, TakeSnapshot(store), store);
    if (written.empty()) {
      std::printf("%-8s %s\n", WordOf(id),
                  id == 4101 ? "done: a program that could not start is reported above"
                             : "done; nothing written to the store");
    }
    for (const std::string& line : written) std::printf("%-8s %s\n", WordOf(id), line.c_str());
  }
  if (contact != nullptr) contact->Release();
  FinishDriverWork();
  if (!store.empty() && !event.actions.empty()) std::printf("Store: %s\n", store.c_str());
  return failed == 0 ? 0 : 1;
}

}  // namespace host
