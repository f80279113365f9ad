// The store's windows, headless: an Inspector shows one item, an Explorer
// one folder. They keep their state (what is shown, what is current) and
// report where the shown file lives; the session knows which are open.
#ifndef OLCONN97_OUTSIDE_PIM_WINDOWS_H_
#define OLCONN97_OUTSIDE_PIM_WINDOWS_H_

#include "outside/pim/objects.h"

namespace olconn97::pim {

class Inspector final : public StoreObject<Inspector> {
 public:
  static constexpr std::string_view kClassName = "Inspector";
  explicit Inspector(com::ComPtr<Item> item) : item_(std::move(item)) {}

  // Shows the item and makes this the active inspector (modeless); a new
  // item is saved first, as headless there is no window to keep it in.
  Status Display();
  // Ends the window: 0 saves the item, 1 discards, 2 asks whether to save
  // (headless there is nobody to ask, so nothing is saved).
  Status Close(int mode);
  const com::ComPtr<Item>& CurrentItem() const { return item_; }
  bool displayed() const { return displayed_; }

  static const com::MemberList<Inspector>& Members();

 private:
  com::ComPtr<Item> item_;
  bool displayed_ = false;
};

class Explorer final : public StoreObject<Explorer> {
 public:
  static constexpr std::string_view kClassName = "Explorer";
  explicit Explorer(com::ComPtr<MAPIFolder> folder) : folder_(std::move(folder)) {}

  const com::ComPtr<MAPIFolder>& CurrentFolder() const { return folder_; }
  Status SetCurrentFolder(com::ComPtr<MAPIFolder> folder);
  // Shows the explorer; it becomes the active explorer.
  Status Display();

  static const com::MemberList<Explorer>& Members();

 private:
  com::ComPtr<MAPIFolder> folder_;
};

}  // namespace olconn97::pim

#endif  // OLCONN97_OUTSIDE_PIM_WINDOWS_H_
