// A driver whose windows are drawn by the Qt back end, on the offscreen
// platform: the tests look at the widgets, act on them as a user would,
// and keep a screenshot of each window in the build folder.
#ifndef OLCONN97_TESTS_OUTSIDE_UI_QT_QT_TEST_SUPPORT_H_
#define OLCONN97_TESTS_OUTSIDE_UI_QT_QT_TEST_SUPPORT_H_

#include <QString>
#include <QWidget>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "cache/cache_test_support.h"
#include "outside/ui/qt/qt_backend.h"

namespace olconn97::testing {

QString ToQt(const std::string& text);

// Saves `widget` as <build>/screenshots/<name>.png; false when it cannot.
bool SaveScreenshot(QWidget& widget, const std::string& name);

// Runs Qt's events until `done` holds, for at most 10 seconds.
bool RunQtUntil(const std::function<bool()>& done);

// Runs `user` once a modal window is up (a modal window model or a
// question box): what a user does while the driver waits for them.
void WhenModal(std::function<void()> user);

class QtDriverTest : public CacheTest {
 protected:
  QtDriverTest();
  ~QtDriverTest() override;

  // The driver started on the Qt desktop, its start-up walk run.
  void StartQtDriver();
  // Lets the progress window's timer fire and the walk run to its end.
  void RunQtWalk();
  // Lets `delay` pass on the loop's clock and runs what became due.
  void LetQtTimePass(std::chrono::milliseconds delay);
  void SetLanguage(const char* lang);
  // The clip beside the driver, as an installation has it.
  void InstallClip();

  ui::qt::ModelWindow* Drawn(const ui::WindowModel& window) const {
    return qt_backend_->WindowOf(window);
  }
  template <typename W>
  W* WidgetOf(const ui::Control& control) const {
    ui::qt::ModelWindow* window = Drawn(control.window());
    return window == nullptr ? nullptr : qobject_cast<W*>(window->WidgetOf(control));
  }

  std::unique_ptr<ui::qt::QtWindowBackend> qt_backend_;
  std::unique_ptr<ui::Desktop> qt_desktop_;
};

}  // namespace olconn97::testing

#endif  // OLCONN97_TESTS_OUTSIDE_UI_QT_QT_TEST_SUPPORT_H_
