// The phone host's windows, where a display is: the plugin
// libolconn97-popup.so beside the driver library, loaded on demand, so the
// host itself needs neither Qt nor a display.
#ifndef OLCONN97_TOOLS_PHONE_POPUP_H_
#define OLCONN97_TOOLS_PHONE_POPUP_H_

#include <functional>
#include <string>
#include <vector>

#include "host_actions.h"
#include "phone_host.h"
#include "popup/popup_api.h"

namespace host {

class PhonePopup {
 public:
  PhonePopup() = default;
  ~PhonePopup();
  PhonePopup(const PhonePopup&) = delete;
  PhonePopup& operator=(const PhonePopup&) = delete;

  // Loads the plugin from `folder` and starts its windows; false with the
  // reason (no display, no plugin) when it cannot.
  bool Start(const std::string& folder, std::string* why);
  bool started() const { return api_ != nullptr; }

  // Runs when the user asks for a card for an unknown caller.
  std::function<void(const std::string& number)> on_create_card;

  // The caller's window of a call.
  void ShowCaller(const std::string& direction, const CallerView& caller);
  void CallEnded(const std::string& call_id);
  void ProcessEvents(unsigned max_wait_ms);

  // The action window: the driver's actions with their settings, and the
  // actions of each event; the values the user chose, by setting name
  // ("RingActions", "mail.DestinationAddress"), or none on Cancel.
  struct Chosen {
    std::string name, value;
  };
  bool ChooseActions(const std::vector<ActionView>& actions, const std::string& ring,
                     const std::string& hangup, const std::string& missed,
                     std::vector<Chosen>* chosen);

  const olconn97_popup_api* api() const { return api_; }

 private:
  void* library_ = nullptr;
  const olconn97_popup_api* api_ = nullptr;
};

// The name of the plugin file.
inline constexpr char kPopupPlugin[] = "libolconn97-popup.so";

}  // namespace host

#endif  // OLCONN97_TOOLS_PHONE_POPUP_H_
