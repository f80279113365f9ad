#include "outside/ui/qt/qt_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QMovie>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QTextDocument>
#include <algorithm>
#include <cmath>

namespace olconn97::ui::qt {

namespace {

constexpr int kIconPixels = 32;

QString ToQt(const std::string& text) { return QString::fromStdString(text); }

// Sets a flag for as long as it lives.
class Holding {
 public:
  explicit Holding(bool& flag) : flag_(flag), before_(flag) { flag_ = true; }
  ~Holding() { flag_ = before_; }
  Holding(const Holding&) = delete;
  Holding& operator=(const Holding&) = delete;

 private:
  bool& flag_;
  bool before_;
};

QPixmap PictureOf(StandardPicture picture) {
  QStyle::StandardPixmap standard;
  switch (picture) {
    case StandardPicture::kInformation:
      standard = QStyle::SP_MessageBoxInformation;
      break;
    case StandardPicture::kWarning:
      standard = QStyle::SP_MessageBoxWarning;
      break;
    case StandardPicture::kCritical:
      standard = QStyle::SP_MessageBoxCritical;
      break;
    default:
      return {};
  }
  return QApplication::style()->standardIcon(standard).pixmap(kIconPixels, kIconPixels);
}

void ShowRow(QListWidgetItem& item, const ListRow& row, bool check_box) {
  const QString text = ToQt(row.text);
  if (item.text() != text) item.setText(text);
  Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (check_box) flags |= Qt::ItemIsUserCheckable;
  if (item.flags() != flags) item.setFlags(flags);
  if (check_box) {
    item.setCheckState(row.checked ? Qt::Checked : Qt::Unchecked);
  } else if (item.data(Qt::CheckStateRole).isValid()) {
    item.setData(Qt::CheckStateRole, QVariant());
  }
}

bool SameRow(const QListWidgetItem& item, const ListRow& row, bool check_box) {
  return item.text() == ToQt(row.text) &&
         (!check_box || (item.checkState() == Qt::Checked) == row.checked);
}

void ShowRows(QListWidget& view, const ListBox& list) {
  const std::vector<ListRow>& rows = list.rows();
  const int wanted = static_cast<int>(rows.size());
  while (view.count() > wanted) delete view.takeItem(view.count() - 1);
  // A list that only grew (the log, a row at a time) costs only its new
  // rows; any other change is shown row by row.
  const int shown = view.count();
  const bool grew = shown > 0 && shown < wanted &&
                    SameRow(*view.item(shown - 1), rows[static_cast<size_t>(shown - 1)],
                            list.check_boxes());
  for (int i = grew ? shown : 0; i < shown; ++i) {
    ShowRow(*view.item(i), rows[static_cast<size_t>(i)], list.check_boxes());
  }
  for (int i = shown; i < wanted; ++i) {
    auto* item = new QListWidgetItem();
    ShowRow(*item, rows[static_cast<size_t>(i)], list.check_boxes());
    view.addItem(item);
  }
  if (view.currentRow() != list.list_index()) {
    view.setCurrentRow(list.list_index());
    if (QListWidgetItem* current = view.currentItem()) view.scrollToItem(current);
  }
}

void ShowClip(QLabel& label, const Animation& clip) {
  QMovie* movie = label.movie();
  const QString file = ToQt(clip.file());
  if (movie == nullptr || movie->fileName() != file) {
    label.setMovie(nullptr);
    delete movie;
    movie = nullptr;
    if (!file.isEmpty()) {
      movie = new QMovie(file, QByteArray(), &label);
      label.setMovie(movie);
      movie->jumpToFrame(0);
    }
  }
  if (movie == nullptr) return;
  if (clip.playing() && movie->state() != QMovie::Running) movie->start();
  if (!clip.playing() && movie->state() != QMovie::NotRunning) movie->stop();
}

}  // namespace

int ToPixels(int twips) {
  return static_cast<int>(std::lround(static_cast<double>(twips) / kTwipsPerPixel));
}

QRect ToPixels(const Bounds& bounds) {
  return QRect(ToPixels(bounds.left), ToPixels(bounds.top), ToPixels(bounds.width),
               ToPixels(bounds.height));
}

QFont DesignFont(std::string_view family) {
  QFont font = family.empty()
                   ? QApplication::font()
                   : QFont(QString::fromUtf8(family.data(), static_cast<qsizetype>(family.size())));
  font.setPixelSize(kDesignFontPixels);
  return font;
}

ModelWindow::ModelWindow(WindowModel& model, UserInput& input)
    : QWidget(nullptr, Qt::Window), model_(&model), input_(input) {
  setFont(DesignFont({}));
  for (const auto& control : model.controls()) {
    if (QWidget* widget = MakeWidget(*control)) widgets_.emplace(control.get(), widget);
  }
  SyncWindow();
  for (const auto& control : model.controls()) SyncControl(*control);
}

ModelWindow::~ModelWindow() = default;

QWidget* ModelWindow::WidgetOf(const Control& control) const {
  auto it = widgets_.find(&control);
  return it == widgets_.end() ? nullptr : it->second;
}

QWidget* ModelWindow::MakeWidget(Control& control) {
  switch (control.kind()) {
    case ControlKind::kLabel: {
      auto* label = new QLabel(this);
      label->setTextFormat(Qt::PlainText);
      label->setWordWrap(true);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      return label;
    }
    case ControlKind::kButton:
    case ControlKind::kCheckBox: {
      QAbstractButton* button = control.kind() == ControlKind::kButton
                                    ? static_cast<QAbstractButton*>(new QPushButton(this))
                                    : new QCheckBox(this);
      ConnectButton(control, button);
      return button;
    }
    case ControlKind::kFrame:
      return new QGroupBox(this);
    case ControlKind::kTextBox: {
      if (static_cast<const TextBox&>(control).multi_line()) {
        // Laid out as the system's text box: the lines the window's layout
        // counts get the box's whole width.
        auto* box = new QPlainTextEdit(this);
        box->setReadOnly(true);
        box->document()->setDocumentMargin(1);
        box->setFrameShape(QFrame::Box);
        box->setLineWidth(1);
        box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        return box;
      }
      auto* line = new QLineEdit(this);
      line->setReadOnly(true);
      return line;
    }
    case ControlKind::kListBox: {
      auto* view = new QListWidget(this);
      ConnectList(static_cast<ListBox&>(control), view);
      return view;
    }
    case ControlKind::kProgressBar: {
      auto* bar = new QProgressBar(this);
      bar->setTextVisible(false);
      return bar;
    }
    case ControlKind::kAnimation:
    case ControlKind::kImage:
    case ControlKind::kPictureBox:
      return new QLabel(this);
    case ControlKind::kTimer:
      return nullptr;
  }
  return nullptr;
}

void ModelWindow::ConnectButton(Control& control, QWidget* widget) {
  connect(static_cast<QAbstractButton*>(widget), &QAbstractButton::clicked, this, [this, &control] {
    if (syncing_ || model_ == nullptr) return;
    input_.Click(control);
    // A check box the model did not toggle shows the model's state again;
    // a window the click unloaded has no control left to show.
    if (model_ != nullptr) SyncControl(control);
  });
}

void ModelWindow::ConnectList(ListBox& list, QWidget* widget) {
  auto* view = static_cast<QListWidget*>(widget);
  connect(view, &QListWidget::itemChanged, this, [this, &list, view](QListWidgetItem* item) {
    if (syncing_ || model_ == nullptr) return;
    const int row = view->row(item);
    const bool checked = item->checkState() == Qt::Checked;
    if (!list.check_boxes() || row < 0 || row >= list.ListCount() ||
        list.rows()[static_cast<size_t>(row)].checked == checked) {
      return;  // not the user ticking a row
    }
    input_.CheckRow(list, row, checked);
    if (model_ != nullptr) SyncControl(list);
  });
  view->setMouseTracking(true);
  view->viewport()->setMouseTracking(true);
  view->viewport()->setProperty("olconn97-list", QVariant::fromValue<void*>(&list));
  view->viewport()->installEventFilter(this);
}

bool ModelWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseMove && model_ != nullptr) {
    if (void* list = watched->property("olconn97-list").value<void*>()) {
      const QPointF at = static_cast<QMouseEvent*>(event)->position();
      input_.MouseMove(*static_cast<ListBox*>(list), static_cast<float>(at.x() * kTwipsPerPixel),
                       static_cast<float>(at.y() * kTwipsPerPixel));
    }
  }
  return QWidget::eventFilter(watched, event);
}

