// The phone host's calls: what the suite's host does on each call event of
// the SIP user agent, through the driver's public interface only.
//
// A call is known by the user agent's call id; two calls at once are two
// calls. When a call rings (incoming) or is first seen going out, the
// caller's number is taken from the peer's URI (or a numeric display
// name), the caller found (FindFirst, then FindNext while there are more),
// the call data attached, the caller shown, and the ring's actions run.
// When it is answered, its start is kept; when it ends, its end and
// duration go into the call data and the hang-up's actions run (and, for
// an incoming call never answered, the missed call's).
#ifndef OLCONN97_TOOLS_PHONE_HOST_H_
#define OLCONN97_TOOLS_PHONE_HOST_H_

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "host_values.h"

namespace host {

// One call event of the user agent, as the phone host reads it.
struct CallSignal {
  std::string type;       // CALL_INCOMING, CALL_RINGING, CALL_ESTABLISHED, CALL_CLOSED, ...
  std::string id;         // the call's id
  std::string direction;  // "incoming" or "outgoing"
  std::string peer_uri;   // sip:+33123456789@host;params
  std::string peer_name;  // the peer's display name, if any
  std::string account;    // our own address (the local number's source)
};

// The user part of a sip:, sips: or tel: URI, %-escapes decoded; "" when
// it has none.
std::string UriUserPart(std::string uri);

// The caller's number of a call: the user part of a sip:, sips: or tel:
// URI, else a display name made of a number. No value for an anonymous or
// unknown caller, or a user part without digits.
std::optional<std::string> CallerNumber(const std::string& peer_uri, const std::string& peer_name);

// Who a call was with, as the host shows it.
struct CallerView {
  std::string number;
  bool known = false;
  std::string name, company, folder;
  int others = 0;  // further contacts with that number
  std::string call_id;
};
// "Ann Smith, Acme, +33123456789 (Contacts)", "+3399 unknown caller".
std::string CallerLine(const CallerView& caller);

class PhoneHost {
 public:
  using Clock = std::function<std::chrono::system_clock::time_point()>;
  struct Sinks {
    // The caller is shown (the terminal line, a desktop notification).
    std::function<void(const std::string& direction, const CallerView& caller)> show;
    // The call ended: what shows it can go.
    std::function<void(const std::string& call_id)> ended;
    // A line worth the user's attention (an action that failed, a bad event).
    std::function<void(const std::string& line)> report;
  };

  // `driver` and `list` outlive the host.
  PhoneHost(DataConnector* driver, PIMActions* list, Sinks sinks, Clock clock);
  ~PhoneHost();
  PhoneHost(const PhoneHost&) = delete;
  PhoneHost& operator=(const PhoneHost&) = delete;

  // With number matching on, the search is given the caller's number with
  // its leading "+", so the driver can read it as an international number.
  void set_number_matching(bool on) { number_matching_ = on; }

  void OnSignal(const CallSignal& signal);
  size_t calls() const { return calls_.size(); }

 private:
  struct Call {
    std::string direction;
    std::optional<std::string> number;
    std::string local;
    Contact* contact = nullptr;  // held: released when the call ends
    std::optional<std::chrono::system_clock::time_point> answered;
  };

  void Begin(const CallSignal& signal);
  void End(const std::string& id);
  CallerView FindCaller(Call& call);
  void SetCallData(Call& call, const std::string& extra);
  void RunActions(Call& call, const std::vector<LONG>& actions);

  DataConnector* driver_;
  PIMActions* list_;
  Sinks sinks_;
  Clock clock_;
  std::map<std::string, Call> calls_;
  bool number_matching_ = false;
};

}  // namespace host

#endif  // OLCONN97_TOOLS_PHONE_HOST_H_
