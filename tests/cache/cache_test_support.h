// A driver on a store of the test's own, with the cache template beside it,
// for the cache's walks: the test adds contacts, starts the driver, lets the
// progress window's timer fire, and reads the rows back.
#ifndef OLCONN97_TESTS_CACHE_CACHE_TEST_SUPPORT_H_
#define OLCONN97_TESTS_CACHE_CACHE_TEST_SUPPORT_H_

#include <memory>
#include <string>
#include <vector>

#include "driver/data_connector.h"
#include "outside/pim/item_classes.h"
#include "test_support.h"

namespace olconn97::testing {

struct CacheRow {
  std::string phone;
  std::string entry_id;
  std::string name;
  friend bool operator==(const CacheRow&, const CacheRow&) = default;
};

class CacheTest : public DriverTest {
 protected:
  void SetUp() override;

  // A contact saved in `folder` (the default Contacts folder when null).
  com::ComPtr<pim::ContactItem> AddContact(
      const std::string& full_name, const std::vector<std::pair<std::string, std::string>>& phones,
      pim::MAPIFolder* folder = nullptr);
  com::ComPtr<pim::MAPIFolder> AddFolder(pim::MAPIFolder& parent, const std::string& name);
  // Stores folder `n` of the folder selection, as the folder window does:
  // its entry and store IDs and its select text ("-1" or "0").
  void StoreSelection(int n, const pim::MAPIFolder& folder, const char* select);

  // Creates the driver and lets the walk its start-up began run to its end.
  void StartDriver();
  // Lets the progress window's timer fire and the walk run to its end.
  void RunWalk();
  bool WalkPending() const;

  // Every row of the cache, sorted by phone then entry ID.
  std::vector<CacheRow> Rows();
  std::vector<CacheRow> RowsOf(const std::string& entry_id);
  std::string StoredRefreshTime();
  std::vector<std::string> LogLines();

  std::string store() const { return temp_.Child("store"); }

  com::ComPtr<pim::Application> app_;
  com::ComPtr<pim::NameSpace> ns_;
  com::ComPtr<pim::MAPIFolder> contacts_;
  std::unique_ptr<cDataConnector> driver_;
};

}  // namespace olconn97::testing

#endif  // OLCONN97_TESTS_CACHE_CACHE_TEST_SUPPORT_H_
