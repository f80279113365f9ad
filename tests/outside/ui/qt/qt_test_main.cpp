// The Qt windows' tests run on Qt's offscreen platform with one pinned font
// and style, so that what they draw is the same on every machine: the
// screenshots they leave in the build folder can be compared run to run.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QString>
#include <cstdlib>
#include <cstring>

namespace {

// The offscreen platform cannot raise a window, size it to its hints or
// name a runtime folder; it says so for every window, which tells a reader
// of the test log nothing.
void QuietMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.contains("This plugin does not support") || message.contains("XDG_RUNTIME_DIR")) {
    return;
  }
  const QByteArray text = qFormatLogMessage(type, context, message).toLocal8Bit();
  std::fprintf(stderr, "%s\n", text.constData());
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  qInstallMessageHandler(QuietMessages);
  QApplication application(argc, argv);
  const int font = QFontDatabase::addApplicationFont(OLCONN97_PINNED_FONT);
  const QStringList families = QFontDatabase::applicationFontFamilies(font);
  if (families.isEmpty()) {
    std::fprintf(stderr, "the pinned font %s cannot be loaded\n", OLCONN97_PINNED_FONT);
    return 1;
  }
  // The windows' design font is "Sans Serif": it, and the application's
  // font, are the pinned one.
  QFont::insertSubstitution("Sans Serif", families.front());
  QApplication::setFont(QFont(families.front()));
  QApplication::setStyle("Fusion");
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
