#include "driver/config_window.h"

#include <memory>

#include "cache/data_cache.h"
#include "cache/folder_window.h"
#include "core/selected_folders.h"
#include "core/shared_state.h"
#include "diag/localize.h"
#include "diag/log.h"
#include "outside/ui/desktop.h"
#include "outside/ui/message_loop.h"

namespace olconn97 {

namespace {

constexpr char kWindowName[] = "frmConfigPIM";

// The window's design, in twips: the three cache commands inside Frame1,
// OK and Cancel below it.
constexpr ui::Bounds kWindowBounds{0, 0, 5010, 3210};
constexpr ui::Bounds kFrameBounds{120, 60, 4755, 2055};
constexpr int kCommandLeft = 360;
constexpr int kCommandWidth = 4275;
constexpr int kCommandHeight = 435;
constexpr int kCommandTops[] = {300, 840, 1380};
constexpr ui::Bounds kOkBounds{2280, 2280, 1215, 375};
constexpr ui::Bounds kCancelBounds{3660, 2280, 1215, 375};

ui::Bounds CommandBounds(int row) {
  return {kCommandLeft, kCommandTops[row], kCommandWidth, kCommandHeight};
}

}  // namespace

frmConfigPIM::frmConfigPIM(ui::Desktop& desktop) : WindowModel(desktop, kWindowName) {}

ui::Button& frmConfigPIM::btnFolderSel() {
  Load();
  return *folder_sel_;
}

ui::Button& frmConfigPIM::btnSynchro() {
  Load();
  return *synchro_;
}

ui::Button& frmConfigPIM::btnInit() {
  Load();
  return *init_;
}

ui::Button& frmConfigPIM::btnOK() {
  Load();
  return *ok_;
}

ui::Button& frmConfigPIM::btnCancel() {
  Load();
  return *cancel_;
}

ui::Frame& frmConfigPIM::Frame1() {
  Load();
  return *frame_;
}

void frmConfigPIM::CreateControls() {
  set_caption("#07200#Outlook configuration");
  set_bounds(kWindowBounds);
  frame_ = &Add<ui::Frame>("Frame1", kFrameBounds);
  folder_sel_ =
      &Add<ui::Button>("btnFolderSel", CommandBounds(0), "#07201#Select contacts &folders");
  synchro_ = &Add<ui::Button>("btnSynchro", CommandBounds(1), "#20012#&Synchronize");
  init_ = &Add<ui::Button>("btnInit", CommandBounds(2), "#20013#&Reinitialize");
  ok_ = &Add<ui::Button>("btnOK", kOkBounds, "#01000#&OK");
  cancel_ = &Add<ui::Button>("btnCancel", kCancelBounds, "#01001#&Cancel");
  folder_sel_->on_click = [this] { SelectFolders(); };
  synchro_->on_click = [this] { Synchronize(); };
  init_->on_click = [this] { Reinitialize(); };
  // Nothing is pending in this window, so both close it the same way.
  ok_->on_click = [this] { Unload(); };
  cancel_->on_click = [this] { Unload(); };
}

void frmConfigPIM::OnLoad() {
  SetFormCharset(*this);
  (void)TextResources().LocalizeForm(*this);  // fails only for a window not loaded
  desktop().loop().YieldOnce();
}

void frmConfigPIM::SelectFolders() {
  // The dialog saves the choice; Reinitialize (or the host's complete
  // WriteCache) reads it again and rebuilds.
  Status shown = FolderSelectionWindow().Show(ui::ShowMode::kModal);
  if (!shown.ok()) diag::LogFailure(kFolderSelFailureContext, shown);
}

void frmConfigPIM::Synchronize() {
  SharedState& shared = Shared();
  if (!shared.gDriverReady || !shared.gDataCache) return;
  shared.gDataCache->UpdateCache();
}

void frmConfigPIM::Reinitialize() {
  SharedState& shared = Shared();
  if (!shared.gDriverReady || !shared.gDataCache) return;
  GetContactFoldersSelected();  // the folder dialog may have changed the choice
  shared.gDataCache->CreateCache();
}

frmConfigPIM& ConfigWindow() {
  // The process's one window, kept with the shared state: created on the
  // desktop of its first use, it lives as long as the process.
  Owned<frmConfigPIM>& window = Shared().config_window;
  if (!window) window = std::make_unique<frmConfigPIM>(Shared().services.desktop());
  return *window;
}

void ResetConfigWindowForTesting() {
  Shared().folder_window.reset();
  Shared().config_window.reset();
}

}  // namespace olconn97
