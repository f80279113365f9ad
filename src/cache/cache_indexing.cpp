// The two walks and the indexing of one contact: which contacts get rows,
// what a row holds, how a number is reduced to its digits.
#include "cache/cache_schema.h"
#include "cache/data_cache.h"
#include "cache/progress_window.h"
#include "cache/stored_number.h"
#include "core/selected_folders.h"
#include "core/shared_state.h"
#include "diag/log.h"
#include "outside/jet/dao.h"
#include "outside/ui/desktop.h"

namespace olconn97 {

namespace {

constexpr char kNoName[] = "&&&";
constexpr int kContactsFolder = static_cast<int>(pim::FolderKind::kContacts);

// The name stored with every row of a contact: its last-name-first form,
// else its full name, else the placeholder a search corrects later.
std::string RowName(const pim::ContactItem& item) {
  std::string name = item.Text("LastNameAndFirstName");
  if (name.empty()) name = item.Text("FullName");
  return name.empty() ? std::string(kNoName) : name;
}

void YieldToTheLoop() { Shared().services.desktop().loop().YieldOnce(); }

}  // namespace

std::string DataCache::TestAndSet(pim::Item& item) {
  pim::ContactItem* contact = item.AsContact();
  if (contact == nullptr) {
    diag::LogFailure("Error (TestAndSet): ",
                     Status::InvalidArgument("the item is not a contact: it has no contact names"));
    return {};
  }
  std::string name = contact->Text("LastNameAndFirstName");
  if (name.empty()) name = contact->Text("FullName");
  if (name.empty()) return name;  // a contact without a name is not indexed
  named_item_ = contact;          // its rows carry the name just found
  named_item_name_ = name;
  named_item_folded_ = FoldedName(name);
  AddPhoneNumbers(*contact);
  return name;
}

void DataCache::AddPhoneNumbers(pim::ContactItem& item) {
  if (named_item_ != &item) {
    named_item_ = &item;
    named_item_name_ = RowName(item);
    named_item_folded_ = FoldedName(named_item_name_);
  }
  for (pim::PhoneKind kind : pim::kAllPhoneKinds) {
    Result<std::string> number = item.card().Phone(kind);
    if (!number.ok()) {
      diag::LogFailure("Error (AddPhoneNumbers): ", number.status());
      break;
    }
    if (!number.value().empty()) AddPhoneNumber(number.value(), item);
  }
  // Numbers beyond the 19 kinds are found like "Other" numbers.
  for (const std::string& extra : item.card().ExtraPhoneNumbers().value_or({})) {
    AddPhoneNumber(extra, item);
  }
  named_item_ = nullptr;
  YieldToTheLoop();
}

void DataCache::AddPhoneNumber(std::string_view number, pim::ContactItem& item) {
  Status done = [&]() -> Status {
    if (!CacheTable_ || !CacheTable_->IsOpen()) OLC_RETURN_IF_ERROR(OpenCacheTable());
    StoredNumber stored = StoreNumber(number);
    std::string name = named_item_ == &item ? named_item_name_ : RowName(item);
    OLC_RETURN_IF_ERROR(CacheTable_->AddNew());
    jet::Recordset& table = *CacheTable_;
    const RowFields& field = row_fields_;
    OLC_RETURN_IF_ERROR(table.SetFieldAt(field.phone_reversed, ReversedDigits(stored.digits)));
    OLC_RETURN_IF_ERROR(table.SetFieldAt(field.phone_number, std::move(stored.digits)));
    OLC_RETURN_IF_ERROR(table.SetFieldAt(field.entry_id, item.EntryID()));
    OLC_RETURN_IF_ERROR(table.SetFieldAt(field.auto_select, jet::Value::Boolean(false)));
    // Set on every row, null or not: rows setting the same fields share
    // one insert statement.
    OLC_RETURN_IF_ERROR(table.SetFieldAt(
        field.phone_main, stored.main ? jet::Value(std::move(*stored.main)) : jet::Value()));
    OLC_RETURN_IF_ERROR(table.SetFieldAt(
        field.phone_extension,
        stored.extension ? jet::Value(std::move(*stored.extension)) : jet::Value()));
    OLC_RETURN_IF_ERROR(table.SetFieldAt(
        field.name_folded, named_item_ == &item ? named_item_folded_ : FoldedName(name)));
    OLC_RETURN_IF_ERROR(table.SetFieldAt(field.name, std::move(name)));
    return CacheTable_->Update();
  }();
  if (!done.ok()) {
    walk_failed_ = true;  // a row is missing: the next refresh must look again
    if (CacheTable_ && CacheTable_->IsOpen()) (void)CacheTable_->CancelUpdate();
    diag::LogFailure("Error (AddPhoneNumber): ", done);
  }
}

void DataCache::AddContactToCache(pim::ContactItem& item) {
  diag::Log("Adding 1 contact to Cache...");
  Status opened = OpenCacheTable();
  if (!opened.ok()) return diag::LogFailure("Erreur (AddContactToCache): ", opened);
  std::string business = item.Text("BusinessTelephoneNumber");
  if (!business.empty()) AddPhoneNumber(business, item);
}

void DataCache::AddContact(pim::MAPIFolder& folder) {
  Status done = [&]() -> Status {
    if (folder.DefaultItemType() == kContactsFolder) {
      diag::Log("Add :: Folder Tested = " + folder.Name());
      if (IsFolderSelected(folder)) {
        OLC_ASSIGN_OR_RETURN(com::ComPtr<pim::Items> items, folder.GetItems());
        if (frmCreateCache* window = Window()) window->ShowFolder(folder.Name(), items->Count());
        diag::Log("Folder " + folder.Name() + " selected with " + std::to_string(items->Count()) +
                  " contacts.");
        for (int32_t i = 1; i <= items->Count(); ++i) {
          Result<com::ComPtr<pim::Item>> item = items->Item(i);
          // An item that cannot be read has no rows; the walk goes on.
          std::string name = item.ok() ? TestAndSet(*item.value()) : std::string();
          if (!item.ok()) diag::LogFailure("Error (TestAndSet): ", item.status());
          if (frmCreateCache* window = Window()) window->ShowContact(name, i);
        }
      }
    }
    com::ComPtr<pim::Folders> subfolders = folder.Subfolders();
    for (int32_t i = 1; i <= subfolders->Count(); ++i) {
      OLC_ASSIGN_OR_RETURN(com::ComPtr<pim::MAPIFolder> sub, subfolders->Item(i));
      AddContact(*sub);
    }
    return Status::Ok();
  }();
  if (!done.ok()) {
    walk_failed_ = true;
    diag::LogFailure("Error (AddContact): ", done);
  }
}

void DataCache::UpdateFolder(pim::MAPIFolder& folder) {
  Status done = [&]() -> Status {
    com::ComPtr<pim::Folders> subfolders = folder.Subfolders();
    for (int32_t i = 1; i <= subfolders->Count(); ++i) {
      OLC_ASSIGN_OR_RETURN(com::ComPtr<pim::MAPIFolder> sub, subfolders->Item(i));
      com::ComPtr<pim::Items> changed;
      if (sub->DefaultItemType() == kContactsFolder) {
        diag::Log("Update Folder Tested = " + sub->Name());
        if (IsFolderSelected(*sub)) {
          diag::Log("Update Folder selected = " + sub->Name());
          auto scanned = scanned_changes_.find(sub->EntryID());
          if (scanned != scanned_changes_.end()) {
            changed = scanned->second;
          } else {
            OLC_ASSIGN_OR_RETURN(com::ComPtr<pim::Items> items, sub->GetItems());
            OLC_ASSIGN_OR_RETURN(changed, items->Restrict(RestrictString_));
          }
        }
      }
      if (changed && changed->Count() > 0) WriteFolder(*changed, *sub);
      UpdateFolder(*sub);
    }
    return Status::Ok();
  }();
  if (done.ok()) return;
  diag::Log("Error in last modification date format: Reinit !");
  LastModifKey_ = "01/01/1900";
  (void)WriteRefreshTime(LastModifKey_);
  walk_failed_ = true;  // the reset stays: the next refresh reads everything
}

void DataCache::WriteFolder(pim::Items& items, pim::MAPIFolder& folder) {
  Status done = [&]() -> Status {
    if (!Shared().gCacheDatabase) return Status::Unavailable("the cache database is not open");
    if (frmCreateCache* window = Window()) window->ShowFolder(folder.Name(), items.Count());
    const pim::Store& store = *folder.context().store;
    for (int32_t i = 1; i <= items.Count(); ++i) {
      // The rows go by the item's identity, which a file gives even when
      // its card can no longer be read.
      std::string entry_id =
          store.ItemEntryId({items.folder(), items.files()[static_cast<size_t>(i - 1)]});
      OLC_ASSIGN_OR_RETURN(
          int64_t removed,
          Shared().gCacheDatabase->Execute("Delete * From TCache Where EntryID = ?", {entry_id}));
      (void)removed;
      Result<com::ComPtr<pim::Item>> item = items.Item(i);
      std::string name = item.ok() ? TestAndSet(*item.value()) : std::string();
      if (!item.ok()) diag::LogFailure("Error (TestAndSet): ", item.status());
      if (frmCreateCache* window = Window()) window->ShowContact(name, i);
    }
    return Status::Ok();
  }();
  if (!done.ok()) {
    walk_failed_ = true;
    diag::LogFailure("Error (WriteFolder): ", done);
  }
  if (frmCreateCache* window = Window()) window->ShowFolderDone();
}

}  // namespace olconn97
