// The export folder: where it is recorded, how a contact is filled from a
// directory row, its first filling and its synchronisation with the
// directory, on a store and a directory of the test's own.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "cache/cache_test_support.h"
#include "core/reg_settings.h"
#include "core/selected_folders.h"
#include "core/settings.h"
#include "core/shared_state.h"
#include "export/directory_schema.h"
#include "export/export_folder.h"
#include "outside/jet/dao.h"

namespace olconn97 {
namespace {

using testing::CacheTest;

class ExportFolderTest : public CacheTest {
 protected:
  void SetUp() override {
    CacheTest::SetUp();
    directory_path_ = temp_.Child("stx.mdb");
    ASSERT_TRUE(jet::DBEngine().CreateDatabase(directory_path_, DirectorySchemaSql()).ok());
    directory_ = jet::DBEngine().OpenDatabase(directory_path_).value();
  }
  void TearDown() override { (void)directory_->Close(); }

  void Run(const std::string& statement, const std::vector<jet::Value>& params = {}) {
    Result<int64_t> done = directory_->Execute(statement, params);
    ASSERT_TRUE(done.ok()) << statement << ": " << done.status().ToString();
  }
  void AddEmployee(int id, const std::string& first, const std::string& last,
                   const std::string& business, int page, int bound = 0) {
    Run("Insert Into Employees (EmployeeId, FirstName, LastName, BusinessPhone) "
        "Values (?, ?, ?, ?)",
        {id, first, last, business});
    Run("Insert Into BLFPagesContents Values (?, ?, ?)", {id, page, bound});
  }

  int16_t Initialize(const std::string& name = "Colleagues") {
    int16_t result = driver_->Dataconnector_InitializeExportFolder(directory_path_, name, false)
                         .value_or(99);
    if (WalkPending()) RunWalk();
    return result;
  }
  void Synchronize(const std::string& name = "Colleagues") {
    ASSERT_TRUE(driver_->Dataconnector_SynchronizeExportFolder(directory_path_, name).ok());
    if (WalkPending()) RunWalk();
  }

  // The export contacts as "EmployeeId/CategorieId Name (Categories)",
  // sorted.
  std::vector<std::string> ExportContacts() {
    std::vector<std::string> found;
    com::ComPtr<pim::MAPIFolder> folder = GetExportFolder();
    if (!folder) return found;
    com::ComPtr<pim::Items> items = folder->GetItems().value();
    for (int32_t i = 1; i <= items->Count(); ++i) {
      com::ComPtr<pim::Item> item = items->Item(i).value();
      pim::ContactItem* contact = item->AsContact();
      auto number = [&](const char* name) {
        Result<pim::UserProperty> property = contact->card().FindUserProperty(name);
        return property.ok() ? property.value().value : std::string("-");
      };
      found.push_back(number(kEmployeeIdProperty) + "/" + number(kCategoryIdProperty) + " " +
                      contact->Text("FullName") + " (" + contact->Text("Categories") + ")");
    }
    std::sort(found.begin(), found.end());
    return found;
  }
  std::string ExportFolderSetting(const char* name) {
    return RegReadString(Hive::kCurrentUser, std::string(kOutlook98Key) + "\\TransfertFolder",
                         name);
  }
  bool Logged(const std::string& text) {
    std::vector<std::string> lines = LogLines();
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
      return line.find(text) != std::string::npos;
    });
  }

  std::string directory_path_;
  std::unique_ptr<jet::Database> directory_;
};

