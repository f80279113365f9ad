// What renders the window models: told of every change a user could see,
// and the way user actions reach a model (it calls the model's user-event
// members: Button::Click, ListBox::UserCheck, WindowModel::RequestClose,
// Activate, ...).
//
// Headless (tests, the command line) nothing is shown; a Qt back end renders
// the same models as real windows. Called on the UI thread only.
#ifndef OLCONN97_OUTSIDE_UI_WINDOW_BACKEND_H_
#define OLCONN97_OUTSIDE_UI_WINDOW_BACKEND_H_

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace olconn97::ui {

class Control;
class NativeEventLoop;
class UserInput;
class WindowModel;

// The answer to a question put to the user; kUnanswered where no user sees
// the windows.
enum class Answer { kYes, kNo, kCancel, kUnanswered };

// The headless measure of a text: a fixed width for every character (code
// point; an ill-formed byte counts as one), in twips. Without a display
// there is no font to ask, yet the layouts that follow their text (the
// message window's line count) must come out the same on every run, so
// every character counts as wide as an average one of the windows' design
// font (8-point sans serif, about 6 pixels at 96 dots per inch, 15 twips a
// pixel).
inline constexpr int kHeadlessCharWidth = 90;
int HeadlessTextWidth(std::string_view text);

class WindowBackend {
 public:
  WindowBackend() = default;
  virtual ~WindowBackend() = default;
  WindowBackend(const WindowBackend&) = delete;
  WindowBackend& operator=(const WindowBackend&) = delete;

  // The window was loaded (its controls exist) or unloaded (they are gone).
  virtual void Loaded(WindowModel& window) = 0;
  virtual void Unloaded(WindowModel& window) = 0;
  virtual void Shown(WindowModel& window) = 0;
  virtual void Hidden(WindowModel& window) = 0;
  // For a modal show: returns once the window is hidden or unloaded, or at
  // once where no user can answer it.
  virtual void RunModal(WindowModel& window) = 0;
  virtual void Repaint(WindowModel& window) = 0;
  virtual void BringToFront(WindowModel& window) = 0;
  // A property of a loaded window or of one of its controls changed.
  virtual void WindowChanged(WindowModel& window) = 0;
  virtual void ControlChanged(Control& control) = 0;
  virtual void MousePointerChanged(int pointer) = 0;

  // Whether a user sees the windows. Where none does, a window whose whole
  // purpose is a message to the user says it another way.
  virtual bool ShowsWindows() const = 0;
  // The width of `text`, in twips, in the font named `font_name` at its
  // design size: the real font's metrics where windows are drawn.
  virtual int TextWidth(std::string_view font_name, std::string_view text) = 0;

  // Asks the user a question with Yes, No and Cancel, and waits for the
  // answer.
  virtual Answer AskYesNoCancel(std::string_view caption, std::string_view text) {
    static_cast<void>(caption);
    static_cast<void>(text);
    return Answer::kUnanswered;
  }

  // Called once by the desktop that renders with this back end: how the
  // back end reaches the models (it outlives every later call).
  virtual void Attach(UserInput& input) { static_cast<void>(input); }
  // The event loop of the back end's window system, if it has one: the
  // desktop's message loop then runs inside it.
  virtual NativeEventLoop* native_event_loop() { return nullptr; }
};

// Shows nothing; a modal window returns at once, still shown.
class HeadlessWindowBackend final : public WindowBackend {
 public:
  void Loaded(WindowModel&) override {}
  void Unloaded(WindowModel&) override {}
  void Shown(WindowModel&) override {}
  void Hidden(WindowModel&) override {}
  void RunModal(WindowModel&) override {}
  void Repaint(WindowModel&) override {}
  void BringToFront(WindowModel&) override {}
  void WindowChanged(WindowModel&) override {}
  void ControlChanged(Control&) override {}
  void MousePointerChanged(int) override {}
  bool ShowsWindows() const override { return false; }
  int TextWidth(std::string_view, std::string_view text) override {
    return HeadlessTextWidth(text);
  }
};

// Keeps one line per notification ("load FTimer", "show frmX modal",
// "change frmX.Label1", "pointer 11", ...), for tests. A test plays the user
// of a modal window through `modal_user`.
class RecordingWindowBackend final : public WindowBackend {
 public:
  void Loaded(WindowModel& window) override;
  void Unloaded(WindowModel& window) override;
  void Shown(WindowModel& window) override;
  void Hidden(WindowModel& window) override;
  void RunModal(WindowModel& window) override;
  void Repaint(WindowModel& window) override;
  void BringToFront(WindowModel& window) override;
  void WindowChanged(WindowModel& window) override;
  void ControlChanged(Control& control) override;
  void MousePointerChanged(int pointer) override;
  bool ShowsWindows() const override { return shows_windows; }
  // The headless measure.
  int TextWidth(std::string_view, std::string_view text) override {
    return HeadlessTextWidth(text);
  }
  // Records "ask <caption>: <text>" and gives `answer`.
  Answer AskYesNoCancel(std::string_view caption, std::string_view text) override;
  // Keeps the way to the models, for a test playing the back end's user.
  void Attach(UserInput& attached) override { input = &attached; }

  std::vector<std::string> events;
  std::function<void(WindowModel&)> modal_user;
  // Plays a back end that draws the windows.
  bool shows_windows = false;
  Answer answer = Answer::kUnanswered;
  UserInput* input = nullptr;
};

}  // namespace olconn97::ui

#endif  // OLCONN97_OUTSIDE_UI_WINDOW_BACKEND_H_
