#include "contact/contact_test_support.h"

#include "contact/label_text.h"
#include "core/data_paths.h"
#include "core/settings.h"
#include "diag/log_window.h"
#include "export/directory_schema.h"
#include "outside/jet/dao.h"
#include "outside/pim/item_classes.h"

namespace olconn97::testing {

ContactTestBase::ContactTestBase() {
  EXPECT_TRUE(RegWriteString(Hive::kCurrentUser, kPopupKey, "Developper", "1"));
  diag::LogWindow();  // loading it turns the log on
  pim::ApplicationOptions options;
  options.store_folder = temp_.Child("store");
  options.create_store = true;
  options.display = [this](const pim::DisplayEvent& event) {
    if (event.what == pim::DisplayEvent::What::kItem) shown_.push_back(event.path);
  };
  app_ = pim::Application::Create(std::move(options)).value();
  Shared().gOutlookApp = app_;
  Shared().gNameSpace = app_->GetNamespace("MAPI").value();
  contacts_ = Shared().gNameSpace->GetDefaultFolder(pim::kFolderContacts).value();
}

com::ComPtr<pim::ContactItem> ContactTestBase::NewItem(const Properties& properties) {
  com::ComPtr<pim::Item> item = contacts_->GetItems().value()->Add(pim::kContactItem).value();
  com::ComPtr<pim::ContactItem> contact(item->AsContact());
  for (const auto& [name, value] : properties) {
    if (name == "EmployeeId") {
      EXPECT_TRUE(contact->card().SetUserProperty(name, pim::kUserPropertyNumber, value).ok());
    } else {
      EXPECT_TRUE(contact->Set(name, value).ok()) << name;
    }
  }
  EXPECT_TRUE(contact->Save().ok());
  return contact;
}

com::ComPtr<pim::Item> ContactTestBase::ItemFromCard(const std::string& name,
                                                     const std::string& vcard) {
  WriteFile(contacts_->path() + "/" + name, vcard);
  com::ComPtr<pim::Items> items = contacts_->GetItems().value();
  for (int32_t i = 1; i <= items->Count(); ++i) {
    com::ComPtr<pim::Item> item = items->Item(i).value();
    if (item->path() == contacts_->path() + "/" + name) return item;
  }
  ADD_FAILURE() << "the store does not list " << name;
  return nullptr;
}

com::ComPtr<Contact> ContactTestBase::Filled(pim::Item* item) {
  com::ComPtr<Contact> contact = NewContact();
  ContactOf(contact.get())->SetValues(item);
  return contact;
}

void ContactTestBase::WriteDirectory(const std::vector<std::string>& employees,
                                     const std::string& default_labels) {
  std::string sql(DirectorySchemaSql());
  for (const std::string& row : employees) {
    sql += "INSERT INTO Employees (" + std::string(kEmployeeColumns) + ") VALUES (" + row + ");\n";
  }
  if (!default_labels.empty()) {
    sql += "INSERT INTO \"Default\" (" + std::string(kLabelColumns) + ") VALUES (" +
           default_labels + ");\n";
  }
  WriteDirectorySql(sql);
}

void ContactTestBase::WriteDirectorySql(const std::string& sql) {
  ASSERT_TRUE(jet::DBEngine().CreateDatabase(StxFileName(), sql).ok());
}

std::vector<std::string> ContactTestBase::Entries(const com::ComPtr<com::StringCollection>& list) {
  if (!list) return {"(no list)"};
  return list->items();
}

std::string ContactTestBase::Entry(const char* code, const std::string& value) {
  return LabelText(code).value() + ": \t" + value;
}

std::vector<std::string> ContactTestBase::LogLines() const {
  return diag::LogWindow().LLog().items;
}

std::vector<std::string> ContactTestBase::LogTexts() const {
  std::vector<std::string> texts;
  for (const std::string& line : LogLines()) {
    // "12/04/26 10:50:05: text"
    texts.push_back(line.size() > 19 && line[17] == ':' ? line.substr(19) : line);
  }
  return texts;
}

}  // namespace olconn97::testing
