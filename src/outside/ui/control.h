// The controls of a window model: what the driver sets on them and the
// events it hooks.
//
// A window creates its controls at each load (its design) and retires them
// at its unload; see window_model.h. Every property change of a control of a
// loaded window reaches the back end. Members named after a user's action
// (Click, UserCheck, MouseMove) are how the back end, or a test playing the
// user, delivers it; they do nothing on a control that is disabled, hidden,
// or on a window that is disabled or unloaded, and answer whether the event
// was delivered. Changes made by code raise no event.
//
// From a window class whose control has the same name as a kind (a control
// "ProgressBar"), name the kind qualified: ui::ProgressBar.
#ifndef OLCONN97_OUTSIDE_UI_CONTROL_H_
#define OLCONN97_OUTSIDE_UI_CONTROL_H_

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "base/status.h"

namespace olconn97::ui {

class WindowModel;

enum class ControlKind {
  kLabel,
  kButton,
  kFrame,
  kTextBox,
  kCheckBox,
  kListBox,  // rows with a check box each
  kProgressBar,
  kAnimation,
  kImage,
  kPictureBox,
  kTimer,
};

// Position and size in twips.
struct Bounds {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const Bounds&, const Bounds&) = default;
};

class Control {
 public:
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  const std::string& name() const { return name_; }
  ControlKind kind() const { return kind_; }
  WindowModel& window() const { return window_; }
  // Unloaded with its window; a retired control never comes back.
  bool retired() const { return retired_; }

  // The caption of a label, button, frame or check box; the text of a text
  // box.
  const std::string& text() const { return text_; }
  void set_text(std::string text) { Set(text_, std::move(text)); }
  bool visible() const { return visible_; }
  void set_visible(bool visible) { Set(visible_, visible); }
  bool enabled() const { return enabled_; }
  void set_enabled(bool enabled);
  int16_t font_charset() const { return font_charset_; }
  void set_font_charset(int16_t charset) { Set(font_charset_, charset); }
  const std::string& font_name() const { return font_name_; }
  void set_font_name(std::string name) { Set(font_name_, std::move(name)); }
  const std::string& tool_tip() const { return tool_tip_; }
  void set_tool_tip(std::string tip) { Set(tool_tip_, std::move(tip)); }
  const Bounds& bounds() const { return bounds_; }
  void set_bounds(const Bounds& bounds) { Set(bounds_, bounds); }

 protected:
  Control(WindowModel& window, std::string name, ControlKind kind);

  template <typename T>
  void Set(T& field, T value) {
    if (field == value) return;
    field = std::move(value);
    Changed();
  }
  // Tells the back end, while the window is loaded.
  void Changed();
  bool AcceptsUserInput() const;
  // Runs an event handler; the control stays alive until the handler
  // returns, even if the handler unloads the window.
  void Raise(std::function<void()> handler);

  virtual void OnEnabledChanged() {}
  virtual void OnRetired() {}

 private:
  friend class WindowModel;
  void Retire();

  WindowModel& window_;
  const std::string name_;
  const ControlKind kind_;
  bool retired_ = false;
  std::string text_;
  bool visible_ = true;
  bool enabled_ = true;
  int16_t font_charset_ = 0;
  std::string font_name_;
  std::string tool_tip_;
  Bounds bounds_;
};

// Controls with nothing beyond the common properties.
template <ControlKind K>
class SimpleControl final : public Control {
 public:
  SimpleControl(WindowModel& window, std::string name) : Control(window, std::move(name), K) {}
};
using Label = SimpleControl<ControlKind::kLabel>;
using Frame = SimpleControl<ControlKind::kFrame>;
using PictureBox = SimpleControl<ControlKind::kPictureBox>;

// Shows a text; no window of the driver takes typed text, so the back ends
// show it read only.
class TextBox final : public Control {
 public:
  TextBox(WindowModel& window, std::string name);
  // Design: wraps the text over several lines.
  bool multi_line() const { return multi_line_; }
  void set_multi_line(bool multi_line) { Set(multi_line_, multi_line); }

 private:
  bool multi_line_ = false;
};

// The pictures an Image shows: the system's own message icons.
enum class StandardPicture { kNone, kInformation, kWarning, kCritical };

class Image final : public Control {
 public:
  Image(WindowModel& window, std::string name);
  StandardPicture picture() const { return picture_; }
  void set_picture(StandardPicture picture) { Set(picture_, picture); }

 private:
  StandardPicture picture_ = StandardPicture::kNone;
};

class Button final : public Control {
 public:
  Button(WindowModel& window, std::string name);
  bool Click();
  std::function<void()> on_click;
};

class CheckBox final : public Control {
 public:
  CheckBox(WindowModel& window, std::string name);
  bool checked() const { return checked_; }
  void set_checked(bool checked) { Set(checked_, checked); }
  // The user's click: toggles the box, then the click event.
  bool Click();
  std::function<void()> on_click;

 private:
  bool checked_ = false;
};

struct ListRow {
  std::string text;
  bool checked = false;
  friend bool operator==(const ListRow&, const ListRow&) = default;
};

class ListBox final : public Control {
 public:
  ListBox(WindowModel& window, std::string name);

  // Design: rows with a check box each (the default), or plain rows.
  bool check_boxes() const { return check_boxes_; }
  void set_check_boxes(bool check_boxes) { Set(check_boxes_, check_boxes); }
  // The selected row, -1 for none.
  int list_index() const { return list_index_; }
  // InvalidArgument for a row that does not exist (-1 clears the selection).
  Status set_list_index(int row);

  const std::vector<ListRow>& rows() const { return rows_; }
  int ListCount() const { return static_cast<int>(rows_.size()); }
  void AddItem(std::string text);
  void Clear();
  // InvalidArgument for a row that does not exist.
  Status SetChecked(int row, bool checked);

  // The user ticks or clears row `row` (from 0): the row takes the state,
  // then the check event runs, which may change it again.
  bool UserCheck(int row, bool checked);
  // The pointer moved over the list, in the list's own units.
  bool MouseMove(float x, float y);
  std::function<void(int row)> on_check;
  std::function<void(float x, float y)> on_mouse_move;

 private:
  std::vector<ListRow> rows_;
  bool check_boxes_ = true;
  int list_index_ = -1;
};

class ProgressBar final : public Control {
 public:
  ProgressBar(WindowModel& window, std::string name);
  int min() const { return min_; }
  int max() const { return max_; }
  int value() const { return value_; }
  // InvalidArgument, changing nothing, when the range would be empty or the
  // value outside it. A range that shrinks below the value takes the value
  // along.
  Status set_min(int min);
  Status set_max(int max);
  Status set_value(int value);

 private:
  int min_ = 0;
  int max_ = 100;
  int value_ = 0;
};

// Plays a clip while the window works.
class Animation final : public Control {
 public:
  Animation(WindowModel& window, std::string name);
  // NotFound when the file cannot be read; the previous clip is then closed.
  Status Open(std::string path);
  // Failed when no clip is open.
  Status Play();
  void Stop() { Set(playing_, false); }
  const std::string& file() const { return file_; }
  bool playing() const { return playing_; }

 private:
  std::string file_;
  bool playing_ = false;
};

}  // namespace olconn97::ui

#endif  // OLCONN97_OUTSIDE_UI_CONTROL_H_
