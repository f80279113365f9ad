// The driver's actions as the reference host handles them: named by a
// word (open, close, mail, journal, launch), read for showing, given the
// settings the user chose, and the host's own configuration of which
// actions run on which call event (the phone host; olconn97 call and
// olconn97 actions show and use the same).
#ifndef OLCONN97_TOOLS_HOST_ACTIONS_H_
#define OLCONN97_TOOLS_HOST_ACTIONS_H_

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "commands.h"
#include "host_values.h"

namespace host {

// 4097 "open" ... 4101 "launch"; 0 for a word that names no action (the
// identifier in decimal is accepted too).
LONG ActionIdOf(const std::string& word);
const char* WordOf(LONG id);

// A member read by name as text; "" when it fails.
std::string TextOf(IDispatch* object, const char* member);
// A yes/no member read by name; false when it fails or is no boolean.
bool FlagOf(IDispatch* object, const char* member);

// A time as call data carries it (START=): the system's short date and
// long time, "%x %X".
std::string CallDataTime(std::chrono::system_clock::time_point time);

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

ActionView ReadAction(IDispatch* action);
// Every action of the list, walked as a host walks a collection (NewEnum).
std::vector<ActionView> ReadActions(PIMActions* list);
std::string ActionJson(const ActionView& action);
void PrintAction(const ActionView& action);

// The driver, created as the host creates it, its start-up's work done;
// null after saying why on stderr.
Held<DataConnector> StartDriver(const char* command);
// The driver's action list; null after saying why on stderr.
Held<PIMActions> ActionList(DataConnector* driver, const char* command);

// Gives one setting its value as the host's configuration would: a choice
// by index (or by its text), a yes/no value from true/false/yes/no/1/0.
bool ApplySetting(PIMActions* list, const ActionSetting& set, std::string* failure);

// --- the host's own configuration, under HKEY_CURRENT_USER\<kHostKey> ---
//   "RingActions"     run when a call rings or is dialled (default "open")
//   "HangupActions"   run when a call ends (default "journal")
//   "MissedActions"   run as well when an incoming call ends unanswered
//                     (default none)
//   "<action>.<Key>"  a setting of an action ("mail.DestinationAddress")
//   "Baresip"         the SIP user agent's control port (default
//                     127.0.0.1:4444)
inline constexpr char kHostKey[] = "Software\\olconn97\\Phone";
struct EventActions {
  const char* value_name;
  const char* fallback;
};
inline constexpr EventActions kRingActions{"RingActions", "open"};
inline constexpr EventActions kHangupActions{"HangupActions", "journal"};
inline constexpr EventActions kMissedActions{"MissedActions", ""};

// A value of the host's key; none when it is not set.
std::optional<std::string> HostValue(const char* name);
std::string HostSetting(const char* name, const std::string& fallback);
// The actions an event runs, in order; words that name no action are
// reported in `problems` and left out.
std::vector<LONG> ConfiguredActions(const EventActions& event, std::vector<std::string>* problems);
// Gives the list's actions the settings the host's key holds; what cannot
// be applied is reported in `problems`.
void ApplyConfiguredSettings(PIMActions* list, std::vector<std::string>* problems);

}  // namespace host

#endif  // OLCONN97_TOOLS_HOST_ACTIONS_H_
