// olconn97 phone: the call pop-up host on a SIP user agent (baresip's
// control port); olconn97 dial: click-to-dial from the terminal.
#include <dlfcn.h>
#include <poll.h>
#include <signal.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "baresip_control.h"
#include "commands.h"
#include "contact_view.h"
#include "host_actions.h"
#include "phone_host.h"
#include "phone_popup.h"

namespace host {

namespace {

constexpr char kPhoneHelp[] =
    "usage: olconn97 phone [--baresip HOST:PORT] [--no-notify] [--no-popup]\n"
    "       olconn97 phone --configure\n"
    "\n"
    "The call pop-up host: creates the driver once, listens to the SIP user agent\n"
    "baresip on its control port (its ctrl_tcp module) and, for every call, finds\n"
    "the caller, shows one line here (and a desktop notification where a session\n"
    "bus is, and a pop-up window where a display is: the caller's name, company,\n"
    "number and folder, or a button that makes a card for an unknown caller; it\n"
    "closes at hang-up), and runs the actions set up for the call's events. It runs until\n"
    "Ctrl-C or SIGTERM, and connects again whenever baresip restarts.\n"
    "\n"
    "baresip: load ctrl_tcp (in ~/.baresip/config: 'module ctrl_tcp.so' and\n"
    "'ctrl_tcp_listen 127.0.0.1:4444'). Calls are answered in baresip as usual.\n"
    "\n"
    "Settings (olconn97 reg add 'HKCU\\Software\\olconn97\\Phone' /v NAME /d TEXT /f):\n"
    "  Baresip        HOST:PORT of the control port (default 127.0.0.1:4444)\n"
    "  RingActions    actions when a call rings or is dialled (default: open)\n"
    "  HangupActions  actions when a call ends (default: journal)\n"
    "  MissedActions  actions as well when an incoming call ends unanswered\n"
    "                 (default: none; for instance: mail)\n"
    "  ACTION.KEY     a setting of an action, as 'olconn97 actions' lists them:\n"
    "                 mail.DestinationAddress, open.NewOnInexistant (0, 1, 2), ...\n"
    "Actions are named open, close, mail, journal, launch, separated by blanks.\n"
    "\n"
    "  --baresip HOST:PORT   the control port, for this run\n"
    "  --no-notify           no desktop notifications\n"
    "  --no-popup            no pop-up window\n"
    "  --configure           a window to choose the actions of each event and their\n"
    "                        settings (needs a display); they are saved as above\n";

constexpr char kDialHelp[] =
    "usage: olconn97 dial NAME-OR-NUMBER [--baresip HOST:PORT]\n"
    "\n"
    "Click-to-dial: a number is dialled as it is; a name (words or a pattern, as\n"
    "'olconn97 lookup --name' takes them) is looked up through the driver and\n"
    "its contact's main number dialled. When several contacts match, they are\n"
    "listed and none is dialled. baresip dials through its control port.\n";

volatile sig_atomic_t stop_requested = 0;

void RequestStop(int) { stop_requested = 1; }

// Ctrl-C and SIGTERM end the loop: poll returns, the driver is released
// and closes its databases.
void CatchStopSignals() {
  struct sigaction action {};
  action.sa_handler = RequestStop;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no SA_RESTART: a waiting poll returns at once
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);  // a control port that went away is a closed connection
}

bool ParseAddress(const std::string& text, std::string* host, uint16_t* port) {
  size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0) return false;
  char* end = nullptr;
  long number = std::strtol(text.c_str() + colon + 1, &end, 10);
  if (end == nullptr || *end != '\0' || number <= 0 || number > 65535) return false;
  *host = text.substr(0, colon);
  if (host->size() > 2 && host->front() == '[' && host->back() == ']') {
    *host = host->substr(1, host->size() - 2);
  }
  *port = static_cast<uint16_t>(number);
  return true;
}

std::string ClockText() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[16];
  size_t length = std::strftime(text, sizeof text, "%H:%M:%S", &local);
  return std::string(text, length);
}

