// The reference host's subcommands. Each returns the process exit code:
// 0 done, 1 failed, 2 bad usage.
#ifndef OLCONN97_TOOLS_COMMANDS_H_
#define OLCONN97_TOOLS_COMMANDS_H_

#include <string>
#include <vector>

#include "olconn97/olconn97.h"

namespace host {

using Args = std::vector<std::string>;

int RunStatus(const Args& args);
int RunDemo(const Args& args);
int RunReg(const Args& args);
int RunStore(const Args& args);
int RunDirectory(const Args& args);
int RunCache(const Args& args);
int RunExport(const Args& args);
int RunContact(const Args& args);
int RunLookup(const Args& args);
int RunActions(const Args& args);
int RunCall(const Args& args);
int RunPhone(const Args& args);
int RunDial(const Args& args);
int RunConfig(const Args& args);

// Runs the driver's message loop until its work is done: the cache refresh
// its start-up began, a walk a command started.
void FinishDriverWork();

// Looks a caller up as the suite's host does: FindFirst on a new cursor,
// then (unless `first`) FindNext until none, and prints each contact. A
// name of plain words (no '*', no ',') is matched word by word in any
// order, without regard to case or accents. An unknown caller prints one
// "No contact ..." line, or with `json` the driver's placeholder contact.
// Returns 0 when the caller is a contact of the store, 1 when not or on a
// failure.
struct LookupOutput {
  bool json = false;
  bool first = false;
};
inline constexpr LONG kByPhone = 0;
inline constexpr LONG kByName = 1;
int LookUp(DataConnector* driver, LONG field, const std::string& value, const LookupOutput& output);
// The contacts such a lookup finds (none for an unknown caller); false with
// the reason when the search could not be made.
struct ContactView;
bool FindContacts(DataConnector* driver, LONG field, const std::string& value,
                  std::vector<ContactView>* found, std::string* failure);

// One call event as the host plays it: the caller found, the call data
// attached (PHONENUMBER, TYPE and START after `data`), the actions given
// their settings and run in order, and what each wrote to the store printed.
// Returns 0 when every action ran.
struct ActionSetting {
  LONG action;  // 4097 to 4101
  std::string key, value;
};
struct CallEvent {
  std::string number;
  std::string type = "incoming";
  std::string data;
  std::vector<LONG> actions;
  std::vector<ActionSetting> sets;
};
int PlayCallEvent(DataConnector* driver, const CallEvent& event);

// Turns number matching on (in the driver's default region) or off for the
// cursors `driver` opens from now on; returns the region in force, empty
// when matching is off (no region known, or `on` false).
std::string SetNumberMatching(DataConnector* driver, bool on);

// True when the arguments ask for a command's help.
bool WantsHelp(const Args& args);
// For a command whose one option is --json: false, having said so with the
// command's help on stderr, for any other argument.
bool JsonOnly(const Args& args, const char* command, const char* help, bool* json);

}  // namespace host

#endif  // OLCONN97_TOOLS_COMMANDS_H_
