#include "cache/cache_test_support.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "cache/progress_window.h"
#include "core/settings.h"
#include "core/shared_state.h"
#include "diag/log_window.h"
#include "outside/jet/dao.h"

namespace olconn97::testing {

void CacheTest::SetUp() {
  ASSERT_TRUE(RegWriteString(Hive::kCurrentUser, kPopupKey, "Developper", "1"));
  ASSERT_TRUE(RegWriteString(Hive::kCurrentUser, kOutlook98Key, "PimStore", store()));
  std::ifstream schema(OLCONN97_CACHE_SCHEMA_PATH);
  std::stringstream text;
  text << schema.rdbuf();
  ASSERT_TRUE(jet::DBEngine().CreateDatabase(app_path() + "/Connector.etf", text.str()).ok());
  pim::ApplicationOptions options;
  options.store_folder = store();
  options.create_store = true;
  options.display = [](const pim::DisplayEvent&) {};
  app_ = pim::Application::Create(std::move(options)).value();
  ns_ = app_->GetNamespace("MAPI").value();
  contacts_ = ns_->GetDefaultFolder(pim::kFolderContacts).value();
}

com::ComPtr<pim::ContactItem> CacheTest::AddContact(
    const std::string& full_name, const std::vector<std::pair<std::string, std::string>>& phones,
    pim::MAPIFolder* folder) {
  pim::MAPIFolder& home = folder != nullptr ? *folder : *contacts_;
  com::ComPtr<pim::Item> item = home.GetItems().value()->Add(pim::kContactItem).value();
  pim::ContactItem* contact = item->AsContact();
  if (!full_name.empty()) {
    EXPECT_TRUE(contact->Set("FullName", full_name).ok());
  }
  for (const auto& [property, number] : phones) EXPECT_TRUE(contact->Set(property, number).ok());
  EXPECT_TRUE(contact->Save().ok());
  return com::ComPtr<pim::ContactItem>(contact);
}

com::ComPtr<pim::MAPIFolder> CacheTest::AddFolder(pim::MAPIFolder& parent,
                                                  const std::string& name) {
  return parent.Subfolders()->Add(name, pim::kFolderContacts).value();
}

void CacheTest::StoreSelection(int n, const pim::MAPIFolder& folder, const char* select) {
  const std::string suffix = std::to_string(n);
  RegWriteString(Hive::kCurrentUser, kFolderSelectionKey, "entryId" + suffix, folder.EntryID());
  RegWriteString(Hive::kCurrentUser, kFolderSelectionKey, "storeId" + suffix, folder.StoreID());
  RegWriteString(Hive::kCurrentUser, kFolderSelectionKey, "selectId" + suffix, select);
}

bool CacheTest::WalkPending() const {
  const auto& window = Shared().progress_window;
  return window && window->loaded();
}

void CacheTest::RunWalk() {
  ASSERT_TRUE(WalkPending());
  LetTimePass(std::chrono::milliseconds(249));
  ASSERT_TRUE(WalkPending());  // not before its quarter second
  LetTimePass(std::chrono::milliseconds(1));
  EXPECT_FALSE(WalkPending());
}

void CacheTest::StartDriver() {
  driver_ = std::make_unique<cDataConnector>();
  if (WalkPending()) RunWalk();
}

std::vector<CacheRow> CacheTest::Rows() {
  std::vector<CacheRow> rows;
  auto recordset = Shared().gCacheDatabase->OpenRecordset("Select * From TCache",
                                                          jet::RecordsetType::kDynaset, {});
  EXPECT_TRUE(recordset.ok()) << recordset.status().ToString();
  auto& cursor = *recordset.value();
  while (!cursor.Eof()) {
    rows.push_back({cursor.GetField("PhoneNumber").value().ToText(),
                    cursor.GetField("EntryID").value().ToText(),
                    cursor.GetField("Name").value().ToText()});
    EXPECT_TRUE(cursor.MoveNext().ok());
  }
  std::sort(rows.begin(), rows.end(), [](const CacheRow& a, const CacheRow& b) {
    return std::tie(a.phone, a.entry_id, a.name) < std::tie(b.phone, b.entry_id, b.name);
  });
  return rows;
}

std::vector<CacheRow> CacheTest::RowsOf(const std::string& entry_id) {
  std::vector<CacheRow> rows = Rows();
  rows.erase(std::remove_if(rows.begin(), rows.end(),
                            [&](const CacheRow& row) { return row.entry_id != entry_id; }),
             rows.end());
  return rows;
}

std::string CacheTest::StoredRefreshTime() {
  return RegReadString(Hive::kCurrentUser, kPopupKey, "LastModification");
}

std::vector<std::string> CacheTest::LogLines() { return diag::LogWindow().LLog().items; }

}  // namespace olconn97::testing
