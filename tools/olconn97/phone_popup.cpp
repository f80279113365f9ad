#include "phone_popup.h"

#include <dlfcn.h>

namespace host {

PhonePopup::~PhonePopup() {
  // Qt's objects live until the process ends: unloading Qt under them
  // would leave their destructors nowhere to run.
}

bool PhonePopup::Start(const std::string& folder, std::string* why) {
  const std::string path = folder + "/" + kPopupPlugin;
  library_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library_ == nullptr) {
    *why = dlerror();
    return false;
  }
  auto entry = reinterpret_cast<olconn97_popup_entry>(dlsym(library_, OLCONN97_POPUP_ENTRY));
  if (entry == nullptr) {
    *why = path + " is not the pop-up plugin";
    return false;
  }
  const olconn97_popup_api* api = entry();
  char reason[256] = "";
  if (api->start(reason, sizeof reason) != 0) {
    *why = reason;
    return false;
  }
  api_ = api;
  return true;
}

void PhonePopup::ShowCaller(const std::string& direction, const CallerView& caller) {
  if (api_ == nullptr) return;
  olconn97_popup_caller shown{caller.call_id.c_str(), direction.c_str(), caller.number.c_str(),
                              caller.known ? 1 : 0,   caller.name.c_str(), caller.company.c_str(),
                              caller.folder.c_str(),  caller.others};
  api_->show_caller(
      &shown,
      [](void* context, const char*, const char* number) {
        auto* self = static_cast<PhonePopup*>(context);
        if (self->on_create_card) self->on_create_card(number);
      },
      this);
}

void PhonePopup::CallEnded(const std::string& call_id) {
  if (api_ != nullptr) api_->call_ended(call_id.c_str());
}

void PhonePopup::ProcessEvents(unsigned max_wait_ms) {
  if (api_ != nullptr) api_->process_events(max_wait_ms);
}

bool PhonePopup::ChooseActions(const std::vector<ActionView>& actions, const std::string& ring,
                               const std::string& hangup, const std::string& missed,
                               std::vector<Chosen>* chosen) {
  if (api_ == nullptr) return false;
  // Plain C views of the actions, alive for the call.
  std::vector<std::vector<olconn97_popup_setting>> settings(actions.size());
  std::vector<std::vector<std::vector<const char*>>> choices(actions.size());
  std::vector<olconn97_popup_action> shown;
  for (size_t a = 0; a < actions.size(); ++a) {
    const ActionView& action = actions[a];
    choices[a].resize(action.settings.size());
    for (size_t s = 0; s < action.settings.size(); ++s) {
      const SettingView& setting = action.settings[s];
      for (const std::string& choice : setting.choices) choices[a][s].push_back(choice.c_str());
      // A choice is given by its index, as the host's settings keep it.
      const bool is_choice = !setting.choices.empty();
      settings[a].push_back({setting.key.c_str(), setting.type,
                             is_choice ? nullptr : setting.value.c_str(), choices[a][s].data(),
                             static_cast<int>(setting.choices.size())});
    }
    shown.push_back({static_cast<int>(action.id), WordOf(action.id), action.name.c_str(),
                     settings[a].data(), static_cast<int>(settings[a].size())});
  }
  // Index texts made once the vectors stop moving.
  std::vector<std::string> indexes;
  for (const ActionView& action : actions) {
    for (const SettingView& setting : action.settings) indexes.push_back(std::to_string(setting.index));
  }
  size_t next_index = 0;
  for (size_t a = 0; a < actions.size(); ++a) {
    for (size_t s = 0; s < actions[a].settings.size(); ++s, ++next_index) {
      if (settings[a][s].value == nullptr) settings[a][s].value = indexes[next_index].c_str();
    }
  }
  olconn97_popup_events events{ring.c_str(), hangup.c_str(), missed.c_str()};
  chosen->clear();
  return api_->choose_actions(
             shown.data(), static_cast<int>(shown.size()), &events,
             [](void* context, const char* name, const char* value) {
               static_cast<std::vector<Chosen>*>(context)->push_back({name, value});
             },
             chosen) == 1;
}

}  // namespace host
