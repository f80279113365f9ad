#include "core/reg_settings.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace olconn97 {
namespace {

using registry::Hive;
using registry::RegValue;

class CRegSettingsTest : public testing::DriverTest {
 protected:
  CRegSettingsTest() {
    settings_.set_AppName("7316\\Popup");  // as the folder selection configures it
  }
  std::optional<RegValue> Stored(std::string_view path, std::string_view name,
                                 Hive hive = Hive::kCurrentUser) {
    auto value = registry::QueryValue(registry_, hive, path, name);
    if (!value.ok()) return std::nullopt;
    return value.value();
  }

  static constexpr std::string_view kPopup = "Software\\Norvale\\7316\\Popup";
  CRegSettings settings_;
};

TEST_F(CRegSettingsTest, PropertiesFallBackOnlyForAnEmptyArgument) {
  CRegSettings fresh;
  EXPECT_EQ(fresh.hKey(), Hive::kCurrentUser);
  EXPECT_EQ(fresh.BaseKeyPath(), "Software\\Norvale\\Corvanta");

  fresh.set_hKey(Hive::kLocalMachine);
  EXPECT_EQ(fresh.hKey(), Hive::kLocalMachine);
  fresh.set_hKey(static_cast<Hive>(0x80000007u));
  EXPECT_EQ(fresh.hKey(), Hive::kCurrentUser);
  fresh.set_hKey(Hive::kDynData);
  fresh.set_hKey(static_cast<Hive>(0));
  EXPECT_EQ(fresh.hKey(), Hive::kCurrentUser);

  fresh.set_Company("  Acme  ");
  fresh.set_MSubKey("");
  fresh.set_AppName(" App ");
  EXPECT_EQ(fresh.BaseKeyPath(), "Software\\Acme\\App");
  fresh.set_Company("   ");
  EXPECT_EQ(fresh.Company(), "");
  fresh.set_Company("");
  fresh.set_AppName("");
  EXPECT_EQ(fresh.BaseKeyPath(), "Software\\Norvale\\Corvanta");
}

TEST_F(CRegSettingsTest, SavesReadsAndRemovesValuesBySectionAndKey) {
  EXPECT_EQ(settings_.GetSetting("olconn98folder", "entryId1"), "");
  EXPECT_EQ(settings_.GetSetting("olconn98folder", "entryId1", "none"), "none");
  EXPECT_TRUE(settings_.SaveSetting("olconn98folder", "entryId1", "00AB"));
  EXPECT_EQ(Stored(std::string(kPopup) + "\\olconn98folder", "entryId1"), RegValue::String("00AB"));
  EXPECT_EQ(settings_.GetSetting("OLCONN98FOLDER", "ENTRYID1", "none"), "00AB");

  EXPECT_TRUE(settings_.SaveSetting("", "*", "main"));  // the base key's default value
  EXPECT_EQ(Stored(kPopup, "")->data, "main");
  EXPECT_EQ(settings_.GetSetting("", "*"), "main");

  EXPECT_TRUE(settings_.SaveSetting("olconn98folder", "entryId1", ""));
  EXPECT_EQ(settings_.GetSetting("olconn98folder", "entryId1", "none"), "none");
  EXPECT_FALSE(settings_.SaveSetting("olconn98folder", "entryId1", ""));  // nothing to delete
  EXPECT_FALSE(settings_.SaveSetting("fresh", "x", ""));
  EXPECT_TRUE(registry::KeyExists(registry_, Hive::kCurrentUser, std::string(kPopup) + "\\fresh"));
}

TEST_F(CRegSettingsTest, ReadsWhateverTypeIsStoredSensibly) {
  const std::string key = std::string(kPopup) + "\\s";
  ASSERT_TRUE(
      registry::SetValue(registry_, Hive::kCurrentUser, key, "dw", RegValue::Dword(258)).ok());
  ASSERT_TRUE(
      registry::SetValue(registry_, Hive::kCurrentUser, key, "empty", RegValue::String("")).ok());
  ASSERT_TRUE(registry::SetValue(registry_, Hive::kCurrentUser, key, "nodata",
                                 {registry::ValueType::kBinary, ""})
                  .ok());
  EXPECT_EQ(settings_.GetSetting("s", "dw"), "258");
  EXPECT_EQ(settings_.GetSetting("s", "empty", "d"), "");  // exists: not the default
  EXPECT_EQ(settings_.GetSetting("s", "nodata", "d"), "d");

  EXPECT_EQ(settings_.GetSettingLong("s", "dw"), 258);
  EXPECT_EQ(settings_.GetSettingLong("s", "missing", 9), 9);
  EXPECT_EQ(settings_.GetSettingLong("s", "empty", 9), 0);
  EXPECT_EQ(settings_.GetSettingLong("nosuchsection", "dw", 9), -1);
}

TEST_F(CRegSettingsTest, DeletesValuesAndSectionsWithoutSubkeys) {
  ASSERT_TRUE(settings_.SaveSetting("a", "v", "1"));
  ASSERT_TRUE(settings_.SaveSetting("a\\child", "w", "2"));
  EXPECT_TRUE(settings_.DeleteSetting("a", "v"));
  EXPECT_FALSE(settings_.DeleteSetting("a", "v"));
  EXPECT_FALSE(settings_.DeleteSetting("nosuch", "v"));
  EXPECT_FALSE(settings_.DeleteSetting("a"));  // still has a subkey
  EXPECT_TRUE(settings_.DeleteSetting("a\\child"));
  EXPECT_TRUE(settings_.DeleteSetting("a"));
  EXPECT_FALSE(registry::KeyExists(registry_, Hive::kCurrentUser, std::string(kPopup) + "\\a"));

  ASSERT_TRUE(settings_.SaveSetting("b", "*", "x"));
  EXPECT_TRUE(settings_.DeleteSetting("b", "*"));
  EXPECT_EQ(Stored(std::string(kPopup) + "\\b", ""), std::nullopt);
}

TEST_F(CRegSettingsTest, FlagsAndNumbers) {
  const std::pair<std::string, bool> flags[] = {{"0", false},  {"00", false}, {"1", true},
                                                {"yes", true}, {"", true},    {" 0", true}};
  for (const auto& [text, expected] : flags) {
    if (text.empty()) {
      ASSERT_TRUE(
          registry::SetValue(registry_, Hive::kCurrentUser, kPopup, "f", RegValue::String(""))
              .ok());
    } else {
      ASSERT_TRUE(settings_.SaveSetting("", "f", text));
    }
    EXPECT_EQ(settings_.bGetSetting("", "f"), expected) << "\"" << text << "\"";
  }
  EXPECT_FALSE(settings_.bGetSetting("", "missing"));
  EXPECT_TRUE(settings_.bGetSetting("", "missing", 5));

  const std::pair<std::string, int16_t> numbers[] = {
      {"-12abc", -12},      {"+7", 7},    {"x1", 0}, {"40000", 0}, {"32767", 32767},
      {"-32768", -32768},   {"32768", 0}, {"-", 0},  {"+-5", 0},   {"12 3", 12},
      {"99999999999999", 0}};
  for (const auto& [text, expected] : numbers) {
    ASSERT_TRUE(settings_.SaveSetting("", "n", text));
    EXPECT_EQ(settings_.iGetSetting("", "n"), expected) << text;
  }
  EXPECT_EQ(settings_.iGetSetting("", "missing", -3), -3);
}

TEST_F(CRegSettingsTest, HiveVariantsChangeTheObject) {
  EXPECT_TRUE(settings_.SaveSettingToHKey(Hive::kLocalMachine, "7316\\Install", "", "k", "v"));
  EXPECT_EQ(settings_.hKey(), Hive::kLocalMachine);
  EXPECT_EQ(settings_.AppName(), "7316\\Install");
  EXPECT_EQ(Stored("Software\\Norvale\\7316\\Install", "k", Hive::kLocalMachine)->data, "v");
  EXPECT_EQ(settings_.GetSettingFromHKey(Hive::kCurrentUser, "7316\\Install", "", "k", "d"), "d");
  EXPECT_EQ(settings_.GetSettingFromHKey(static_cast<Hive>(1), "7316\\Install", "", "k"), "");
  EXPECT_EQ(settings_.hKey(), Hive::kCurrentUser);
  EXPECT_EQ(settings_.GetSettingLongFromHKey(Hive::kLocalMachine, "7316\\Install", "", "k", 4),
            "0");
  EXPECT_TRUE(settings_.DeleteKey(Hive::kLocalMachine, "7316\\Install", "", "k"));
  EXPECT_EQ(Stored("Software\\Norvale\\7316\\Install", "k", Hive::kLocalMachine), std::nullopt);
}

TEST_F(CRegSettingsTest, AReadOnlyHiveRefusesWritesAndIsNotAdmin) {
  ASSERT_TRUE(settings_.SaveSetting("", "v", "1"));
  registry_.SetReadOnly(Hive::kCurrentUser, true);
  EXPECT_FALSE(settings_.IsUserAdmin(Hive::kCurrentUser, "x", "y"));
  EXPECT_TRUE(settings_.IsUserAdmin(Hive::kLocalMachine, "x", "y"));
  EXPECT_FALSE(settings_.IsUserAdmin(static_cast<Hive>(7), "x", "y"));
  EXPECT_EQ(settings_.AppName(), "7316\\Popup");  // unchanged by IsUserAdmin
  EXPECT_FALSE(settings_.SaveSetting("", "v", "2"));
  EXPECT_FALSE(settings_.SaveSetting("", "v", ""));
  EXPECT_FALSE(settings_.DeleteSetting("", "v"));
  EXPECT_EQ(settings_.GetSetting("", "v"), "1");
}

}  // namespace
}  // namespace olconn97
