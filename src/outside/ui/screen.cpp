#include "outside/ui/screen.h"

namespace olconn97::ui {

void Screen::SetMousePointer(int pointer) {
  if (pointer == mouse_pointer_) return;
  mouse_pointer_ = pointer;
  backend_.MousePointerChanged(pointer);
}

}  // namespace olconn97::ui
