// The phone host's windows on Qt Widgets: the caller's pop-up of each call
// and the window that chooses the actions of the call events.
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "popup_api.h"

namespace {

constexpr int kSettingText = 8;
constexpr int kSettingFlag = 11;
constexpr int kSettingChoice = 8200;

struct Event {
  const char* value_name;
  const char* label;
};
constexpr Event kEvents[] = {
    {"RingActions", "When a call rings or is dialled"},
    {"HangupActions", "When a call ends"},
    {"MissedActions", "When an incoming call ends unanswered"},
};
const char* EventWord(const char* value_name) {
  return std::strcmp(value_name, "RingActions") == 0     ? "ring"
         : std::strcmp(value_name, "HangupActions") == 0 ? "hangup"
                                                         : "missed";
}

// Made when the host has none, and never destroyed: at the process's end
// Qt's own globals may be gone before this library's, and a QApplication
// destroyed after them crashes the exit.
QApplication* own_application = nullptr;
std::map<std::string, QPointer<QWidget>> popups;  // by call id
QPointer<QDialog> action_window;
std::string next_answer;

bool HasWord(const std::string& words, const std::string& word) {
  size_t at = 0;
  while ((at = words.find(word, at)) != std::string::npos) {
    bool starts = at == 0 || words[at - 1] == ' ';
    bool ends = at + word.size() == words.size() || words[at + word.size()] == ' ';
    if (starts && ends) return true;
    at += word.size();
  }
  return false;
}

int Start(char* why, unsigned why_size) {
  if (QApplication::instance() != nullptr) return 0;
  auto say = [&](const char* text) {
    if (why != nullptr && why_size > 0) std::snprintf(why, why_size, "%s", text);
    return -1;
  };
  if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr &&
      std::getenv("QT_QPA_PLATFORM") == nullptr) {
    return say("no display (DISPLAY or WAYLAND_DISPLAY is not set)");
  }
  static int argc = 1;
  static char name[] = "olconn97";
  static char* argv[] = {name, nullptr};
  own_application = new QApplication(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);  // the host runs on between calls
  return 0;
}

QLabel* AddLine(QVBoxLayout* layout, const QString& text, const char* object_name, bool bold) {
  auto* label = new QLabel(text);
  label->setObjectName(object_name);
  label->setTextFormat(Qt::PlainText);  // a caller's name is never markup
  if (bold) {
    QFont font = label->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.3);
    label->setFont(font);
  }
  layout->addWidget(label);
  return label;
}

void ShowCaller(const olconn97_popup_caller* caller, olconn97_popup_create_card create,
                void* context) {
  const std::string id = caller->call_id;
  if (QWidget* old = popups[id]) old->deleteLater();
  auto* window = new QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint | Qt::Tool);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->setObjectName("popup");
  const bool incoming = std::strcmp(caller->direction, "incoming") == 0;
  window->setWindowTitle(incoming ? "Incoming call" : "Outgoing call");
  auto* layout = new QVBoxLayout(window);
  if (caller->known) {
    AddLine(layout, QString::fromUtf8(caller->name), "name", true);
    if (*caller->company != '\0') AddLine(layout, QString::fromUtf8(caller->company), "company", false);
  } else {
    AddLine(layout, "Unknown caller", "name", true);
  }
  AddLine(layout, QString::fromUtf8(caller->number), "number", false);
  if (caller->known && *caller->folder != '\0') {
    AddLine(layout, "in " + QString::fromUtf8(caller->folder), "folder", false);
  }
  if (caller->others > 0) {
    AddLine(layout, QString("and %1 more with this number").arg(caller->others), "others", false);
  }
  if (!caller->known && *caller->number != '\0' && create != nullptr) {
    auto* button = new QPushButton("&Create a card");
    button->setObjectName("create");
    const std::string number = caller->number;
    QObject::connect(button, &QPushButton::clicked, window, [=]() {
      create(context, id.c_str(), number.c_str());
      button->setEnabled(false);
      button->setText("Card created");
    });
    layout->addWidget(button);
  }
  window->adjustSize();
  // In the screen's top right corner, where a pop-up is expected.
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect area = screen->availableGeometry();
    window->move(area.right() - window->width() - 16, area.top() + 16);
  }
  window->show();
  popups[id] = window;
}

void CallEnded(const char* call_id) {
  auto found = popups.find(call_id);
  if (found == popups.end()) return;
  if (QWidget* window = found->second) window->close();
  popups.erase(found);
}

