// One-value settings access as start-up and the data paths use it.
#include "driver/settings.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace olconn97
