#include "outside/ui/desktop.h"

#include <algorithm>
#include <utility>

#include "outside/ui/window_model.h"

namespace olconn97::ui {

Desktop::Desktop(LoopClock& clock, WindowBackend& backend)
    : backend_(backend), loop_(clock), screen_(backend) {}

Desktop::Desktop(std::unique_ptr<LoopClock> clock, std::unique_ptr<WindowBackend> backend)
    : own_clock_(std::move(clock)),
      own_backend_(std::move(backend)),
      backend_(*own_backend_),
      loop_(*own_clock_),
      screen_(*own_backend_) {}

Desktop::~Desktop() = default;

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