TEST_F(ExportFolderTest, TheLocationIsRecordedFoundAndRenamedAsTheSuiteWants) {
  StartDriver();
  EXPECT_EQ(GetExportFolder(), nullptr);
  EXPECT_TRUE(Logged("EntryId "));
  EXPECT_TRUE(Logged("Exit GetExportFolder"));

  com::ComPtr<pim::MAPIFolder> folder = AddFolder(*contacts_->ParentFolder(), "Staff");
  SaveExportFolder(folder->EntryID(), folder->StoreID());
  // No stored selection: every folder is searched, and none is listed.
  EXPECT_FALSE(RegKeyExists(Hive::kCurrentUser, kFolderSelectionKey));
  EXPECT_EQ(ExportFolderSetting("EntryID"), folder->EntryID());
  ASSERT_NE(GetExportFolder(), nullptr);
  EXPECT_EQ(GetExportFolder()->Name(), "Staff");

  // A store ID that no longer fits: found by the entry ID alone.
  ASSERT_TRUE(RegWriteString(Hive::kCurrentUser, std::string(kOutlook98Key) + "\\TransfertFolder",
                             "StoreID", "0000"));
  ASSERT_TRUE(
      RegWriteString(Hive::kCurrentUser, kZepPhoneSettingsKey, "olconnExportFolder", "Colleagues"));
  com::ComPtr<pim::MAPIFolder> found = GetExportFolder();
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->Name(), "Colleagues");
  EXPECT_TRUE(Logged("oTargetfolder Is Nothing, try find oTargetfolder only with EntryId"));
  EXPECT_TRUE(Logged("oTargetfolder Name Is Colleagues"));
}

TEST_F(ExportFolderTest, ANewExportFolderTakesThePlaceOfTheOldOneInTheSelection) {
  StartDriver();
  com::ComPtr<pim::MAPIFolder> parent = contacts_->ParentFolder();
  std::vector<com::ComPtr<pim::MAPIFolder>> listed;
  for (const char* name : {"A", "B", "Old"}) listed.push_back(AddFolder(*parent, name));
  for (size_t i = 0; i < listed.size(); ++i) {
    std::string n = std::to_string(i + 1);
    RegWriteString(Hive::kCurrentUser, kFolderSelectionKey, "entryId" + n, listed[i]->EntryID());
    RegWriteString(Hive::kCurrentUser, kFolderSelectionKey, "storeId" + n, listed[i]->StoreID());
  }
  auto listed_at = [](int n) {
    return RegReadString(Hive::kCurrentUser, kFolderSelectionKey, "entryId" + std::to_string(n));
  };
  // The first export folder: appended once, however often it is saved.
  com::ComPtr<pim::MAPIFolder> first = AddFolder(*parent, "First");
  SaveExportFolder(first->EntryID(), first->StoreID());
  EXPECT_EQ(listed_at(4), first->EntryID());
  CRegSettings location;
  location.set_AppName("7316\\Popup\\outlook98");
  ASSERT_TRUE(location.DeleteSetting("TransfertFolder"));
  SaveExportFolder(first->EntryID(), first->StoreID());
  EXPECT_EQ(listed_at(5), "");

  // "Old" (position 3) recorded as the export folder, then replaced.
  ASSERT_TRUE(location.DeleteSetting("TransfertFolder"));
  SaveExportFolder(listed[2]->EntryID(), listed[2]->StoreID());
  EXPECT_EQ(listed_at(5), "");
  com::ComPtr<pim::MAPIFolder> next = AddFolder(*parent, "Next");
  SaveExportFolder(next->EntryID(), next->StoreID());
  EXPECT_EQ(listed_at(3), next->EntryID());
  EXPECT_EQ(listed_at(4), first->EntryID());
  EXPECT_EQ(listed_at(5), "");
  EXPECT_TRUE(IsFolderSelected(*next));  // the selection in memory follows
}

