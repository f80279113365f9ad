#include "outside/ui/qt/qt_test_support.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <filesystem>

#include "core/settings.h"
#include "core/shared_state.h"
#include "driver/config_window.h"

namespace olconn97::testing {

QString ToQt(const std::string& text) { return QString::fromStdString(text); }

bool SaveScreenshot(QWidget& widget, const std::string& name) {
  QCoreApplication::processEvents();
  std::filesystem::create_directories(OLCONN97_SCREENSHOT_DIR);
  const std::string path = std::string(OLCONN97_SCREENSHOT_DIR) + "/" + name + ".png";
  return widget.grab().save(ToQt(path), "PNG");
}

bool RunQtUntil(const std::function<bool()>& done) {
  QElapsedTimer waited;
  waited.start();
  while (!done() && waited.elapsed() < 10000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return done();
}

void WhenModal(std::function<void()> user) {
  // Looks every few milliseconds until a modal window is up; a modal loop
  // that never shows one is given up after 10 seconds.
  auto* watch = new QTimer();
  auto* waited = new QElapsedTimer();
  waited->start();
  QObject::connect(watch, &QTimer::timeout, [watch, waited, user = std::move(user)] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr && waited->elapsed() < 10000) return;
    watch->stop();
    watch->deleteLater();
    delete waited;
    if (modal == nullptr) {
      ADD_FAILURE() << "no modal window came up";
      return;
    }
    user();
  });
  watch->start(10);
}

QtDriverTest::QtDriverTest()
    : qt_backend_(std::make_unique<ui::qt::QtWindowBackend>(nullptr)),
      qt_desktop_(std::make_unique<ui::Desktop>(loop_clock_, *qt_backend_)) {
  Shared().services.SetDesktop(qt_desktop_.get());
}

QtDriverTest::~QtDriverTest() {
  // The windows go before the desktop they are drawn on.
  driver_.reset();
  ResetConfigWindowForTesting();
  ResetSharedStateForTesting();
  Shared().services.SetDesktop(&desktop_);
  qt_desktop_.reset();
  qt_backend_.reset();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void QtDriverTest::LetQtTimePass(std::chrono::milliseconds delay) {
  loop_clock_.Advance(delay);
  qt_desktop_->loop().YieldOnce();
}

void QtDriverTest::RunQtWalk() {
  ASSERT_TRUE(WalkPending());
  LetQtTimePass(std::chrono::milliseconds(250));
  EXPECT_FALSE(WalkPending());
}

void QtDriverTest::StartQtDriver() {
  driver_ = std::make_unique<cDataConnector>();
  if (WalkPending()) RunQtWalk();
}

void QtDriverTest::SetLanguage(const char* lang) {
  ASSERT_TRUE(RegWriteString(Hive::kCurrentUser, kZepPhoneSettingsKey, "lang", lang));
}

void QtDriverTest::InstallClip() {
  std::filesystem::copy_file(std::string(OLCONN97_SOURCE_DATA_DIR) + "/filecopy.gif",
                             app_path() + "/filecopy.gif");
}

}  // namespace olconn97::testing
