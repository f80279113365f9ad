// The exported pump for hosts without an event loop of their own.
#include <chrono>
#include <thread>

#include "olconn97/olconn97.h"
#include "outside/ui/message_loop.h"

STDAPI_(int) olconn97_pump(unsigned max_wait_ms) {
  const std::chrono::milliseconds max_wait(max_wait_ms);
  if (olconn97::ui::MessageLoop* loop = olconn97::ui::MessageLoop::Current()) {
    loop->Pump(max_wait);
    // A window the user has yet to answer or close is work under way too:
    // a host that pumps until the driver is done keeps it open.
    return loop->Idle() && !loop->WindowsAwaitUser() ? 0 : 1;
  }
  // No loop on this thread yet: nothing can become due, so the host's idle
  // loop is made to wait rather than to spin.
  std::this_thread::sleep_for(max_wait);
  return 0;
}
