// The Qt back end itself: the plugin the library loads, and the driver's
// message loop inside Qt's event loop.
#include <gtest/gtest.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>

#include "outside/ui/desktop.h"
#include "outside/ui/message_loop.h"
#include "outside/ui/qt/qt_backend.h"
#include "outside/ui/qt_loader.h"
#include "test_support.h"

namespace olconn97::ui {
namespace {

using std::chrono::milliseconds;

TEST(QtPluginTest, TheLibraryLoadsThePluginOnTheHostsQtApplication) {
  EXPECT_TRUE(QtApplicationRunning());
  EXPECT_TRUE(WantsQtBackend(nullptr, QtApplicationRunning()));
  std::string why;
  std::unique_ptr<WindowBackend> backend = LoadQtBackend(OLCONN97_PLUGIN_DIR, &why);
  ASSERT_NE(backend, nullptr) << why;
  EXPECT_TRUE(backend->ShowsWindows());
  EXPECT_GT(backend->TextWidth("Sans Serif", "Outlook"), 0);

  // The desktop a Qt host gets without asking.
  olconn97::testing::ScopedEnv unset(kUiVariable, "");
  std::unique_ptr<Desktop> desktop = CreateDesktop(OLCONN97_PLUGIN_DIR);
  EXPECT_TRUE(desktop->backend().ShowsWindows());
  olconn97::testing::ScopedEnv headless(kUiVariable, "headless");
  EXPECT_FALSE(CreateDesktop(OLCONN97_PLUGIN_DIR)->backend().ShowsWindows());
}

TEST(QtMessageLoopTest, ADriverTimerFiresInsideQtsEventLoopWithoutPolling) {
  SteadyLoopClock clock;
  qt::QtWindowBackend backend(nullptr);
  Desktop desktop(clock, backend);
  QEventLoop host;  // the host's own event loop, as a Qt application runs it
  bool fired = false;
  LoopTimer timer(desktop.loop());
  timer.Start(milliseconds(30), /*repeating=*/false, [&] {
    fired = true;
    host.quit();
  });
  QTimer::singleShot(10000, &host, &QEventLoop::quit);  // bounds a failing run
  host.exec();
  EXPECT_TRUE(fired);
  // Woken for the timer's due time, not over and over to look.
  EXPECT_LE(backend.WakeupsForTesting(), 3);

  // A host without a loop of its own pumps: the wait is Qt's.
  bool posted = false;
  desktop.loop().Post([&] { posted = true; });
  EXPECT_EQ(desktop.loop().Pump(milliseconds(0)), 1);
  EXPECT_TRUE(posted);
  EXPECT_TRUE(desktop.loop().Idle());
}

}  // namespace
}  // namespace olconn97::ui
