// The host operations that answer from the driver's state alone.
#include "driver/data_connector.h"

#include <gtest/gtest.h>

#include "core/settings.h"
#include "core/shared_state.h"
#include "diag/log_window.h"
#include "outside/pim/objects.h"
#include "test_support.h"

namespace olconn97 {
namespace {

class DataConnectorTest : public testing::DriverTest {
 protected:
  void PointAtStore(const std::string& folder) {
    ASSERT_TRUE(RegWriteString(Hive::kCurrentUser, kOutlook98Key, "PimStore", folder));
  }
};

TEST_F(DataConnectorTest, ANotReadyDriverAnswersNeutrally) {
  PointAtStore(temp_.Child("no-store"));
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

TEST_F(DataConnectorTest, AReadyDriverNamesItsPimUntilThePimIsClosed) {
  ASSERT_TRUE(RegWriteString(Hive::kCurrentUser, kPopupKey, "Developper", "1"));
  PointAtStore(temp_.Child("store"));
  pim::ApplicationOptions options;
  options.store_folder = temp_.Child("store");
  options.create_store = true;
  ASSERT_TRUE(pim::Application::Create(std::move(options)).ok());

  cDataConnector driver;
  EXPECT_TRUE(driver.DataConnector_PIMInstalled());
  EXPECT_EQ(driver.DataConnector_PIMName(), kPimCode);
  EXPECT_EQ(driver.DataConnector_Version().value(), "1.0");
  // Start-up made the action list; the host gets the same list each time.
  com::ComPtr<PIMActions> actions = driver.DataConnector_Actions();
  ASSERT_TRUE(actions);
  EXPECT_EQ(actions, driver.DataConnector_Actions());
  LONG count = 0;
  ASSERT_EQ(actions->get_Count(&count), S_OK);
  EXPECT_EQ(count, 5);
  // An unknown item is the store's failure, passed to the host.
  EXPECT_FALSE(driver.Dataconnector_GetContactItemByContactItemID("no-such-id").ok());

  ASSERT_TRUE(driver.Dataconnector_ClosePIM().ok());
  EXPECT_TRUE(driver.DataConnector_PIMInstalled());  // ClosePIM leaves the flag alone
  EXPECT_EQ(driver.DataConnector_Version().value(), "");
  EXPECT_EQ(diag::LogWindow().LLog().items.back(),
            "12/04/26 10:50:05: Error (Get Version): the connection to the contact store is "
            "closed in olconn97");
}

}  // namespace
}  // namespace olconn97