void ProcessEvents(unsigned max_wait_ms) {
  if (QCoreApplication::instance() == nullptr) return;
  QCoreApplication::processEvents(QEventLoop::AllEvents, static_cast<int>(max_wait_ms));
}

// The editor of one setting, named "<word>.<key>" so a script finds it.
QWidget* EditorFor(const olconn97_popup_action& action, const olconn97_popup_setting& setting) {
  const QString name = QString("%1.%2").arg(action.word, setting.key);
  QWidget* editor = nullptr;
  if (setting.type == kSettingChoice) {
    auto* box = new QComboBox;
    for (int i = 0; i < setting.choice_count; ++i) box->addItem(QString::fromUtf8(setting.choices[i]));
    bool ok = false;
    int index = QString::fromUtf8(setting.value).toInt(&ok);
    if (ok && index >= 0 && index < box->count()) box->setCurrentIndex(index);
    editor = box;
  } else if (setting.type == kSettingFlag) {
    auto* box = new QCheckBox;
    QString value = QString::fromUtf8(setting.value).toLower();
    box->setChecked(value == "true" || value == "-1" || value == "1" || value == "yes");
    editor = box;
  } else {
    editor = new QLineEdit(QString::fromUtf8(setting.value));
  }
  editor->setObjectName(name);
  return editor;
}

QString EditorValue(QWidget* editor) {
  if (auto* box = qobject_cast<QComboBox*>(editor)) return QString::number(box->currentIndex());
  if (auto* box = qobject_cast<QCheckBox*>(editor)) return box->isChecked() ? "true" : "false";
  if (auto* line = qobject_cast<QLineEdit*>(editor)) return line->text();
  return {};
}

void Describe(QWidget* window, std::string* text) {
  *text += "window: " + window->windowTitle().toStdString() + "\n";
  for (QWidget* child : window->findChildren<QWidget*>()) {
    if (!child->isVisibleTo(window)) continue;
    std::string line;
    if (auto* label = qobject_cast<QLabel*>(child)) {
      line = "label: " + label->text().toStdString();
    } else if (auto* check = qobject_cast<QCheckBox*>(child)) {
      line = std::string(check->isChecked() ? "[x] " : "[ ] ") + child->objectName().toStdString();
    } else if (auto* button = qobject_cast<QPushButton*>(child)) {
      line = "button: " + button->text().toStdString();
    } else if (auto* group = qobject_cast<QGroupBox*>(child)) {
      line = "group: " + group->title().toStdString();
    } else if (auto* combo = qobject_cast<QComboBox*>(child)) {
      line = "choice " + child->objectName().toStdString() + ": " + combo->currentText().toStdString();
    } else if (auto* edit = qobject_cast<QLineEdit*>(child)) {
      line = "text " + child->objectName().toStdString() + ": " + edit->text().toStdString();
    }
    if (!line.empty()) *text += line + "\n";
  }
}

// Plays a test's script on the window's widgets; false when it names none.
bool PlayScript(QDialog& window, const std::string& script) {
  size_t start = 0;
  while (start <= script.size()) {
    size_t end = script.find(';', start);
    if (end == std::string::npos) end = script.size();
    std::string command = script.substr(start, end - start);
    start = end + 1;
    while (!command.empty() && command.front() == ' ') command.erase(0, 1);
    if (command.empty()) continue;
    if (command == "ok") {
      window.accept();
      return true;
    }
    if (command == "cancel") {
      window.reject();
      return true;
    }
    if (command.rfind("grab ", 0) == 0) {
      // The window as the user sees it now: its picture and its texts.
      const std::string path = command.substr(5);
      window.grab().save(QString::fromStdString(path), "PNG");
      std::string description;
      Describe(&window, &description);
      if (FILE* file = std::fopen((path + ".txt").c_str(), "w")) {
        std::fputs(description.c_str(), file);
        std::fclose(file);
      }
    } else if (command.rfind("toggle ", 0) == 0) {
      auto* box = window.findChild<QCheckBox*>(QString::fromStdString(command.substr(7)));
      if (box == nullptr) return false;
      box->click();
    } else if (command.rfind("set ", 0) == 0) {
      size_t equals = command.find('=');
      if (equals == std::string::npos) return false;
      QWidget* editor = window.findChild<QWidget*>(QString::fromStdString(command.substr(4, equals - 4)));
      QString value = QString::fromStdString(command.substr(equals + 1));
      if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        line->setText(value);
      } else if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        combo->setCurrentIndex(value.toInt());
      } else if (auto* check = qobject_cast<QCheckBox*>(editor)) {
        check->setChecked(value == "true");
      } else {
        return false;
      }
    } else {
      return false;
    }
  }
  return false;
}

