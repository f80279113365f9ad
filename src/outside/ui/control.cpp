#include "outside/ui/control.h"

#include <algorithm>
#include <fstream>
#include <string>
#include <utility>

#include "outside/ui/window_model.h"

namespace olconn97::ui {

Control::Control(WindowModel& window, std::string name, ControlKind kind)
    : window_(window), name_(std::move(name)), kind_(kind) {}

Control::~Control() = default;

void Control::set_enabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  OnEnabledChanged();
  Changed();
}

void Control::Changed() {
  if (!retired_) window_.ControlChanged(*this);
}

bool Control::AcceptsUserInput() const {
  return !retired_ && visible_ && enabled_ && window_.loaded() && window_.visible() &&
         window_.enabled();
}

void Control::Raise(std::function<void()> handler) {
  if (!handler) return;
  WindowModel::EventScope scope(window_);
  handler();
}

void Control::Retire() {
  retired_ = true;
  OnRetired();
}

Button::Button(WindowModel& window, std::string name)
    : Control(window, std::move(name), ControlKind::kButton) {}

bool Button::Click() {
  if (!AcceptsUserInput()) return false;
  Raise(on_click);
  return true;
}

CheckBox::CheckBox(WindowModel& window, std::string name)
    : Control(window, std::move(name), ControlKind::kCheckBox) {}

bool CheckBox::Click() {
  if (!AcceptsUserInput()) return false;
  set_checked(!checked_);
  Raise(on_click);
  return true;
}

TextBox::TextBox(WindowModel& window, std::string name)
    : Control(window, std::move(name), ControlKind::kTextBox) {}

Image::Image(WindowModel& window, std::string name)
    : Control(window, std::move(name), ControlKind::kImage) {}

ListBox::ListBox(WindowModel& window, std::string name)
    : Control(window, std::move(name), ControlKind::kListBox) {}

Status ListBox::set_list_index(int row) {
  if (row < -1 || row >= ListCount()) {
    return Status::InvalidArgument("No such row: " + std::to_string(row), name());
  }
  Set(list_index_, row);
  return Status::Ok();
}

void ListBox::AddItem(std::string text) {
  rows_.push_back(ListRow{std::move(text), false});
  Changed();
}

void ListBox::Clear() {
  if (rows_.empty()) return;
  rows_.clear();
  list_index_ = -1;
  Changed();
}

Status ListBox::SetChecked(int row, bool checked) {
  if (row < 0 || row >= ListCount()) {
    return Status::InvalidArgument("No such row: " + std::to_string(row), name());
  }
  Set(rows_[static_cast<size_t>(row)].checked, checked);
  return Status::Ok();
}

bool ListBox::UserCheck(int row, bool checked) {
  if (!AcceptsUserInput() || !SetChecked(row, checked).ok()) return false;
  auto handler = on_check;
  if (handler) Raise([&] { handler(row); });
  return true;
}

bool ListBox::MouseMove(float x, float y) {
  if (!AcceptsUserInput()) return false;
  auto handler = on_mouse_move;
  if (handler) Raise([&] { handler(x, y); });
  return true;
}

ProgressBar::ProgressBar(WindowModel& window, std::string name)
    : Control(window, std::move(name), ControlKind::kProgressBar) {}

Status ProgressBar::set_min(int min) {
  if (min >= max_) return Status::InvalidArgument("Min must stay below Max", name());
  min_ = min;
  value_ = std::max(value_, min_);
  Changed();
  return Status::Ok();
}

Status ProgressBar::set_max(int max) {
  if (max <= min_) return Status::InvalidArgument("Max must stay above Min", name());
  max_ = max;
  value_ = std::min(value_, max_);
  Changed();
  return Status::Ok();
}

Status ProgressBar::set_value(int value) {
  if (value < min_ || value > max_) {
    return Status::InvalidArgument("Value " + std::to_string(value) + " is outside Min to Max",
                                   name());
  }
  Set(value_, value);
  return Status::Ok();
}

Animation::Animation(WindowModel& window, std::string name)
    : Control(window, std::move(name), ControlKind::kAnimation) {}

Status Animation::Open(std::string path) {
  playing_ = false;
  if (!std::ifstream(path, std::ios::binary).is_open()) {
    file_.clear();
    Changed();
    return Status::NotFound("Cannot open the clip " + path, name());
  }
  file_ = std::move(path);
  Changed();
  return Status::Ok();
}

Status Animation::Play() {
  if (file_.empty()) return Status::Failed("No clip is open", name());
  Set(playing_, true);
  return Status::Ok();
}

}  // namespace olconn97::ui
