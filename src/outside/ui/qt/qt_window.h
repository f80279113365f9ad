// One window model drawn as a Qt top-level widget: a child widget per
// control, placed by the model's twips, kept in step with the model, and
// the user's actions handed to the model through UserInput.
#ifndef OLCONN97_OUTSIDE_UI_QT_QT_WINDOW_H_
#define OLCONN97_OUTSIDE_UI_QT_QT_WINDOW_H_

#include <QFont>
#include <QRect>
#include <QWidget>
#include <map>
#include <string_view>

#include "outside/ui/control.h"
#include "outside/ui/user_input.h"
#include "outside/ui/window_model.h"

namespace olconn97::ui::qt {

// The windows are laid out in twips for 96 dots per inch: 15 a pixel.
inline constexpr int kTwipsPerPixel = 15;
// Their design font: 8 points at 96 dots per inch.
inline constexpr int kDesignFontPixels = 11;

int ToPixels(int twips);
QRect ToPixels(const Bounds& bounds);
// The design font of that family; the windows' family for an empty name.
QFont DesignFont(std::string_view family);

class ModelWindow final : public QWidget {
 public:
  // Makes the widgets of `model`'s controls; shown by the back end.
  ModelWindow(WindowModel& model, UserInput& input);
  ~ModelWindow() override;

  // Null once the model is unloaded: the widget then only waits to go.
  WindowModel* model() const { return model_; }
  void Detach() { model_ = nullptr; }

  void SyncWindow();
  void SyncControl(const Control& control);
  // The widget of a control, or null (a timer has none).
  QWidget* WidgetOf(const Control& control) const;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* MakeWidget(Control& control);
  void SyncContent(const Control& control, QWidget* widget);
  void ConnectButton(Control& control, QWidget* widget);
  void ConnectList(ListBox& list, QWidget* widget);

  WindowModel* model_;
  UserInput& input_;
  std::map<const Control*, QWidget*> widgets_;
  // Set while the widgets follow the model, so that what they signal then
  // is not taken for the user's doing.
  bool syncing_ = false;
};

}  // namespace olconn97::ui::qt

#endif  // OLCONN97_OUTSIDE_UI_QT_QT_WINDOW_H_
