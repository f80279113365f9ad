// One-value settings access as start-up and the data paths use it.
#include "core/settings.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "diag/log_window.h"
#include "test_support.h"

namespace olconn97 {
namespace {

class SettingsTest : public testing::DriverTest {};

TEST_F(SettingsTest, ReadsStringsAndNumbersAsText) {
  auto& registry = Shared().services.registry();
  ASSERT_TRUE(registry::SetValue(registry, Hive::kCurrentUser, kPopupKey, "n",
                                 registry::RegValue::Dword(258))
                  .ok());
  ASSERT_TRUE(registry::SetValue(registry, Hive::kCurrentUser, kPopupKey, "e",
                                 registry::RegValue::ExpandString("%HOME%/x"))
                  .ok());
  ASSERT_TRUE(registry::SetValue(registry, Hive::kCurrentUser, kPopupKey, "b",
                                 registry::RegValue{registry::ValueType::kBinary, "ab"})
                  .ok());
  EXPECT_EQ(RegReadString(Hive::kCurrentUser, kPopupKey, "N"), "258");
  EXPECT_EQ(RegReadString(Hive::kCurrentUser, kPopupKey, "e"), "%HOME%/x");  // not expanded
  EXPECT_EQ(RegReadString(Hive::kCurrentUser, kPopupKey, "b"), "");          // other types
  EXPECT_EQ(RegReadString(Hive::kCurrentUser, kPopupKey, "missing"), "");
  EXPECT_EQ(RegReadString(Hive::kCurrentUser, "Software\\Nothing", "n"), "");
}

TEST_F(SettingsTest, ATextLongerThanTheReadBufferReadsAsEmpty) {
  std::string fits(kRegReadBufferSize - 1, 'x');  // with its NUL it fills the buffer
  ASSERT_TRUE(RegWriteString(Hive::kCurrentUser, kPopupKey, "fits", fits));
  ASSERT_TRUE(RegWriteString(Hive::kCurrentUser, kPopupKey, "long", fits + "x"));
  EXPECT_EQ(RegReadString(Hive::kCurrentUser, kPopupKey, "fits"), fits);
  EXPECT_EQ(RegReadString(Hive::kCurrentUser, kPopupKey, "long"), "");
}

TEST_F(SettingsTest, AnEmptyTextIsWrittenAsOneBlankAndKeysAreCreated) {
  EXPECT_FALSE(RegKeyExists(Hive::kCurrentUser, kFolderSelectionKey));
  ASSERT_TRUE(RegWriteString(Hive::kCurrentUser, kFolderSelectionKey, "entryId1", ""));
  EXPECT_TRUE(RegKeyExists(Hive::kCurrentUser, kFolderSelectionKey));
  EXPECT_TRUE(RegKeyExists(Hive::kCurrentUser, "software\\NORVALE"));  // case does not count
  EXPECT_EQ(RegReadString(Hive::kCurrentUser, kFolderSelectionKey, "entryid1"), " ");
}

TEST_F(SettingsTest, AWriteTheStoreRefusesReportsFalse) {
  registry_.SetReadOnly(Hive::kLocalMachine, true);
  EXPECT_FALSE(RegWriteString(Hive::kLocalMachine, kInstallKey, "MultiUser", "no"));
  EXPECT_EQ(RegReadString(Hive::kLocalMachine, kInstallKey, "MultiUser"), "");
}

// The driver's own settings store, on files, as a host process has it.
class SettingsFileTest : public testing::DriverTest {
 protected:
  SettingsFileTest() : folder_("OLCONN97_REGISTRY_DIR", temp_.Child("settings")) {
    std::filesystem::create_directories(temp_.Child("settings"));
    Shared().services.SetRegistry(nullptr);
  }
  void WriteSettings(std::string_view developper, std::string_view bad_line) {
    testing::WriteFile(user_file(),
                       "Windows Registry Editor Version 5.00\r\n\r\n"
                       "[HKEY_CURRENT_USER\\Software\\Norvale\\7316\\Popup]\r\n"
                       "\"Developper\"=\"" +
                           std::string(developper) + "\"\r\n" + std::string(bad_line) + "\r\n");
  }
  std::string user_file() const { return temp_.Child("settings/HKCU.reg"); }
  std::string LogText() { return testing::ReadFile(app_path() + "/olconn97.log"); }

  testing::ScopedEnv folder_;
};

TEST_F(SettingsFileTest, AFileReadOnlyInPartGoesToStderrAndIntoTheLogOnceTheLogIsOn) {
  WriteSettings("2", "\"cut\"=hex:01,0");
  ::testing::internal::CaptureStderr();
  diag::LogWindow();  // reads its mode from the faulty file
  std::string printed = ::testing::internal::GetCapturedStderr();
  EXPECT_TRUE(Shared().gLogEnabled);
  std::string logged = LogText();
  for (const std::string& part :
       {user_file() + ": ", std::string("line 5: "), user_file() + ".malformed"}) {
    EXPECT_NE(printed.find(part), std::string::npos) << part << " in " << printed;
    EXPECT_NE(logged.find(part), std::string::npos) << part << " in " << logged;
  }
  EXPECT_NE(logged.find("Settings: "), std::string::npos) << logged;

  // Read again unchanged: no second report. A new faulty version: at once.
  EXPECT_EQ(RegReadString(Hive::kCurrentUser, kPopupKey, "Developper"), "2");
  EXPECT_EQ(LogText(), logged);
  WriteSettings("2", "\"x\"=dword:zz");
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(RegReadString(Hive::kCurrentUser, kPopupKey, "Developper"), "2");
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("line 5: "), std::string::npos);
  EXPECT_NE(LogText().find(user_file() + ".malformed.1"), std::string::npos) << LogText();
}

TEST_F(SettingsFileTest, WithTheLogOffTheReportGoesToStderrOnly) {
  WriteSettings("0", "junk");
  ::testing::internal::CaptureStderr();
  diag::LogWindow();
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("line 5: "), std::string::npos);
  EXPECT_FALSE(Shared().gLogEnabled);
  EXPECT_TRUE(Shared().log_lines_waiting.empty());
}

}  // namespace
}  // namespace olconn97
