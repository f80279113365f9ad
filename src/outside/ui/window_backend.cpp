#include "outside/ui/window_backend.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>

#include "base/utf8.h"
#include "outside/ui/control.h"
#include "outside/ui/window_model.h"

namespace olconn97::ui {

int HeadlessTextWidth(std::string_view text) {
  int64_t characters = 0;
  for (size_t at = 0; at < text.size(); at += DecodeUtf8(text, at).length) ++characters;
  // Wider than any screen long before an int would overflow.
  return static_cast<int>(std::min<int64_t>(characters * kHeadlessCharWidth, INT_MAX));
}

void RecordingWindowBackend::Loaded(WindowModel& window) {
  events.push_back("load " + window.name());
}

void RecordingWindowBackend::Unloaded(WindowModel& window) {
  events.push_back("unload " + window.name());
}

void RecordingWindowBackend::Shown(WindowModel& window) {
  events.push_back("show " + window.name() + (window.modal() ? " modal" : ""));
}

void RecordingWindowBackend::Hidden(WindowModel& window) {
  events.push_back("hide " + window.name());
}

void RecordingWindowBackend::RunModal(WindowModel& window) {
  events.push_back("modal " + window.name());
  if (modal_user) modal_user(window);
}

void RecordingWindowBackend::Repaint(WindowModel& window) {
  events.push_back("repaint " + window.name());
}

void RecordingWindowBackend::BringToFront(WindowModel& window) {
  events.push_back("front " + window.name());
}

void RecordingWindowBackend::WindowChanged(WindowModel& window) {
  events.push_back("change " + window.name());
}

void RecordingWindowBackend::ControlChanged(Control& control) {
  events.push_back("change " + control.window().name() + "." + control.name());
}

void RecordingWindowBackend::MousePointerChanged(int pointer) {
  events.push_back("pointer " + std::to_string(pointer));
}

Answer RecordingWindowBackend::AskYesNoCancel(std::string_view caption, std::string_view text) {
  events.push_back("ask " + std::string(caption) + ": " + std::string(text));
  return answer;
}

}  // namespace olconn97::ui