TEST_F(ExportFolderTest, ARowFillsItsPropertiesAndLeavesNullColumnsAlone) {
  StartDriver();
  Run("Insert Into Employees (EmployeeId, FirstName, LastName, Department, EmailAddress, "
      "BusinessPhone, MobilePhone, OtherPhone) Values (7, 'Ida', 'Berg', 'Sales', "
      "'ida@example.com', '0101', Null, '0999')");
  auto row = directory_->OpenRecordset("Select * from Employees", jet::RecordsetType::kDynaset, {})
                 .value();
  com::ComPtr<pim::Item> item = contacts_->GetItems().value()->Add(pim::kContactItem).value();
  pim::ContactItem& contact = *item->AsContact();
  ASSERT_TRUE(contact.Set("MobileTelephoneNumber", "0606").ok());
  ASSERT_TRUE(contact.Set("Categories", "Friends").ok());
  textres::Translator translator;

  copyToContactItem(contact, *row, 3, translator);  // no such page: categories stay
  EXPECT_EQ(contact.Text("FullName"), "Ida Berg");
  EXPECT_EQ(contact.Text("Department"), "Sales");
  EXPECT_EQ(contact.Text("BusinessTelephoneNumber"), "0101");
  EXPECT_EQ(contact.Text("MobileTelephoneNumber"), "0606");  // the column is null
  EXPECT_EQ(contact.Text("OtherTelephoneNumber"), "0999");
  EXPECT_EQ(contact.Text("Categories"), "Friends");
  EXPECT_EQ(contact.Text("Email1Address"), "");  // no permission given
  EXPECT_FALSE(Logged("copyToContactItem Error"));

  ASSERT_TRUE(RegWriteString(Hive::kCurrentUser, kPopupKey, "NoEmailAddressAccess", "1"));
  copyToContactItem(contact, *row, kEmployeePage, translator);
  EXPECT_EQ(contact.Text("Email1Address"), "");
  EXPECT_EQ(contact.Text("Categories"), "Employees");
  ASSERT_TRUE(RegWriteString(Hive::kCurrentUser, kPopupKey, "NoEmailAddressAccess", "0"));
  copyToContactItem(contact, *row, kPhoneSetPage, translator);
  EXPECT_EQ(contact.Text("Email1Address"), "ida@example.com");
  EXPECT_EQ(contact.Text("Categories"), "Phone sets");

  // A column the directory lacks is one failure line, and the rest is filled.
  ASSERT_TRUE(directory_->ExecuteSchema("CREATE TABLE Small (FirstName TEXT)").ok());
  Run("Insert Into Small Values ('Bo')");
  auto small =
      directory_->OpenRecordset("Select * from Small", jet::RecordsetType::kDynaset, {}).value();
  copyToContactItem(contact, *small, kPhoneSetPage, translator);
  EXPECT_EQ(contact.Text("FirstName"), "Bo");
  EXPECT_TRUE(Logged("cDataConnector.copyToContactItem Error in "));
  EXPECT_TRUE(Logged(") at line 2"));  // LastName, the second step
}

TEST_F(ExportFolderTest, InitializationCreatesTheFolderFillsItAndRefreshesTheCache) {
  AddEmployee(1, "Reception", "Desk", "0100", kPhoneSetPage);
  AddEmployee(2, "Ida", "Berg", "0200", kPhoneSetPage, /*bound=*/2);  // bound: not a phone set
  Run("Insert Into BLFPagesContents Values (2, 2, 0)");
  AddEmployee(3, "Max", "Cole", "0300", kEmployeePage);
  StartDriver();

  EXPECT_EQ(Initialize(), 0);
  EXPECT_EQ(ExportContacts(),
            (std::vector<std::string>{"1/1 Reception Desk (Phone sets)",
                                      "2/2 Ida Berg (Employees)", "3/2 Max Cole (Employees)"}));
  com::ComPtr<pim::MAPIFolder> folder = GetExportFolder();
  ASSERT_NE(folder, nullptr);
  EXPECT_EQ(folder->Name(), "Colleagues");
  EXPECT_EQ(folder->ParentFolder()->EntryID(), contacts_->ParentFolder()->EntryID());
  EXPECT_TRUE(Logged("begin update DataCache"));
  EXPECT_EQ(Rows().size(), 3u);  // found by number at once

  // Recorded already: every row is added again (the synchronisation is the
  // one that matches).
  EXPECT_EQ(Initialize("Other name"), 0);
  EXPECT_EQ(ExportContacts().size(), 6u);
}