// Desktop notifications through libnotify, loaded when a session bus is
// there; without one (a server, a test) there is simply none.
class Notifier {
 public:
  Notifier() {
    const char* bus = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (bus == nullptr || *bus == '\0') return;
    library_ = dlopen("libnotify.so.4", RTLD_NOW | RTLD_LOCAL);
    gobject_ = dlopen("libgobject-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
    if (library_ == nullptr || gobject_ == nullptr) return;
    init_ = reinterpret_cast<Init>(dlsym(library_, "notify_init"));
    new_ = reinterpret_cast<New>(dlsym(library_, "notify_notification_new"));
    show_ = reinterpret_cast<Show>(dlsym(library_, "notify_notification_show"));
    unref_ = reinterpret_cast<Unref>(dlsym(gobject_, "g_object_unref"));
    ready_ = init_ != nullptr && new_ != nullptr && show_ != nullptr && unref_ != nullptr &&
             init_("olconn97") != 0;
  }
  ~Notifier() {
    if (library_ != nullptr) dlclose(library_);
    if (gobject_ != nullptr) dlclose(gobject_);
  }
  Notifier(const Notifier&) = delete;
  Notifier& operator=(const Notifier&) = delete;

  void Notify(const std::string& summary, const std::string& body) {
    if (!ready_) return;
    void* notification = new_(summary.c_str(), body.c_str(), "call-start");
    if (notification == nullptr) return;
    show_(notification, nullptr);  // a failed show is no reason to stop the calls
    unref_(notification);
  }

 private:
  using Init = int (*)(const char*);
  using New = void* (*)(const char*, const char*, const char*);
  using Show = int (*)(void*, void**);
  using Unref = void (*)(void*);
  void* library_ = nullptr;
  void* gobject_ = nullptr;
  Init init_ = nullptr;
  New new_ = nullptr;
  Show show_ = nullptr;
  Unref unref_ = nullptr;
  bool ready_ = false;
};

// What the agent dials: the number without the blanks, dots, dashes and
// brackets people write in it ("+33 1 23-45" is "+33123 45" to nobody).
std::string DialString(const std::string& number) {
  std::string dial;
  for (char c : number) {
    if ((c >= '0' && c <= '9') || c == '*' || c == '#' || (c == '+' && dial.empty())) dial += c;
  }
  return dial;
}

CallSignal SignalOf(const SipEvent& event) {
  return {event.type, event.id, event.direction, event.peer_uri, event.peer_display_name,
          event.account};
}

struct PhoneOptions {
  std::string address;
  bool notify = true;
  bool popup = true;
};

// The folder the driver library was loaded from, where its plugins are.
std::string LibraryFolder() {
  const std::string& path = Library().path();
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

int Listen(DataConnector* driver, PIMActions* list, const PhoneOptions& options) {
  std::string host;
  uint16_t port = 0;
  if (!ParseAddress(options.address, &host, &port)) {
    std::fprintf(stderr, "olconn97 phone: '%s' is no HOST:PORT\n", options.address.c_str());
    return 2;
  }
  Notifier notifier;
  PhonePopup popup;
  if (options.popup) {
    std::string why;
    if (!popup.Start(LibraryFolder(), &why)) std::printf("No pop-up window: %s\n", why.c_str());
  }
  popup.on_create_card = [driver](const std::string& number) {
    // Named by its number, shown, and found by the next call from it.
    HostBstr name("");
    HostBstr phone(number);
    HRESULT hr = driver->Dataconnector_CreateContact(name.get(), phone.get(), VARIANT_TRUE);
    if (FAILED(hr)) std::fprintf(stderr, "olconn97 phone: %s\n", FailureText(hr).c_str());
  };
  PhoneHost::Sinks sinks;
  sinks.show = [&](const std::string& direction, const CallerView& caller) {
    std::string line = CallerLine(caller);
    std::printf("%s %s %s\n", ClockText().c_str(), direction.c_str(), line.c_str());
    std::fflush(stdout);
    if (options.notify) {
      notifier.Notify(direction == "incoming" ? "Incoming call" : "Outgoing call", line);
    }
    popup.ShowCaller(direction, caller);
  };
  sinks.ended = [&](const std::string& call_id) { popup.CallEnded(call_id); };
  sinks.report = [](const std::string& line) {
    std::fprintf(stderr, "olconn97 phone: %s\n", line.c_str());
  };
  PhoneHost phone(driver, list, sinks, [] { return std::chrono::system_clock::now(); });
  // Callers are found however their number is written, wherever a region
  // is known to read numbers in.
  std::string region = SetNumberMatching(driver, true);
  phone.set_number_matching(!region.empty());
  std::printf("Numbers compared %s\n",
              region.empty() ? "by their digits (no region known: set NumberRegion)"
                             : ("as written in region " + region).c_str());

  ControlHandlers handlers;
  handlers.on_event = [&](const SipEvent& event) {
    if (event.klass == "call" || event.type.rfind("CALL_", 0) == 0) phone.OnSignal(SignalOf(event));
  };
  handlers.on_problem = [&](const ControlProblem& problem) { sinks.report(problem.line); };
  handlers.on_closed = [&](const std::string& reason) {
    sinks.report("lost baresip at " + options.address + ": " + reason + "; connecting again");
  };
  BaresipControl control(host, port, handlers);
  ReconnectBackoff backoff;
  std::string last_failure;
  while (stop_requested == 0) {
    auto now = ReconnectBackoff::Clock::now();
    if (!control.connected() && backoff.Due(now)) {
      ConnectResult result = control.Connect(std::chrono::seconds(2));
      if (result.connected) {
        backoff.Connected();
        last_failure.clear();
        std::printf("Listening to baresip at %s\n", control.address().c_str());
        std::fflush(stdout);
      } else {
        backoff.Failed(ReconnectBackoff::Clock::now());
        // Said when it changes, not at every attempt.
        if (result.error != last_failure) {
          std::fprintf(stderr,
                       "olconn97 phone: baresip is not reachable at %s: %s (is it running with "
                       "ctrl_tcp?); trying again, at most every %lld s\n",
                       options.address.c_str(), result.error.c_str(),
                       static_cast<long long>(ReconnectBackoff::kLongestDelay.count() / 1000));
          last_failure = result.error;
        }
      }
    }
    // The driver's own work (a refresh, its windows' timers) runs between
    // events; while it has some, the loop comes back soon.
    bool driver_busy = Api().olconn97_pump(0) != 0;
    // The pop-up's windows need their events run while they are up.
    popup.ProcessEvents(0);
    int timeout_ms = driver_busy ? 20 : popup.started() ? 50 : 1000;
    if (!control.connected()) {
      auto remaining = backoff.Remaining(ReconnectBackoff::Clock::now());
      timeout_ms = std::min<int>(timeout_ms, static_cast<int>(remaining.count()));
    }
    pollfd watched{control.fd(), static_cast<short>(POLLIN | (control.wants_write() ? POLLOUT : 0)),
                   0};
    int ready = poll(&watched, control.connected() ? 1 : 0, std::max(timeout_ms, 0));
    if (ready < 0 && errno != EINTR) {
      std::perror("olconn97 phone: poll");
      return 1;
    }
    if (ready > 0 && control.connected()) {
      if ((watched.revents & POLLOUT) != 0) control.Flush();
      if ((watched.revents & (POLLIN | POLLHUP | POLLERR)) != 0) control.ReadAvailable();
    }
  }
  std::printf("Stopped (%zu call%s under way).\n", phone.calls(), phone.calls() == 1 ? "" : "s");
  return 0;
}

// The action window: what the user chose is saved as the host's settings.
int Configure(PIMActions* list) {
  PhonePopup popup;
  std::string why;
  if (!popup.Start(LibraryFolder(), &why)) {
    std::fprintf(stderr, "olconn97 phone --configure: %s; set the values with 'olconn97 reg add' "
                         "as 'olconn97 phone --help' says\n",
                 why.c_str());
    return 1;
  }
  std::vector<ActionView> actions = ReadActions(list);
  std::vector<PhonePopup::Chosen> chosen;
  if (!popup.ChooseActions(actions, HostSetting(kRingActions.value_name, kRingActions.fallback),
                           HostSetting(kHangupActions.value_name, kHangupActions.fallback),
                           HostSetting(kMissedActions.value_name, kMissedActions.fallback),
                           &chosen)) {
    std::printf("Nothing changed.\n");
    return 0;
  }
  int failed = 0;
  const std::string key = std::string("HKCU\\") + kHostKey;
  for (const PhonePopup::Chosen& value : chosen) {
    // An empty text would delete nothing and say nothing: a blank keeps
    // "no action" apart from "not set".
    const std::string data = value.value.empty() ? " " : value.value;
    const char* argv[] = {"add", key.c_str(), "/v", value.name.c_str(), "/d", data.c_str(), "/f"};
    if (Api().olconn97_reg(7, argv) != 0) ++failed;
  }
  std::printf("Saved %zu settings under %s\n", chosen.size() - static_cast<size_t>(failed),
              key.c_str());
  return failed == 0 ? 0 : 1;
}

}  // namespace

int RunPhone(const Args& args) {
  if (WantsHelp(args)) {
    std::fputs(kPhoneHelp, stdout);
    return 0;
  }
  PhoneOptions options;
  std::string address;
  bool configure = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--baresip" && i + 1 < args.size()) {
      address = args[++i];
    } else if (args[i] == "--no-notify") {
      options.notify = false;
    } else if (args[i] == "--no-popup") {
      options.popup = false;
    } else if (args[i] == "--configure") {
      configure = true;
    } else {
      std::fprintf(stderr, "olconn97 phone: unexpected '%s'\n%s", args[i].c_str(), kPhoneHelp);
      return 2;
    }
  }
  options.address = !address.empty() ? address : HostSetting("Baresip", "127.0.0.1:4444");
  CatchStopSignals();
  Held<DataConnector> driver = StartDriver("phone");
  if (driver.get() == nullptr) return 1;
  Held<PIMActions> list = ActionList(driver.get(), "phone");
  if (list.get() == nullptr) return 1;
  std::vector<std::string> problems;
  ApplyConfiguredSettings(list.get(), &problems);
  for (const std::string& problem : problems) {
    std::fprintf(stderr, "olconn97 phone: %s\n", problem.c_str());
  }
  if (configure) return Configure(list.get());
  return Listen(driver.get(), list.get(), options);
}