void ModelWindow::SyncWindow() {
  if (model_ == nullptr) return;
  Holding hold(syncing_);
  setWindowTitle(ToQt(model_->caption()));
  setEnabled(model_->enabled());
  const Bounds& bounds = model_->bounds();
  const QSize client(std::max(1, ToPixels(bounds.width - kWindowFrameWidth)),
                     std::max(1, ToPixels(bounds.height - kWindowFrameHeight)));
  if (model_->resizable()) {
    if (size() != client) resize(client);
  } else {
    setFixedSize(client);
  }
  if (bounds.left != 0 || bounds.top != 0) move(ToPixels(bounds.left), ToPixels(bounds.top));
}

void ModelWindow::SyncControl(const Control& control) {
  QWidget* widget = WidgetOf(control);
  if (widget == nullptr || model_ == nullptr) return;
  Holding hold(syncing_);
  const QSignalBlocker quiet(widget);
  widget->setGeometry(ToPixels(control.bounds()));
  widget->setVisible(control.visible());
  widget->setEnabled(control.enabled());
  widget->setToolTip(ToQt(control.tool_tip()));
  if (!control.font_name().empty()) widget->setFont(DesignFont(control.font_name()));
  SyncContent(control, widget);
}

void ModelWindow::SyncContent(const Control& control, QWidget* widget) {
  const QString text = ToQt(control.text());
  switch (control.kind()) {
    case ControlKind::kLabel:
      static_cast<QLabel*>(widget)->setText(text);
      break;
    case ControlKind::kButton:
      static_cast<QPushButton*>(widget)->setText(text);
      break;
    case ControlKind::kCheckBox: {
      auto* box = static_cast<QCheckBox*>(widget);
      box->setText(text);
      box->setChecked(static_cast<const CheckBox&>(control).checked());
      break;
    }
    case ControlKind::kFrame:
      static_cast<QGroupBox*>(widget)->setTitle(text);
      break;
    case ControlKind::kTextBox:
      if (auto* box = qobject_cast<QPlainTextEdit*>(widget)) {
        if (box->toPlainText() != text) box->setPlainText(text);
      } else if (auto* line = qobject_cast<QLineEdit*>(widget); line->text() != text) {
        line->setText(text);
        line->setCursorPosition(0);
      }
      break;
    case ControlKind::kListBox:
      ShowRows(*static_cast<QListWidget*>(widget), static_cast<const ListBox&>(control));
      break;
    case ControlKind::kProgressBar: {
      const auto& progress = static_cast<const ProgressBar&>(control);
      auto* bar = static_cast<QProgressBar*>(widget);
      bar->setRange(progress.min(), progress.max());
      bar->setValue(progress.value());
      break;
    }
    case ControlKind::kAnimation:
      ShowClip(*static_cast<QLabel*>(widget), static_cast<const Animation&>(control));
      break;
    case ControlKind::kImage:
      static_cast<QLabel*>(widget)->setPixmap(
          PictureOf(static_cast<const Image&>(control).picture()));
      break;
    case ControlKind::kPictureBox:
    case ControlKind::kTimer:
      break;
  }
}

void ModelWindow::closeEvent(QCloseEvent* event) {
  // The model decides: a window that refuses the close stays.
  if (model_ == nullptr || input_.RequestClose(*model_)) {
    event->accept();
  } else {
    event->ignore();
  }
}

void ModelWindow::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && model_ != nullptr) {
    if (isActiveWindow()) {
      input_.Activate(*model_);
    } else {
      input_.Deactivate(*model_);
    }
  }
  QWidget::changeEvent(event);
}

void ModelWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (syncing_ || model_ == nullptr || !model_->resizable()) return;
  input_.Resize(*model_, width() * kTwipsPerPixel + kWindowFrameWidth,
                height() * kTwipsPerPixel + kWindowFrameHeight);
}

}  // namespace olconn97::ui::qt
