#include "outside/ui/qt/qt_backend.h"

#include <QFontMetrics>
#include <QMessageBox>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdlib>

#include "outside/ui/screen.h"

namespace olconn97::ui::qt {

namespace {

// A yield lets Qt process its events at most this often: often enough to
// repaint and to take the user's clicks, seldom enough that a walk yielding
// after every contact does not pay for it each time.
constexpr qint64 kEventsEveryMs = 10;

int WholeMilliseconds(LoopDuration duration) {
  using std::chrono::milliseconds;
  const auto ms = std::chrono::ceil<milliseconds>(std::max(duration, LoopDuration::zero()));
  return static_cast<int>(std::min<milliseconds::rep>(ms.count(), INT_MAX));
}

}  // namespace

QtWindowBackend::QtWindowBackend(std::unique_ptr<QApplication> own_application)
    : own_application_(std::move(own_application)) {
  driver_timer_.setSingleShot(true);
  driver_timer_.setTimerType(Qt::PreciseTimer);
  QObject::connect(&driver_timer_, &QTimer::timeout, &driver_timer_, [this] {
    ++wakeups_;
    RunDueWork();
  });
}

QtWindowBackend::~QtWindowBackend() {
  for (auto& [model, window] : windows_) {
    window->Detach();
    delete window;
  }
  if (cursor_overridden_) QApplication::restoreOverrideCursor();
}

ModelWindow* QtWindowBackend::WindowOf(const WindowModel& window) const {
  auto it = windows_.find(&window);
  return it == windows_.end() ? nullptr : it->second;
}

void QtWindowBackend::Loaded(WindowModel& window) {
  if (input_ == nullptr) return;
  windows_[&window] = new ModelWindow(window, *input_);
}

void QtWindowBackend::Unloaded(WindowModel& window) {
  auto it = windows_.find(&window);
  if (it == windows_.end()) return;
  ModelWindow* drawn = it->second;
  windows_.erase(it);
  drawn->Detach();
  drawn->hide();
  // Later: the unload may come from inside one of the widget's own events.
  drawn->deleteLater();
  if (auto modal = modal_loops_.find(&window); modal != modal_loops_.end()) modal->second->quit();
}

void QtWindowBackend::Shown(WindowModel& window) {
  ModelWindow* drawn = WindowOf(window);
  if (drawn == nullptr) return;
  drawn->setWindowModality(window.modal() ? Qt::ApplicationModal : Qt::NonModal);
  drawn->show();
  drawn->raise();
  drawn->activateWindow();
}

void QtWindowBackend::Hidden(WindowModel& window) {
  if (ModelWindow* drawn = WindowOf(window)) drawn->hide();
  if (auto modal = modal_loops_.find(&window); modal != modal_loops_.end()) modal->second->quit();
}

void QtWindowBackend::RunModal(WindowModel& window) {
  if (!window.loaded() || !window.visible() || modal_loops_.count(&window) != 0) return;
  QEventLoop modal;
  modal_loops_[&window] = &modal;
  modal.exec(QEventLoop::DialogExec);
  modal_loops_.erase(&window);
}

void QtWindowBackend::Repaint(WindowModel& window) {
  if (ModelWindow* drawn = WindowOf(window); drawn != nullptr && drawn->isVisible()) {
    drawn->repaint();
  }
}

void QtWindowBackend::BringToFront(WindowModel& window) {
  if (ModelWindow* drawn = WindowOf(window)) {
    drawn->raise();
    drawn->activateWindow();
  }
}

void QtWindowBackend::WindowChanged(WindowModel& window) {
  if (ModelWindow* drawn = WindowOf(window)) drawn->SyncWindow();
}

void QtWindowBackend::ControlChanged(Control& control) {
  if (ModelWindow* drawn = WindowOf(control.window())) drawn->SyncControl(control);
}

void QtWindowBackend::MousePointerChanged(int pointer) {
  const bool busy = pointer == kMousePointerHourglass;
  if (busy && !cursor_overridden_) QApplication::setOverrideCursor(Qt::WaitCursor);
  if (!busy && cursor_overridden_) QApplication::restoreOverrideCursor();
  cursor_overridden_ = busy;
}

int QtWindowBackend::TextWidth(std::string_view font_name, std::string_view text) {
  const QFontMetrics metrics(DesignFont(font_name));
  const qint64 pixels = metrics.horizontalAdvance(
      QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
  return static_cast<int>(std::min<qint64>(pixels * kTwipsPerPixel, INT_MAX));
}

Answer QtWindowBackend::AskYesNoCancel(std::string_view caption, std::string_view text) {
  QMessageBox box(QMessageBox::Question,
                  QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())),
                  QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())),
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  box.setDefaultButton(QMessageBox::Yes);
  switch (box.exec()) {
    case QMessageBox::Yes:
      return Answer::kYes;
    case QMessageBox::No:
      return Answer::kNo;
    default:
      return Answer::kCancel;
  }
}

void QtWindowBackend::WorkScheduled() {
  if (input_ == nullptr) return;
  const std::optional<LoopDuration> due = input_->TimeUntilDue();
  if (!due) {
    driver_timer_.stop();
    return;
  }
  const int wait = WholeMilliseconds(*due);
  // Set again only when it would wake at another time.
  if (!driver_timer_.isActive() || std::abs(driver_timer_.remainingTime() - wait) > 1) {
    driver_timer_.start(wait);
  }
}

void QtWindowBackend::RunDueWork() {
  if (input_ == nullptr) return;
  input_->RunDueWork();  // schedules the next wake-up when it ends
  // A host's pump that waits returns to run what follows.
  if (!waits_.empty()) waits_.back()->quit();
}

void QtWindowBackend::ProcessPendingEvents() {
  if (since_events_.isValid() && since_events_.elapsed() < kEventsEveryMs) return;
  since_events_.start();
  QCoreApplication::processEvents();
}

void QtWindowBackend::WaitUntil(LoopTime deadline) {
  const LoopDuration left = deadline - std::chrono::steady_clock::now();
  if (left <= LoopDuration::zero()) {
    QCoreApplication::processEvents();
    return;
  }
  QEventLoop wait;
  QTimer::singleShot(WholeMilliseconds(left), Qt::PreciseTimer, &wait, &QEventLoop::quit);
  waits_.push_back(&wait);
  wait.exec();
  waits_.pop_back();
}

bool QtWindowBackend::WindowsAwaitUser() const {
  return std::any_of(windows_.begin(), windows_.end(), [](const auto& entry) {
    const auto& [model, window] = entry;
    return model->visible() && !model->ends_with_host() && window->isVisible();
  });
}

}  // namespace olconn97::ui::qt