int RunDial(const Args& args) {
  if (WantsHelp(args)) {
    std::fputs(kDialHelp, stdout);
    return 0;
  }
  std::string address, wanted;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--baresip" && i + 1 < args.size()) {
      address = args[++i];
    } else if (args[i].rfind("--", 0) == 0) {
      std::fprintf(stderr, "olconn97 dial: unexpected '%s'\n%s", args[i].c_str(), kDialHelp);
      return 2;
    } else {
      wanted += (wanted.empty() ? "" : " ") + args[i];
    }
  }
  if (wanted.empty()) {
    std::fprintf(stderr, "olconn97 dial: expected a name or a number\n%s", kDialHelp);
    return 2;
  }
  if (address.empty()) address = HostSetting("Baresip", "127.0.0.1:4444");
  std::string host;
  uint16_t port = 0;
  if (!ParseAddress(address, &host, &port)) {
    std::fprintf(stderr, "olconn97 dial: '%s' is no HOST:PORT\n", address.c_str());
    return 2;
  }
  std::string number = wanted;
  bool is_number = wanted.find_first_not_of("0123456789+*#-. ()") == std::string::npos;
  if (!is_number) {
    Held<DataConnector> driver = StartDriver("dial");
    if (driver.get() == nullptr) return 1;
    std::vector<ContactView> found;
    std::string failure;
    if (!FindContacts(driver.get(), kByName, wanted, &found, &failure)) {
      std::fprintf(stderr, "olconn97 dial: %s\n", failure.c_str());
      return 1;
    }
    if (found.empty()) {
      std::printf("No contact named %s: nothing dialled\n", wanted.c_str());
      return 1;
    }
    if (found.size() > 1) {
      std::printf("%zu contacts match; nothing dialled. Dial one of their numbers:\n",
                  found.size());
      for (const ContactView& contact : found) {
        std::printf("  %s: %s\n", MemberText(contact, "FullName").c_str(),
                    MainNumberOf(contact).c_str());
      }
      return 1;
    }
    number = MainNumberOf(found[0]);
    if (number.empty()) {
      std::printf("%s has no number: nothing dialled\n", MemberText(found[0], "FullName").c_str());
      return 1;
    }
    std::printf("Dialling %s: %s\n", MemberText(found[0], "FullName").c_str(), number.c_str());
  }
  number = DialString(number);
  if (number.empty() || number == "+") {
    std::fprintf(stderr, "olconn97 dial: '%s' holds no number to dial\n", wanted.c_str());
    return 1;
  }
  signal(SIGPIPE, SIG_IGN);
  std::string answer;
  bool answered = false;
  ControlHandlers handlers;
  handlers.on_response = [&](const SipResponse& response) {
    if (response.token != "olconn97-dial") return;
    answered = true;
    answer = response.ok ? "" : (response.data.empty() ? "refused" : response.data);
  };
  BaresipControl control(host, port, handlers);
  ConnectResult connected = control.Connect(std::chrono::seconds(2));
  if (!connected.connected) {
    std::fprintf(stderr, "olconn97 dial: baresip is not reachable at %s: %s\n", address.c_str(),
                 connected.error.c_str());
    return 1;
  }
  if (control.Send("dial", number, "olconn97-dial") != SendOutcome::kSent) {
    std::fprintf(stderr, "olconn97 dial: baresip cannot dial '%s'\n", number.c_str());
    return 1;
  }
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!answered && control.connected() && std::chrono::steady_clock::now() < deadline) {
    pollfd watched{control.fd(), static_cast<short>(POLLIN | (control.wants_write() ? POLLOUT : 0)),
                   0};
    if (poll(&watched, 1, 200) > 0) {
      if ((watched.revents & POLLOUT) != 0) control.Flush();
      if ((watched.revents & (POLLIN | POLLHUP | POLLERR)) != 0) control.ReadAvailable();
    }
  }
  if (!answered) {
    std::fprintf(stderr, "olconn97 dial: baresip did not answer\n");
    return 1;
  }
  if (!answer.empty()) {
    std::fprintf(stderr, "olconn97 dial: baresip: %s\n", answer.c_str());
    return 1;
  }
  std::printf("Dialled %s\n", number.c_str());
  return 0;
}

}  // namespace host
