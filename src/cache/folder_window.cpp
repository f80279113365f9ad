#include "cache/folder_window.h"

#include <cmath>
#include <memory>

#include "core/settings.h"
#include "core/shared_state.h"
#include "diag/localize.h"
#include "diag/log.h"
#include "outside/pim/store.h"
#include "outside/ui/desktop.h"
#include "outside/ui/message_loop.h"
#include "outside/ui/screen.h"

namespace olconn97 {

namespace {

constexpr char kWindowName[] = "frmOutSelFolder";
constexpr char kSection[] = "olconn98folder";
// The list is laid out for this many visible rows.
constexpr int kVisibleRows = 16;

// The window's design, in twips.
constexpr ui::Bounds kWindowBounds{0, 0, 6225, 5505};
constexpr ui::Bounds kLabel1Bounds{120, 120, 5895, 255};
constexpr ui::Bounds kListBounds{120, 420, 5895, 3120};
constexpr ui::Bounds kLabel2Bounds{120, 3600, 5895, 435};
constexpr ui::Bounds kPstLabelBounds{120, 4080, 5895, 435};
constexpr ui::Bounds kReinitBounds{120, 4080, 3495, 255};
constexpr ui::Bounds kSelectBounds{120, 4620, 1215, 375};
constexpr ui::Bounds kOkBounds{3480, 4620, 1215, 375};
constexpr ui::Bounds kCancelBounds{4800, 4620, 1215, 375};

}  // namespace

frmOutSelFolder::frmOutSelFolder(ui::Desktop& desktop) : WindowModel(desktop, kWindowName) {}

ui::Label& frmOutSelFolder::Label1() {
  Load();
  return *label1_;
}
ui::ListBox& frmOutSelFolder::listFolder() {
  Load();
  return *list_;
}
ui::Label& frmOutSelFolder::Label2() {
  Load();
  return *label2_;
}
ui::Label& frmOutSelFolder::PSTLabel() {
  Load();
  return *pst_label_;
}
ui::CheckBox& frmOutSelFolder::ReinitCheck() {
  Load();
  return *reinit_;
}
ui::Button& frmOutSelFolder::CmdOK() {
  Load();
  return *ok_;
}
ui::Button& frmOutSelFolder::CmdCancel() {
  Load();
  return *cancel_;
}
ui::Button& frmOutSelFolder::CmdSelect() {
  Load();
  return *select_;
}

void frmOutSelFolder::CreateControls() {
  set_caption("#07100#Outlook contacts folders selection");
  set_bounds(kWindowBounds);
  label1_ = &Add<ui::Label>("Label1", kLabel1Bounds, "#07101#Contacts folders :");
  list_ = &Add<ui::ListBox>("listFolder", kListBounds);
  label2_ = &Add<ui::Label>(
      "Label2", kLabel2Bounds,
      "#07102#If the selection is modified, the database must be reinitialized.");
  pst_label_ = &Add<ui::Label>("PSTLabel", kPstLabelBounds,
                               "#07103#The selection has changed because of contacts files "
                               "added or removed in Outlook.");
  reinit_ = &Add<ui::CheckBox>("ReinitCheck", kReinitBounds,
                               "#07111#Reinitialize (Close and restart application)");
  select_ = &Add<ui::Button>("CmdSelect", kSelectBounds, "#01008#&Select");
  ok_ = &Add<ui::Button>("CmdOK", kOkBounds, "#01000#&OK");
  cancel_ = &Add<ui::Button>("CmdCancel", kCancelBounds, "#01001#&Cancel");

  list_->on_check = [this](int row) { RowChecked(row); };
  list_->on_mouse_move = [this](float, float y) { ShowRowTip(y); };
  ok_->on_click = [this] {
    SaveSelection();
    Unload();
  };
  cancel_->on_click = [this] { Unload(); };
  select_->on_click = [] {};  // kept from an older design; it does nothing
}

void frmOutSelFolder::OnLoad() {
  diag::Log("frmOutSelFolder_Load()");
  SetFormCharset(*this);
  (void)TextResources().LocalizeForm(*this);
  settings_ = CRegSettings();
  settings_.set_hKey(Hive::kCurrentUser);
  settings_.set_MSubKey("Software");
  settings_.set_Company("Norvale");
  settings_.set_AppName("7316\\Popup");
  select_->set_visible(false);
  reinit_->set_visible(false);
  contact_folder_count_ = 1;
  CRegSettings location = settings_;
  location.set_AppName("7316\\Popup\\outlook98");
  transfer_entry_id_ = location.GetSetting("TransfertFolder", "EntryID", "");
  transfer_store_id_ = location.GetSetting("TransfertFolder", "StoreID", "");
  GetOutlookFolders();
  pst_label_->set_enabled(false);
  pst_label_->set_visible(false);
  LoadSelection();
  FillList(/*take_signature=*/true);
  desktop().loop().YieldOnce();
}

void frmOutSelFolder::OnUnload() {
  all_folders_.clear();
  shown_folders_.clear();
}

void frmOutSelFolder::GetOutlookFolders() {
  // The same store as the driver's: the folders listed are the ones it
  // walks.
  const com::ComPtr<pim::NameSpace>& name_space = Shared().gNameSpace;
  if (!name_space) {
    diag::Log("Getting Outlook folders : no connection to object outlook");
    return;
  }
  ui::Screen& screen = desktop().screen();
  screen.SetMousePointer(ui::kMousePointerHourglass);
  com::ComPtr<pim::MAPIFolder> top = name_space->GetDefaultFolder(pim::kFolderInbox).value_or(nullptr);
  while (top) {
    com::ComPtr<pim::MAPIFolder> parent = top->ParentFolder();
    if (!parent || parent->Name() == "Outlook") break;
    top = parent;
  }
  default_folder_count_ = 0;
  if (top) ListFolders(*top, /*counting=*/true, "");
  screen.SetMousePointer(ui::kMousePointerDefault);
}

void frmOutSelFolder::ListFolders(pim::MAPIFolder& folder, bool counting,
                                  const std::string& parent_path) {
  if (contact_folder_count_ > kMaxSelectedFolders) return;
  const std::string path = parent_path.empty() ? folder.Name() : parent_path + "\\" + folder.Name();
  if (folder.DefaultItemType() == static_cast<int>(pim::FolderKind::kContacts)) {
    if (counting) ++default_folder_count_;
    ++contact_folder_count_;
    cfolder record;
    record.DisplayName = folder.Name();
    record.StoreId = folder.StoreID();
    record.EntryID = folder.EntryID();
    record.FullName = path;
    all_folders_.push_back(std::move(record));
  }
  // A mail folder's name stays in the paths of the contact folders below it.
  com::ComPtr<pim::Folders> below = folder.Subfolders();
  for (int32_t i = 1; i <= below->Count(); ++i) {
    Result<com::ComPtr<pim::MAPIFolder>> subfolder = below->Item(i);
    if (subfolder.ok()) ListFolders(*subfolder.value(), counting, path);
  }
}

void frmOutSelFolder::LoadSelection() {
  not_configured_ = false;
  selection_mismatch_ = false;
  shown_folders_.clear();
  if (IsFolderConfigured()) {
    int stored = 0;
    int found = 0;
    for (int n = 1; n <= kMaxSelectedFolders; ++n) {
      const std::string suffix = std::to_string(n);
      const std::string select = settings_.GetSetting(kSection, "selectId" + suffix, "");
      const std::string entry_id = settings_.GetSetting(kSection, "entryId" + suffix, "");
      const std::string store_id = settings_.GetSetting(kSection, "storeId" + suffix, "");
      if (entry_id.empty()) break;
      const bool selected = select != "0";
      if (selected) ++stored;
      for (cfolder& folder : all_folders_) {
        if (folder.EntryID != entry_id || folder.StoreId != store_id) continue;
        if (selected) {
          folder.IsSelected = true;
          ++found;
        }
        break;
      }
    }
    shown_folders_ = all_folders_;
    diag::Log("Nb folders in registry = " + std::to_string(stored) +
              " nb folders selected found = " + std::to_string(found));
    if (stored != found) selection_mismatch_ = true;
  } else {
    not_configured_ = true;
    const size_t shown = std::min<size_t>(
        {static_cast<size_t>(std::max(default_folder_count_, 0)), size_t{kMaxSelectedFolders},
         all_folders_.size()});
    for (size_t i = 0; i < shown; ++i) {
      all_folders_[i].IsSelected = true;
      shown_folders_.push_back(all_folders_[i]);
    }
  }
}

void frmOutSelFolder::FillList(bool take_signature) {
  if (take_signature) initial_signature_.clear();
  for (const cfolder& folder : shown_folders_) {
    list_->AddItem(folder.FullName);
    const bool checked = folder.IsSelected || not_configured_;
    if (checked) (void)list_->SetChecked(list_->ListCount() - 1, true);
    if (take_signature) initial_signature_ += checked ? "1" : "0";
  }
}

cfolder* frmOutSelFolder::FolderLike(const cfolder& shown) {
  for (cfolder& folder : all_folders_) {
    if (folder.EntryID == shown.EntryID && folder.StoreId == shown.StoreId) return &folder;
  }
  return nullptr;
}

void frmOutSelFolder::RowChecked(int row) {
  if (shown_folders_.empty() || row < 0 || row >= static_cast<int>(shown_folders_.size())) return;
  const cfolder& shown = shown_folders_[static_cast<size_t>(row)];
  // The export folder's contacts are always searched.
  if (shown.EntryID == transfer_entry_id_ && shown.StoreId == transfer_store_id_) {
    (void)list_->SetChecked(row, true);
  }
  if (cfolder* folder = FolderLike(shown)) {
    folder->IsSelected = list_->rows()[static_cast<size_t>(row)].checked;
  }
}

void frmOutSelFolder::ShowRowTip(float y) {
  const int row_height = static_cast<int>(std::lround(list_->bounds().height)) / kVisibleRows;
  if (row_height <= 0) return;
  const int row = static_cast<int>(std::lround(y)) / row_height;
  const std::vector<ui::ListRow>& rows = list_->rows();
  list_->set_tool_tip(row >= 0 && row < static_cast<int>(rows.size())
                          ? rows[static_cast<size_t>(row)].text
                          : std::string());
}

std::string frmOutSelFolder::Signature() const {
  std::string signature;
  for (const ui::ListRow& row : list_->rows()) signature += row.checked ? "1" : "0";
  return signature;
}

void frmOutSelFolder::SaveSelection() {
  settings_.DeleteSetting(kSection);
  const std::vector<ui::ListRow>& rows = list_->rows();
  for (size_t i = 0; i < rows.size() && i < shown_folders_.size(); ++i) {
    const std::string n = std::to_string(i + 1);
    settings_.SaveSetting(kSection, "entryId" + n, shown_folders_[i].EntryID);
    settings_.SaveSetting(kSection, "storeId" + n, shown_folders_[i].StoreId);
    settings_.SaveSetting(kSection, "selectId" + n, rows[i].checked ? "-1" : "0");
  }
  const bool changed = Signature() != initial_signature_ || selection_mismatch_;
  settings_.SaveSetting(kSection, "ConfigChanged", reinit_->checked() || changed ? "1" : "0");
}

frmOutSelFolder& FolderSelectionWindow() {
  Owned<frmOutSelFolder>& window = Shared().folder_window;
  if (!window) window = std::make_unique<frmOutSelFolder>(Shared().services.desktop());
  return *window;
}

}  // namespace olconn97