int ChooseActions(const olconn97_popup_action* actions, int action_count,
                  const olconn97_popup_events* events, olconn97_popup_chosen chosen,
                  void* context) {
  QDialog window;
  window.setObjectName("actions");
  window.setWindowTitle("Phone host: actions of each call event");
  auto* layout = new QVBoxLayout(&window);
  const char* current[] = {events->ring, events->hangup, events->missed};
  std::vector<std::vector<QCheckBox*>> boxes(std::size(kEvents));
  for (size_t e = 0; e < std::size(kEvents); ++e) {
    auto* group = new QGroupBox(kEvents[e].label);
    auto* row = new QHBoxLayout(group);
    for (int a = 0; a < action_count; ++a) {
      auto* box = new QCheckBox(QString::fromUtf8(actions[a].name));
      box->setObjectName(QString("%1.%2").arg(EventWord(kEvents[e].value_name), actions[a].word));
      box->setChecked(HasWord(current[e], actions[a].word));
      row->addWidget(box);
      boxes[e].push_back(box);
    }
    layout->addWidget(group);
  }
  std::vector<std::pair<std::string, QWidget*>> editors;
  for (int a = 0; a < action_count; ++a) {
    if (actions[a].setting_count == 0) continue;
    auto* group = new QGroupBox(QString("Settings of \"%1\"").arg(QString::fromUtf8(actions[a].name)));
    auto* grid = new QGridLayout(group);
    for (int s = 0; s < actions[a].setting_count; ++s) {
      const olconn97_popup_setting& setting = actions[a].settings[s];
      grid->addWidget(new QLabel(QString::fromUtf8(setting.key)), s, 0);
      QWidget* editor = EditorFor(actions[a], setting);
      grid->addWidget(editor, s, 1);
      editors.emplace_back(std::string(actions[a].word) + "." + setting.key, editor);
    }
    layout->addWidget(group);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &window, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &window, &QDialog::reject);
  layout->addWidget(buttons);
  action_window = &window;
  if (!next_answer.empty()) {
    std::string script = std::move(next_answer);
    next_answer.clear();
    QTimer::singleShot(0, &window, [&window, script]() {
      if (!PlayScript(window, script)) window.reject();
    });
  }
  const bool accepted = window.exec() == QDialog::Accepted;
  action_window = nullptr;
  if (!accepted) return 0;
  for (size_t e = 0; e < std::size(kEvents); ++e) {
    std::string words;
    for (int a = 0; a < action_count; ++a) {
      if (!boxes[e][static_cast<size_t>(a)]->isChecked()) continue;
      if (!words.empty()) words += ' ';
      words += actions[a].word;
    }
    chosen(context, kEvents[e].value_name, words.c_str());
  }
  for (const auto& [name, editor] : editors) {
    chosen(context, name.c_str(), EditorValue(editor).toUtf8().constData());
  }
  return 1;
}

int DescribeWindow(const char* which, const char* png_path, char* text, unsigned size) {
  QWidget* window = nullptr;
  if (std::strcmp(which, "actions") == 0) {
    window = action_window;
  } else if (auto found = popups.find(which); found != popups.end()) {
    window = found->second;
  }
  std::string description;
  if (window != nullptr) {
    Describe(window, &description);
    if (png_path != nullptr) window->grab().save(QString::fromUtf8(png_path), "PNG");
  }
  if (text != nullptr && size > 0) std::snprintf(text, size, "%s", description.c_str());
  return static_cast<int>(description.size());
}

void AnswerNext(const char* script) { next_answer = script == nullptr ? "" : script; }

int Press(const char* call_id, const char* button_name) {
  auto found = popups.find(call_id);
  if (found == popups.end() || found->second == nullptr) return 0;
  auto* button = found->second->findChild<QPushButton*>(button_name);
  if (button == nullptr || !button->isEnabled()) return 0;
  button->click();
  return 1;
}

constexpr olconn97_popup_api kApi = {Start,         ShowCaller,     CallEnded,  ProcessEvents,
                                     ChooseActions, DescribeWindow, AnswerNext, Press};

}  // namespace

extern "C" __attribute__((visibility("default"))) const olconn97_popup_api* olconn97_popup() {
  return &kApi;
}
