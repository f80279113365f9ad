// olconn97 call and olconn97 actions: a call event played as the suite's
// host plays it, and the driver's actions as the host lists them.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <sstream>
#include <string>
#include <vector>

#include "commands.h"
#include "contact_view.h"
#include "host_actions.h"
#include "store_snapshot.h"

namespace host {

namespace {

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

// The value of KEY= in call data, "" when absent (the first occurrence
// counts, as the driver reads it).
std::string CallValue(const std::string& data, const std::string& key) {
  size_t at = data.find(key + "=");
  if (at == std::string::npos) return {};
  at += key.size() + 1;
  return data.substr(at, data.find(';', at) - at);
}


// The words of the actions an event runs, as one text.
std::string EventWords(const EventActions& event, std::vector<std::string>* problems) {
  std::string words;
  for (LONG id : ConfiguredActions(event, problems)) words += (words.empty() ? "" : " ") + std::string(WordOf(id));
  return words;
}

std::string WordList(const std::string& words) {
  std::string out = "[";
  std::istringstream split(words);
  bool first = true;
  for (std::string word; split >> word; first = false) out += (first ? "\"" : ",\"") + word + "\"";
  return out + "]";
}

}  // namespace

int RunActions(const Args& args) {
  if (WantsHelp(args)) {
    std::fputs(kActionsHelp, stdout);
    return 0;
  }
  bool json = false;
  if (!JsonOnly(args, "actions", kActionsHelp, &json)) return 2;
  Held<DataConnector> driver = StartDriver("actions");
  if (driver.get() == nullptr) return 1;
  Held<PIMActions> list = ActionList(driver.get(), "actions");
  if (list.get() == nullptr) return 1;
  std::vector<std::string> setting_problems;
  ApplyConfiguredSettings(list.get(), &setting_problems);
  for (const std::string& problem : setting_problems) {
    std::fprintf(stderr, "olconn97 actions: %s\n", problem.c_str());
  }
  LONG count = 0;
  list.get()->get_Count(&count);
  std::vector<ActionView> actions = ReadActions(list.get());
  std::vector<std::string> problems;
  std::string ring = EventWords(kRingActions, &problems);
  std::string hangup = EventWords(kHangupActions, &problems);
  std::string missed = EventWords(kMissedActions, &problems);
  if (json) {
    std::string out = "{\"ring\":" + WordList(ring) + ",\"hangup\":" + WordList(hangup) +
                      ",\"missed\":" + WordList(missed) + ",\"actions\":[";
    for (size_t i = 0; i < actions.size(); ++i) out += (i > 0 ? "," : "") + ActionJson(actions[i]);
    std::printf("%s]}\n", out.c_str());
  } else {
    for (const ActionView& action : actions) PrintAction(action);
    std::printf(
        "\nThe phone host runs on a ring: %s; on a hang-up: %s; on a missed call, besides: %s\n"
        "(settings under HKCU\\%s: see 'olconn97 phone --help')\n",
        ring.empty() ? "nothing" : ring.c_str(), hangup.empty() ? "nothing" : hangup.c_str(),
        missed.empty() ? "nothing" : missed.c_str(), kHostKey);
  }
  for (const std::string& problem : problems) {
    std::fprintf(stderr, "olconn97 actions: %s\n", problem.c_str());
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
  data += "PHONENUMBER=" + number + ";TYPE=" + type + ";START=" +
          CallDataTime(std::chrono::system_clock::now() - std::chrono::seconds(duration)) + ";";
  Held<PIMActions> list = ActionList(driver, "call");
  if (list.get() == nullptr) return 1;
  // The host's configured settings first; those given for this call win.
  std::vector<std::string> problems;
  ApplyConfiguredSettings(list.get(), &problems);
  for (const std::string& problem : problems) {
    std::fprintf(stderr, "olconn97 call: %s\n", problem.c_str());
  }
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
  bool known = contact != nullptr && !FlagOf(contact, "NotInPIM");
  std::printf("%s call %s %s: %s\n", type == "incoming" ? "Incoming" : "Outgoing",
              type == "incoming" ? "from" : "to", number.c_str(),
              known ? TextOf(contact, "FullName").c_str() : "unknown caller");

  std::string store = CommandText(driver, "storeFolder");
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
