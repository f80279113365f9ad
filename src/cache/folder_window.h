// frmOutSelFolder: the user's choice of the contact folders the driver
// indexes and searches.
//
// It lists the contact folders of the store (at most 16, depth first, each
// by its path of names), checks those of the stored selection (all of them
// when none is stored), keeps the export folder checked, and on OK writes
// the new selection with "ConfigChanged" telling whether it changed. It
// rebuilds nothing itself: the configuration window's Reinitialize, or the
// host's WriteCache(True), does.
//
// Called on the UI thread only.
#ifndef OLCONN97_CACHE_FOLDER_WINDOW_H_
#define OLCONN97_CACHE_FOLDER_WINDOW_H_

#include <string>
#include <vector>

#include "core/reg_settings.h"
#include "core/selected_folders.h"
#include "outside/pim/objects.h"
#include "outside/ui/control.h"
#include "outside/ui/window_model.h"

namespace olconn97 {

class frmOutSelFolder final : public ui::WindowModel {
 public:
  explicit frmOutSelFolder(ui::Desktop& desktop);

  // The controls; each accessor loads the window first.
  ui::Label& Label1();
  ui::ListBox& listFolder();
  ui::Label& Label2();
  ui::Label& PSTLabel();
  ui::CheckBox& ReinitCheck();
  ui::Button& CmdOK();
  ui::Button& CmdCancel();
  ui::Button& CmdSelect();

  // What the loaded window holds.
  const std::vector<cfolder>& AllFolders() const { return all_folders_; }
  const std::vector<cfolder>& ShownFolders() const { return shown_folders_; }
  bool NotConfigured() const { return not_configured_; }
  bool SelectionMismatch() const { return selection_mismatch_; }
  const std::string& InitialSignature() const { return initial_signature_; }

 private:
  void CreateControls() override;
  void OnLoad() override;
  void OnUnload() override;

  void GetOutlookFolders();
  void ListFolders(pim::MAPIFolder& folder, bool counting, const std::string& parent_path);
  void LoadSelection();
  void FillList(bool take_signature);
  void RowChecked(int row);
  void ShowRowTip(float y);
  void SaveSelection();
  // The record of AllFolders with the same identity, or null.
  cfolder* FolderLike(const cfolder& shown);
  std::string Signature() const;

  ui::Label* label1_ = nullptr;
  ui::ListBox* list_ = nullptr;
  ui::Label* label2_ = nullptr;
  ui::Label* pst_label_ = nullptr;
  ui::CheckBox* reinit_ = nullptr;
  ui::Button* ok_ = nullptr;
  ui::Button* cancel_ = nullptr;
  ui::Button* select_ = nullptr;

  std::vector<cfolder> all_folders_;
  std::vector<cfolder> shown_folders_;
  int contact_folder_count_ = 1;
  int default_folder_count_ = 0;
  bool not_configured_ = false;
  bool selection_mismatch_ = false;
  std::string initial_signature_;
  std::string transfer_entry_id_;
  std::string transfer_store_id_;
  CRegSettings settings_;
};

// The process's folder selection window, created on the desktop on first use.
frmOutSelFolder& FolderSelectionWindow();

}  // namespace olconn97

#endif  // OLCONN97_CACHE_FOLDER_WINDOW_H_
