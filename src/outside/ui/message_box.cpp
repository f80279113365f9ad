#include "outside/ui/message_box.h"

namespace olconn97::ui {

void PrintedMessageBoxes::Show(const MessageBoxRecord& box) {
  std::fprintf(stream_, "%s: %s\n", box.caption.c_str(), box.text.c_str());
  std::fflush(stream_);
}

}  // namespace olconn97::ui