TEST_F(ExportFolderTest, AFolderNameThatIsTakenIsRefusedWithAWarning) {
  AddEmployee(1, "Reception", "Desk", "0100", kPhoneSetPage);
  StartDriver();
  AddFolder(*contacts_->ParentFolder(), "Colleagues");
  EXPECT_EQ(Initialize(), -1);
  ASSERT_EQ(message_boxes_.shown.size(), 1u);
  EXPECT_EQ(message_boxes_.shown[0].text,
            "A folder with this name already exists. Please use another name.");
  EXPECT_EQ(message_boxes_.shown[0].icon, ui::MessageIcon::kExclamation);
  EXPECT_EQ(ExportFolderSetting("EntryID"), "");

  // The synchronisation falls back to the same initialisation, and says so.
  Synchronize();
  EXPECT_EQ(message_boxes_.shown.size(), 2u);
  EXPECT_TRUE(Logged("InitializeExportFolder return <> 0, exit sub"));
}

TEST_F(ExportFolderTest, SynchronisationFollowsTheDirectoryAndKeepsWhatUsersAdded) {
  AddEmployee(1, "Reception", "Desk", "0100", kPhoneSetPage);
  AddEmployee(2, "Ida", "Berg", "0200", kPhoneSetPage);
  AddEmployee(3, "Max", "Cole", "0300", kEmployeePage);
  StartDriver();
  Synchronize();  // no folder yet: initialised
  ASSERT_EQ(ExportContacts().size(), 3u);
  com::ComPtr<pim::MAPIFolder> folder = GetExportFolder();
  AddContact("Added By Hand", {{"BusinessTelephoneNumber", "0900"}}, folder.get());

  // Unchanged: every contact refilled, none written again, none deleted.
  auto times = [&] {
    std::vector<std::filesystem::file_time_type> seen;
    for (const auto& entry : std::filesystem::directory_iterator(folder->path())) {
      seen.push_back(entry.last_write_time());
    }
    std::sort(seen.begin(), seen.end());
    return seen;
  };
  const auto before = times();
  Synchronize();
  EXPECT_EQ(times(), before);
  EXPECT_TRUE(Logged("cDataConnector.SynchronizeExportFolder remove contacts: 0"));

  // Ida leaves, Max changes numbers, Reception moves to page 2, Bo arrives.
  Run("Delete * From BLFPagesContents Where EmployeeId = 2");
  Run("Update Employees Set BusinessPhone = '0333' Where EmployeeId = 3");
  Run("Update BLFPagesContents Set BLFpageId = 2 Where EmployeeId = 1");
  AddEmployee(4, "Bo", "Dahl", "0400", kEmployeePage);
  const size_t lines_before = LogLines().size();
  Synchronize();
  EXPECT_EQ(ExportContacts(), (std::vector<std::string>{
                                  "-/- Added By Hand ()", "1/2 Reception Desk (Employees)",
                                  "3/2 Max Cole (Employees)", "4/2 Bo Dahl (Employees)"}));
  std::vector<std::string> lines = LogLines();
  std::vector<std::string> removal(lines.begin() + static_cast<long>(lines_before), lines.end());
  EXPECT_TRUE(std::any_of(removal.begin(), removal.end(), [](const std::string& line) {
    return line.find("SynchronizeExportFolder found: 0200 >") != std::string::npos;
  }));
  // Gone for good, not kept in Deleted Items.
  EXPECT_EQ(ns_->GetDefaultFolder(pim::kFolderDeletedItems).value()->GetItems().value()->Count(),
            0);
  std::vector<std::string> numbers;
  for (const testing::CacheRow& row : Rows()) numbers.push_back(row.phone);
  // Ida's row stays until a search meets it, as for any deleted card.
  EXPECT_EQ(numbers, (std::vector<std::string>{"0100", "0200", "0333", "0400", "0900"}));
}

}  // namespace
}  // namespace olconn97
