// The store's windows: an Inspector shows one item, an Explorer one
// folder. They keep their state (what is shown, what is current); the
// session knows which are open. Where the session's desktop shows windows
// they are drawn (item_windows.h); headless they report where the shown
// file lives.
#ifndef OLCONN97_OUTSIDE_PIM_WINDOWS_H_
#define OLCONN97_OUTSIDE_PIM_WINDOWS_H_

#include <memory>

#include "outside/pim/item_windows.h"
#include "outside/pim/objects.h"

namespace olconn97::pim {

class Inspector final : public StoreObject<Inspector> {
 public:
  static constexpr std::string_view kClassName = "Inspector";
  explicit Inspector(com::ComPtr<Item> item) : item_(std::move(item)) {}

  // Shows the item and makes this the active inspector (modeless); a new
  // item is saved first, so the file shown is where the user finds it.
  Status Display();
  // Ends the window: 0 saves the item, 1 discards, 2 asks the user whether
  // to save an edited item (Yes saves, No discards, Cancel keeps the window
  // open); headless there is nobody to ask, so nothing is saved.
  Status Close(int mode);
  const com::ComPtr<Item>& CurrentItem() const { return item_; }
  bool displayed() const { return displayed_; }
  // The drawn window while it is shown; else null.
  ItemWindow* window() const { return window_.get(); }

  static const com::MemberList<Inspector>& Members();

 private:
  // Close(2) and the close box: whether the window may close, having saved
  // the item if the user asked to; only a shown window asks.
  Result<bool> AskAndSave();
  // Leaves the session's open windows.
  void Forget();

  com::ComPtr<Item> item_;
  bool displayed_ = false;
  std::unique_ptr<ItemWindow> window_;
};

class Explorer final : public StoreObject<Explorer> {
 public:
  static constexpr std::string_view kClassName = "Explorer";
  explicit Explorer(com::ComPtr<MAPIFolder> folder) : folder_(std::move(folder)) {}

  const com::ComPtr<MAPIFolder>& CurrentFolder() const { return folder_; }
  Status SetCurrentFolder(com::ComPtr<MAPIFolder> folder);
  // Shows the explorer; it becomes the active explorer.
  Status Display();
  // The drawn window while it is shown; else null.
  FolderView* window() const { return window_.get(); }

  static const com::MemberList<Explorer>& Members();

 private:
  // Shows the current folder in a drawn window; false when windows are
  // not drawn.
  bool ShowWindow();

  com::ComPtr<MAPIFolder> folder_;
  std::unique_ptr<FolderView> window_;
};

}  // namespace olconn97::pim

#endif  // OLCONN97_OUTSIDE_PIM_WINDOWS_H_
