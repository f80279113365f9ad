// The driver object's start-up as far as this build has it, and the
// neutral answers of a driver that is not ready.
#include "driver/data_connector.h"

#include <gtest/gtest.h>

#include "diag/log_window.h"
#include "driver/settings.h"
#include "test_support.h"

namespace olconn97 {
namespace {

class DataConnectorTest : public testing::DriverTest {};

TEST_F(DataConnectorTest, StartUpLogsItsBannerAndTheFailureThatStoppedIt) {
  ASSERT_TRUE(RegWriteString(Hive::kCurrentUser, kPopupKey, "Developper", "1"));
  cDataConnector driver;
  const std::vector<std::string>& lines = diag::LogWindow().LLog().items;
  const std::string stamp = "12/04/26 10:50:05: ";
  std::vector<std::string> expected = {
      stamp + "* Driver startup *",
      stamp + "*************************",
      stamp + "* Driver initialization *",
      stamp + "*************************",
      stamp,
      stamp + "Connecting to Outlook 97/98...",
      stamp +
          "Error(Class_Initialize - DataConnector): the contact store is not part of this "
          "build yet in olconn97\n\rInit: Going on execution...",
  };
  EXPECT_EQ(lines, expected);
  EXPECT_FALSE(Shared().gDriverReady);
  EXPECT_EQ(Shared().gProductName, "Corvanta");  // product identity was loaded first
}

TEST_F(DataConnectorTest, WithoutLoggingNothingIsWritten) {
  cDataConnector driver;
  EXPECT_TRUE(diag::LogWindow().LLog().items.empty());
  EXPECT_FALSE(Shared().gLogEnabled);
}

TEST_F(DataConnectorTest, ANotReadyDriverAnswersNeutrally) {
  cDataConnector driver;
  EXPECT_FALSE(driver.DataConnector_PIMInstalled());
  EXPECT_EQ(driver.DataConnector_PIMName(), 0);
  EXPECT_EQ(driver.DataConnector_Version().value(), "0");
  EXPECT_FALSE(driver.DataConnector_Actions());
  EXPECT_FALSE(driver.Dataconnector_OpenContactRecord().value());
  EXPECT_FALSE(driver.DataConnector_GetActiveContact().value());
  EXPECT_TRUE(driver.Dataconnector_WriteCache(true).ok());
  // Commands other than "isFolderConfigured" (case counts) give Empty.
  VARIANT unused;
  VariantInit(&unused);
  auto answer = driver.DataConnector_ExecuteCommand("IsFolderConfigured", unused);
  ASSERT_TRUE(answer.ok());
  EXPECT_TRUE(answer.value().IsEmpty());
}

}  // namespace
}  // namespace olconn97
