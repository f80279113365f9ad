#include "outside/ui/desktop.h"

#include <algorithm>
#include <utility>

#include "outside/ui/control.h"
#include "outside/ui/window_model.h"

namespace olconn97::ui {

namespace {

// The user's actions, as a back end delivers them, reach the models' own
// user-event members.
class DesktopInput final : public UserInput {
 public:
  explicit DesktopInput(MessageLoop& loop) : loop_(loop) {}

  bool Click(Control& control) override {
    if (auto* button = dynamic_cast<Button*>(&control)) return button->Click();
    if (auto* box = dynamic_cast<CheckBox*>(&control)) return box->Click();
    return false;
  }
  bool CheckRow(ListBox& list, int row, bool checked) override {
    return list.UserCheck(row, checked);
  }
  bool MouseMove(ListBox& list, float x, float y) override { return list.MouseMove(x, y); }
  bool RequestClose(WindowModel& window) override { return window.RequestClose(); }
  void Activate(WindowModel& window) override { window.Activate(); }
  void Deactivate(WindowModel& window) override { window.Deactivate(); }
  void Resize(WindowModel& window, int width, int height) override {
    window.UserResize(width, height);
  }
  int RunDueWork() override { return loop_.YieldOnce(); }
  std::optional<LoopDuration> TimeUntilDue() override {
    std::optional<LoopTime> due = loop_.NextDue();
    if (!due) return std::nullopt;
    return std::max(*due - loop_.clock().Now(), LoopDuration::zero());
  }

 private:
  MessageLoop& loop_;
};

}  // namespace

Desktop::Desktop(LoopClock& clock, WindowBackend& backend)
    : backend_(backend), loop_(clock), screen_(backend) {
  AttachBackend();
}

Desktop::Desktop(std::unique_ptr<LoopClock> clock, std::unique_ptr<WindowBackend> backend)
    : own_clock_(std::move(clock)),
      own_backend_(std::move(backend)),
      backend_(*own_backend_),
      loop_(*own_clock_),
      screen_(*own_backend_) {
  AttachBackend();
}

Desktop::~Desktop() { loop_.SetNativeEventLoop(nullptr); }

void Desktop::AttachBackend() {
  input_ = std::make_unique<DesktopInput>(loop_);
  backend_.Attach(*input_);
  if (NativeEventLoop* native = backend_.native_event_loop()) loop_.SetNativeEventLoop(native);
}

std::unique_ptr<Desktop> Desktop::CreateHeadless() {
  return std::make_unique<Desktop>(std::make_unique<SteadyLoopClock>(),
                                   std::make_unique<HeadlessWindowBackend>());
}

bool Desktop::IsLoaded(std::string_view name) const {
  return std::any_of(loaded_.begin(), loaded_.end(),
                     [name](const WindowModel* window) { return window->name() == name; });
}

void Desktop::RemoveLoaded(WindowModel* window) {
  loaded_.erase(std::remove(loaded_.begin(), loaded_.end(), window), loaded_.end());
}

}  // namespace olconn97::ui
