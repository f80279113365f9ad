// Which back end draws the windows: the Qt plugin when the host runs Qt or
// OLCONN97_UI asks for it, headless otherwise, and headless with one line
// saying why when the plugin was wanted and cannot serve.
#include "outside/ui/qt_loader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "test_support.h"

namespace olconn97::ui {
namespace {

TEST(QtLoaderTest, TheSettingDecidesAndUnsetTheHostsQtApplicationDoes) {
  EXPECT_TRUE(WantsQtBackend("qt", false));
  EXPECT_FALSE(WantsQtBackend("headless", true));
  EXPECT_FALSE(WantsQtBackend("Qt", false));  // exactly "qt"
  EXPECT_TRUE(WantsQtBackend(nullptr, true));
  EXPECT_TRUE(WantsQtBackend("", true));
  EXPECT_FALSE(WantsQtBackend(nullptr, false));
  // This test program runs no Qt, and the library never loads it itself.
  EXPECT_FALSE(QtApplicationRunning());
}

TEST(QtLoaderTest, AWantedPluginThatIsMissingLeavesTheDriverHeadlessWithOneLine) {
  testing::TempDir folder;
  std::string why;
  EXPECT_EQ(LoadQtBackend(folder.path(), &why), nullptr);
  EXPECT_NE(why.find("libolconn97-qt.so"), std::string::npos) << why;

  testing::ScopedEnv wanted(kUiVariable, "qt");
  std::FILE* report = std::tmpfile();
  ASSERT_NE(report, nullptr);
  std::unique_ptr<Desktop> desktop = CreateDesktop(folder.path(), report);
  EXPECT_FALSE(desktop->backend().ShowsWindows());
  std::rewind(report);
  char line[1024] = {};
  ASSERT_NE(std::fgets(line, sizeof line, report), nullptr);
  EXPECT_EQ(std::string(line).rfind("olconn97: the windows stay headless: ", 0), 0u) << line;
  EXPECT_EQ(std::fgets(line, sizeof line, report), nullptr);  // one line only
  std::fclose(report);

  // Not wanted: nothing is tried, nothing said.
  testing::ScopedEnv unwanted(kUiVariable, "");
  report = std::tmpfile();
  EXPECT_FALSE(CreateDesktop(folder.path(), report)->backend().ShowsWindows());
  EXPECT_EQ(std::ftell(report), 0);
  std::fclose(report);
}

}  // namespace
}  // namespace olconn97::ui
