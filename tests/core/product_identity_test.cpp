#include "core/product_identity.h"

#include <gtest/gtest.h>

#include "core/data_paths.h"
#include "core/settings.h"
#include "test_support.h"

namespace olconn97 {
namespace {

class ProductIdentityTest : public testing::DriverTest {
 protected:
  void SetInstall(std::string_view name, std::string_view value) {
    ASSERT_TRUE(RegWriteString(Hive::kLocalMachine, kInstallKey, name, value));
  }
};

TEST_F(ProductIdentityTest, DefaultsWithoutAnInstallationKey) {
  EXPECT_EQ(ProductFullName(), "Norvale Corvanta");  // before the load too
  Shared().gProductName = "left over";
  LoadProductIdentity();
  EXPECT_EQ(Shared().gProductFullName, "Norvale Corvanta");
  EXPECT_EQ(Shared().gProductExtName, "");
  EXPECT_EQ(Shared().gProductName, "Corvanta");
}

TEST_F(ProductIdentityTest, NonBlankValuesReplaceTheDefaultsTrimmed) {
  SetInstall("7316Name", "  Acme Suite ");
  SetInstall("7316ExtName", "Pro");
  SetInstall("7316ShortName", "   ");
  LoadProductIdentity();
  EXPECT_EQ(Shared().gProductFullName, "Acme Suite");
  EXPECT_EQ(Shared().gProductExtName, "Pro");
  EXPECT_EQ(Shared().gProductName, "Corvanta");
  EXPECT_EQ(ProductFullName(), "Acme Suite");
  // The per-user data folder is named after it.
  EXPECT_EQ(DataPath(), data_home() + "/Acme Suite");
}

TEST_F(ProductIdentityTest, AHostReadsTheInstalledNameWithoutRenamingTheRunningDriver) {
  LoadProductIdentity();
  SetInstall("7316Name", " Acme Suite ");
  EXPECT_EQ(InstalledProductFullName(), "Acme Suite");
  EXPECT_EQ(ProductFullName(), "Norvale Corvanta");  // loaded once, at start-up
  SetInstall("7316Name", "  ");
  EXPECT_EQ(InstalledProductFullName(), "Norvale Corvanta");
}

}  // namespace
}  // namespace olconn97
