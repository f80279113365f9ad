#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "base/strings.h"
#include "outside/pim/filter.h"
#include "outside/pim/item_classes.h"
#include "outside/pim/objects.h"
#include "outside/pim/read_ahead.h"
#include "outside/pim/store_files.h"
#include "outside/pim/windows.h"
#include "outside/shell/file_io.h"

namespace olconn97::pim {

namespace {

// A walk through fewer items than this reads them one by one.
constexpr size_t kReadAheadAfter = 16;
// Items let go of are given back to the read-ahead this many at a time.
constexpr size_t kGiveBackBatch = 32;

Status BadIndex() {
  return Status::InvalidArgument("Array index out of bounds").WithNumber(DISP_E_BADINDEX);
}

}  // namespace

Items::Items(Context context, FolderRecord folder, std::vector<std::string> files)
    : context_(std::move(context)), folder_(std::move(folder)), files_(std::move(files)) {}

Items::~Items() = default;

Result<com::ComPtr<pim::Item>> Items::Item(int32_t index) const {
  if (index < 1 || index > Count()) return BadIndex();
  auto position = static_cast<size_t>(index - 1);
  ItemLocation location{folder_, files_[position]};
  std::optional<PreparedFile> prepared;
  if (read_ahead_) {
    // A walk lets go of each item before it asks for the next.
    if (last_prepared_.sole()) spent_.push_back(std::move(last_prepared_));
    last_prepared_.reset();
    if (spent_.size() >= kGiveBackBatch) read_ahead_->GiveBack(spent_);
    prepared = read_ahead_->Take(position);
    if (!prepared) {
      spent_.clear();
      read_ahead_.reset();  // the caller left the order
    }
  } else if (position > 0 && position == next_in_order_ &&
             files_.size() - position > kReadAheadAfter) {
    // A second item in order: a walk through the folder has begun.
    read_ahead_ = std::make_unique<ItemReadAhead>(
        context_.store->PathOf(folder_), files_, position + 1,
        EntryIdParts{context_.store->store_id(), folder_.key, std::string()});
  }
  next_in_order_ = position + 1;
  if (!prepared) return LoadItem(context_, location);
  Result<com::ComPtr<pim::Item>> item = LoadItem(context_, location, std::move(*prepared));
  if (item.ok()) last_prepared_ = item.value();
  return item;
}

Result<com::ComPtr<pim::Item>> Items::Add(int kind) const {
  return NewItem(context_, folder_, kind);
}

Result<com::ComPtr<Items>> Items::Restrict(std::string_view filter_text) const {
  OLC_ASSIGN_OR_RETURN(Filter filter, ParseFilter(filter_text));
  if (!EqualsIgnoreCase(filter.property, "LastModificationTime")) {
    return Status::InvalidArgument("Restrict filters on [LastModificationTime] only: " +
                                   std::string(filter_text));
  }
  OLC_ASSIGN_OR_RETURN(shell::WallTime bound, ParseFilterTime(filter.value));
  std::vector<std::string> kept;
  std::optional<shell::WallTime> linked = context_.store->LinkedSince(folder_);
  // One lookup of the folder's path, then one of each name in it.
  const std::string folder_path = context_.store->PathOf(folder_);
  shell::ScopedFd folder = shell::OpenFolder(folder_path);
  for (const std::string& file : files_) {
    // A folder that cannot be opened leaves each name to its whole path,
    // where a file that cannot be read is passed over as before.
    Result<shell::WallTime> modified =
        folder.valid() ? ItemChangeTimeAt(folder.get(), folder_path, file)
                       : ItemChangeTime(context_.store->PathOf(ItemLocation{folder_, file}));
    if (!modified.ok()) continue;
    shell::WallTime arrived = linked ? std::max(modified.value(), *linked) : modified.value();
    if (Compare(arrived, filter.comparison, bound)) kept.push_back(file);
  }
  return com::MakeObject<Items>(context_, folder_, std::move(kept));
}

Result<com::ComPtr<pim::Item>> Items::Find(std::string_view filter_text) const {
  OLC_ASSIGN_OR_RETURN(Filter filter, ParseFilter(filter_text));
  if (filter.comparison != Comparison::kEqual) {
    return Status::InvalidArgument("Find compares a user property with \"=\": " +
                                   std::string(filter_text));
  }
  for (int32_t index = 1; index <= Count(); ++index) {
    Result<com::ComPtr<pim::Item>> item = Item(index);
    if (!item.ok()) continue;  // an unreadable item matches nothing
    ContactItem* contact = item.value()->AsContact();
    if (contact != nullptr && contact->UserPropertyEquals(filter.property, filter.value)) {
      return item;
    }
  }
  return com::ComPtr<pim::Item>();
}

std::string Item::EntryID() const {
  if (!saved()) return std::string();
  // A move or a first save changes the file, and with it the ID.
  if (entry_id_file_ != location_.file || entry_id_folder_ != location_.folder.key) {
    KnowEntryID(context_.store->ItemEntryId(location_));
  }
  return entry_id_;
}

void Item::KnowEntryID(std::string entry_id) const {
  entry_id_ = std::move(entry_id);
  entry_id_folder_ = location_.folder.key;
  entry_id_file_ = location_.file;
}

std::string Item::path() const {
  return saved() ? context_.store->PathOf(location_) : std::string();
}

Status Item::Delete() {
  if (!saved()) return Status::Failed("the item was never saved");
  Result<FolderRecord> deleted_items = context_.store->DefaultFolder(kFolderDeletedItems);
  if (!deleted_items.ok() || deleted_items.value().key == location_.folder.key) {
    OLC_RETURN_IF_ERROR(context_.store->RemoveItem(location_));
    location_.file.clear();
    return Status::Ok();
  }
  OLC_ASSIGN_OR_RETURN(location_, context_.store->MoveItem(location_, deleted_items.value()));
  return Status::Ok();
}

com::ComPtr<Inspector> Item::GetInspector() {
  if (std::shared_ptr<Session> session = context_.session.lock()) {
    for (const com::ComPtr<Inspector>& open : session->open_inspectors) {
      if (open->CurrentItem().get() == this) return open;  // one window per item
      if (saved() && open->CurrentItem()->EntryID() == EntryID()) return open;
    }
  }
  return com::MakeObject<Inspector>(com::ComPtr<pim::Item>(this));
}

com::ComPtr<MAPIFolder> Item::ParentFolder() const {
  Result<FolderRecord> folder = context_.store->Refresh(location_.folder);
  return com::MakeObject<MAPIFolder>(context_, folder.value_or(location_.folder));
}

Result<shell::WallTime> Item::LastModificationTime() const {
  if (!saved()) return Status::Failed("the item was never saved");
  OLC_ASSIGN_OR_RETURN(shell::WallTime changed, ItemChangeTime(path()));
  std::optional<shell::WallTime> linked = context_.store->LinkedSince(location_.folder);
  return linked ? std::max(changed, *linked) : changed;
}

Status Item::WriteFile(std::string_view bytes, std::string_view stem, std::string_view extension) {
  if (!saved()) {
    location_.file = context_.store->NewItemFileName(location_.folder, stem, extension);
  } else {
    // Saving what the file holds already changes nothing: the file keeps
    // its time, so neither a refresh nor the user's sync takes it for new.
    Result<std::string> stored = ReadItemFile(path());
    if (stored.ok() && stored.value() == bytes) return Status::Ok();
  }
  return context_.store->WriteItem(location_, bytes);
}

Result<com::ComPtr<Item>> LoadItem(const Context& context, const ItemLocation& location) {
  PreparedFile file;
  file.bytes = ReadItemFile(context.store->PathOf(location));
  return LoadItem(context, location, std::move(file));
}

namespace {

// A file of several cards (a phone's export of a whole address book) is
// one contact, the first card: the user hears once where the others are.
void ReportFurtherCards(const Context& context, const ItemLocation& location,
                        const ContactCard& card) {
  size_t more = card.CardsAfter();
  if (more == 0) return;
  std::string path = context.store->PathOf(location);
  std::string folder = location.folder.relative;
  context.store->ReportOnce(
      path, "olconn97: " + path + " holds " + std::to_string(more + 1) +
                " cards; only the first is read. One file per card: olconn97 store import '" +
                path + "'" + (folder.empty() ? "" : " '" + folder + "'") +
                ", then remove the file");
}

}  // namespace

Result<com::ComPtr<Item>> LoadItem(const Context& context, const ItemLocation& location,
                                   PreparedFile file) {
  if (file.card) {
    ReportFurtherCards(context, location, *file.card);
    Result<com::ComPtr<Item>> item = ItemFromCard(context, location, std::move(*file.card));
    if (item.ok() && !file.entry_id.empty()) item.value()->KnowEntryID(std::move(file.entry_id));
    return item;
  }
  Result<com::ComPtr<Item>> item = file.bytes.ok()
                                       ? ItemFromFile(context, location, file.bytes.value())
                                       : Result<com::ComPtr<Item>>(file.bytes.status());
  if (!item.ok()) {
    std::string path = context.store->PathOf(location);
    if (std::shared_ptr<Session> session = context.session.lock()) {
      session->ReportOnce(path, item.status().description());
    }
  } else if (ContactItem* contact = item.value()->AsContact()) {
    ReportFurtherCards(context, location, contact->card());
  }
  return item;
}

}  // namespace olconn97::pim
