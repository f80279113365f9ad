#include "outside/ui/window_model.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace olconn97::ui {

WindowModel::WindowModel(Desktop& desktop, std::string name)
    : desktop_(desktop), name_(std::move(name)) {}

WindowModel::~WindowModel() {
  if (!loaded_) return;
  loaded_ = false;
  RetireControls();
  desktop_.RemoveLoaded(this);
  desktop_.backend().Unloaded(*this);
}

WindowModel::EventScope::~EventScope() {
  if (--window_.event_depth_ == 0) window_.retired_.clear();
}

void WindowModel::Load() {
  if (loaded_) return;
  EventScope scope(*this);
  ResetDesign();
  CreateControls();
  loaded_ = true;
  desktop_.AddLoaded(this);
  desktop_.backend().Loaded(*this);
  OnLoad();
}

bool WindowModel::Unload(UnloadMode mode) {
  if (!loaded_ || unloading_) return true;
  EventScope scope(*this);
  if (!OnQueryUnload(mode)) return false;
  unloading_ = true;
  OnUnload();
  loaded_ = false;
  visible_ = modal_ = active_ = false;
  RetireControls();
  desktop_.RemoveLoaded(this);
  desktop_.backend().Unloaded(*this);
  unloading_ = false;
  return true;
}

Status WindowModel::Show(ShowMode mode) {
  Load();
  if (!loaded_) return Status::Failed("The window unloaded itself while loading", name_);
  if (mode == ShowMode::kModal && visible_) {
    return Status::Failed("A window already shown cannot be shown modally", name_);
  }
  if (!visible_) {
    visible_ = true;
    modal_ = mode == ShowMode::kModal;
    desktop_.backend().Shown(*this);
  }
  if (mode == ShowMode::kModal) desktop_.backend().RunModal(*this);
  return Status::Ok();
}

void WindowModel::Hide() {
  if (!loaded_ || !visible_) return;
  visible_ = modal_ = false;
  desktop_.backend().Hidden(*this);
}

void WindowModel::Refresh() {
  if (!loaded_) return;
  ++repaint_count_;
  desktop_.backend().Repaint(*this);
}

void WindowModel::SetForeground() {
  if (!loaded_) return;
  ++foreground_requests_;
  desktop_.backend().BringToFront(*this);
}

void WindowModel::Activate() {
  if (!loaded_ || active_) return;
  active_ = true;
  EventScope scope(*this);
  OnActivate();
}

void WindowModel::Deactivate() {
  if (!loaded_ || !active_) return;
  active_ = false;
  EventScope scope(*this);
  OnDeactivate();
}

void WindowModel::UserResize(int width, int height) {
  if (!loaded_ || !resizable_) return;
  EventScope scope(*this);
  set_bounds(Bounds{bounds_.left, bounds_.top, width, height});
  OnResize();
}

Control* WindowModel::Find(std::string_view name) const {
  auto it = std::find_if(controls_.begin(), controls_.end(),
                         [name](const auto& control) { return control->name() == name; });
  return it == controls_.end() ? nullptr : it->get();
}

void WindowModel::ResetDesign() {
  caption_.clear();
  enabled_ = true;
  font_charset_ = 0;
  bounds_ = Bounds();
  visible_ = modal_ = active_ = false;
  resizable_ = ends_with_host_ = false;
}

void WindowModel::RetireControls() {
  for (auto& control : controls_) control->Retire();
  std::move(controls_.begin(), controls_.end(), std::back_inserter(retired_));
  controls_.clear();
}

void WindowModel::ControlChanged(Control& control) {
  if (loaded_) desktop_.backend().ControlChanged(control);
}

}  // namespace olconn97::ui
