// A window of the driver as a model: named controls with the properties the
// driver sets, and the events its code hooks. The back end renders it; all
// behaviour is here and in the window's own class, testable without a
// display.
//
// A window class derives from WindowModel and overrides:
//   CreateControls()  its design: the controls and the window's own design
//                     properties, made afresh at every load, so a window
//                     loaded again starts from its design;
//   OnLoad(), OnUnload(), OnQueryUnload() (a close request, which may be
//   refused), OnActivate(), OnDeactivate();
// and hooks its controls' events (Button::on_click, ListBox::on_check,
// TimerControl::on_tick) in CreateControls.
//
// Touching a control of an unloaded window loads it: a window class's typed
// accessors call Load() first. Controls of an unloaded window are retired;
// a handler that unloads its own window (an OK button, the last tick of a
// walk) may still use them until it returns.
//
// A window is not destroyed from inside its own events. A window destroyed
// while loaded leaves the list of loaded windows without its unload events.
// Called on the UI thread only.
#ifndef OLCONN97_OUTSIDE_UI_WINDOW_MODEL_H_
#define OLCONN97_OUTSIDE_UI_WINDOW_MODEL_H_

#include <cassert>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/status.h"
#include "outside/ui/control.h"
#include "outside/ui/desktop.h"

namespace olconn97::ui {

enum class UnloadMode {
  kUser,  // the close box or the system menu
  kCode,  // the driver's own Unload
};

enum class ShowMode { kModeless, kModal };

// A window's bounds are its outer size, as the system's windows give it;
// its client area, where the controls sit, is this much narrower (the
// borders) and lower (the borders and the caption), in twips.
inline constexpr int kWindowFrameWidth = 120;
inline constexpr int kWindowFrameHeight = 405;

class WindowModel {
 public:
  virtual ~WindowModel();
  WindowModel(const WindowModel&) = delete;
  WindowModel& operator=(const WindowModel&) = delete;

  const std::string& name() const { return name_; }
  Desktop& desktop() const { return desktop_; }

  bool loaded() const { return loaded_; }
  // Creates the controls and runs the load event; nothing when loaded.
  void Load();
  // Runs the close request and, unless it is refused, the unload event,
  // then retires the controls. Answers whether the window is unloaded.
  bool Unload(UnloadMode mode = UnloadMode::kCode);
  // The user asks to close the window.
  bool RequestClose() { return Unload(UnloadMode::kUser); }
  // Loads the window if needed and shows it. Modal, it returns once the
  // back end's modal run ends. Failed for a modal show of a window already
  // shown, or when the window unloaded itself while loading.
  Status Show(ShowMode mode = ShowMode::kModeless);
  void Hide();
  // Repaints at once.
  void Refresh();
  // Asks for the window to become the foreground window.
  void SetForeground();
  // From the back end: the window gained or lost the activation.
  void Activate();
  void Deactivate();
  // From the back end: the user resized the window (outer size, twips).
  // Nothing for a window that is not loaded or not resizable.
  void UserResize(int width, int height);

  const std::string& caption() const { return caption_; }
  void set_caption(std::string caption) { Set(caption_, std::move(caption)); }
  bool enabled() const { return enabled_; }
  void set_enabled(bool enabled) { Set(enabled_, enabled); }
  int16_t font_charset() const { return font_charset_; }
  void set_font_charset(int16_t charset) { Set(font_charset_, charset); }
  const Bounds& bounds() const { return bounds_; }
  void set_bounds(const Bounds& bounds) { Set(bounds_, bounds); }
  bool visible() const { return visible_; }
  bool modal() const { return modal_; }
  bool active() const { return active_; }
  // Since the window object was made.
  int repaint_count() const { return repaint_count_; }
  int foreground_requests() const { return foreground_requests_; }
  // Design properties: whether the user may resize the window, and whether
  // it stays shown until the host process ends (the log window), so that a
  // host pumping until the driver's work is done never waits for it.
  bool resizable() const { return resizable_; }
  bool ends_with_host() const { return ends_with_host_; }

  // The controls of a loaded window in design order; none when unloaded.
  const std::vector<std::unique_ptr<Control>>& controls() const { return controls_; }
  Control* Find(std::string_view name) const;
  template <typename T>
  T* FindAs(std::string_view name) const {
    return dynamic_cast<T*>(Find(name));
  }

 protected:
  // `desktop` outlives the window.
  WindowModel(Desktop& desktop, std::string name);

  // Only from CreateControls; names are unique within a window.
  template <typename T>
  T& Add(std::string name) {
    assert(Find(name) == nullptr);
    auto control = std::make_unique<T>(*this, std::move(name));
    T& added = *control;
    controls_.push_back(std::move(control));
    return added;
  }
  // The same, placed at `bounds` and given its design text (a caption).
  template <typename T>
  T& Add(std::string name, const Bounds& bounds, std::string text = {}) {
    T& added = Add<T>(std::move(name));
    added.set_bounds(bounds);
    added.set_text(std::move(text));
    return added;
  }

  virtual void CreateControls() {}
  virtual void OnLoad() {}
  // False refuses the unload.
  virtual bool OnQueryUnload(UnloadMode) { return true; }
  virtual void OnUnload() {}
  virtual void OnActivate() {}
  virtual void OnDeactivate() {}
  // After UserResize set the new bounds.
  virtual void OnResize() {}

  // Only from CreateControls.
  void set_resizable(bool resizable) { resizable_ = resizable; }
  void set_ends_with_host(bool ends) { ends_with_host_ = ends; }

 private:
  friend class Control;
  // Held while an event of the window or of one of its controls runs;
  // retired controls are destroyed when the outermost one ends.
  class EventScope {
   public:
    explicit EventScope(WindowModel& window) : window_(window) { ++window_.event_depth_; }
    ~EventScope();
    EventScope(const EventScope&) = delete;
    EventScope& operator=(const EventScope&) = delete;

   private:
    WindowModel& window_;
  };

  template <typename T>
  void Set(T& field, T value) {
    if (field == value) return;
    field = std::move(value);
    if (loaded_) desktop_.backend().WindowChanged(*this);
  }
  void ResetDesign();
  void RetireControls();
  void ControlChanged(Control& control);

  Desktop& desktop_;
  const std::string name_;
  bool loaded_ = false;
  bool unloading_ = false;
  std::string caption_;
  bool enabled_ = true;
  int16_t font_charset_ = 0;
  Bounds bounds_;
  bool visible_ = false;
  bool modal_ = false;
  bool active_ = false;
  bool resizable_ = false;
  bool ends_with_host_ = false;
  int repaint_count_ = 0;
  int foreground_requests_ = 0;
  std::vector<std::unique_ptr<Control>> controls_;
  std::vector<std::unique_ptr<Control>> retired_;
  int event_depth_ = 0;
};

}  // namespace olconn97::ui

#endif  // OLCONN97_OUTSIDE_UI_WINDOW_MODEL_H_
