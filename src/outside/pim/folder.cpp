#include "base/strings.h"
#include "outside/pim/objects.h"
#include "outside/pim/windows.h"

namespace olconn97::pim {

MAPIFolder::MAPIFolder(Context context, FolderRecord record)
    : context_(std::move(context)), record_(std::move(record)) {}

Status MAPIFolder::SetName(std::string_view name) {
  FolderRecord renamed;
  OLC_RETURN_IF_ERROR(context_.store->RenameFolder(record_, name, &renamed));
  record_ = std::move(renamed);
  return Status::Ok();
}

std::string MAPIFolder::EntryID() const { return context_.store->FolderEntryId(record_); }

std::string MAPIFolder::StoreID() const { return context_.store->store_id(); }

com::ComPtr<MAPIFolder> MAPIFolder::ParentFolder() const {
  Result<FolderRecord> parent = context_.store->ParentOf(record_);
  if (!parent.ok()) return nullptr;
  return com::MakeObject<MAPIFolder>(context_, std::move(parent).value());
}

com::ComPtr<Folders> MAPIFolder::Subfolders() const {
  Result<std::vector<FolderRecord>> folders = context_.store->Subfolders(record_);
  return com::MakeObject<Folders>(context_, folders.value_or({}), record_);
}

Result<com::ComPtr<Items>> MAPIFolder::GetItems() const {
  OLC_ASSIGN_OR_RETURN(std::vector<std::string> files, context_.store->ItemFiles(record_));
  return com::MakeObject<Items>(context_, record_, std::move(files));
}

com::ComPtr<Explorer> MAPIFolder::GetExplorer() {
  return com::MakeObject<Explorer>(com::ComPtr<MAPIFolder>(this));
}

Status MAPIFolder::Display() { return GetExplorer()->Display(); }

Folders::Folders(Context context, std::vector<FolderRecord> folders, FolderRecord parent)
    : context_(std::move(context)), folders_(std::move(folders)), parent_(std::move(parent)) {}

Result<com::ComPtr<MAPIFolder>> Folders::Item(int32_t index) const {
  if (index < 1 || index > Count()) {
    return Status::InvalidArgument("Array index out of bounds").WithNumber(DISP_E_BADINDEX);
  }
  return com::MakeObject<MAPIFolder>(context_, folders_[static_cast<size_t>(index - 1)]);
}

Result<com::ComPtr<MAPIFolder>> Folders::ItemNamed(std::string_view name) const {
  for (const FolderRecord& folder : folders_) {
    if (EqualsIgnoreCase(folder.name, name)) return com::MakeObject<MAPIFolder>(context_, folder);
  }
  return Status::NotFound("no folder named " + std::string(name));
}

Result<com::ComPtr<MAPIFolder>> Folders::Add(std::string_view name, int type) {
  FolderKind kind = type == kFolderContacts  ? FolderKind::kContacts
                    : type == kFolderJournal ? FolderKind::kJournal
                                             : FolderKind::kMail;
  if (type != kFolderContacts && type != kFolderJournal && type != kFolderInbox) {
    return Status::InvalidArgument(
        "a new folder holds contacts (10), journal entries (11) or "
        "mail (6), not kind " +
        std::to_string(type));
  }
  OLC_ASSIGN_OR_RETURN(FolderRecord folder, context_.store->CreateFolder(parent_, name, kind));
  folders_.push_back(folder);
  return com::MakeObject<MAPIFolder>(context_, std::move(folder));
}

}  // namespace olconn97::pim
