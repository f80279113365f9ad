// The store's windows where a user sees windows (the Qt back end): an
// inspector's item window (a contact's card: names, company, numbers with
// their labels, e-mail addresses, categories, and the file) and an
// explorer's folder view (its items by name and main number). Both only
// show: the store's items are edited by the programs that own the files.
//
// Closing either window by its close box is the user closing the
// inspector or the explorer; an edited item is offered for saving first.
// Called on the UI thread only.
#ifndef OLCONN97_OUTSIDE_PIM_ITEM_WINDOWS_H_
#define OLCONN97_OUTSIDE_PIM_ITEM_WINDOWS_H_

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "outside/com/com_ptr.h"
#include "outside/pim/objects.h"
#include "outside/ui/window_model.h"

namespace olconn97::pim {

// What the window shows of an item, one labelled line each, in order.
struct ShownField {
  std::string label;
  std::string value;
  friend bool operator==(const ShownField&, const ShownField&) = default;
};
std::vector<ShownField> ShownFields(Item& item);

// The folder view shows at most this many items; a last row counts the rest.
inline constexpr int kMaxShownItems = 1000;
// One row per item: its name, and its main number for a contact.
std::vector<std::string> ShownRows(const MAPIFolder& folder);

class ItemWindow final : public ui::WindowModel {
 public:
  // `user_closes` runs when the user asks to close the window: false keeps
  // it open.
  ItemWindow(ui::Desktop& desktop, com::ComPtr<Item> item, std::function<bool()> user_closes);

 private:
  void CreateControls() override;
  bool OnQueryUnload(ui::UnloadMode mode) override;

  com::ComPtr<Item> item_;
  std::function<bool()> user_closes_;
};

class FolderView final : public ui::WindowModel {
 public:
  // `user_closed` runs when the user has closed the window.
  FolderView(ui::Desktop& desktop, com::ComPtr<MAPIFolder> folder,
             std::function<void()> user_closed);

 private:
  void CreateControls() override;
  bool OnQueryUnload(ui::UnloadMode mode) override;

  com::ComPtr<MAPIFolder> folder_;
  std::function<void()> user_closed_;
};

}  // namespace olconn97::pim

#endif  // OLCONN97_OUTSIDE_PIM_ITEM_WINDOWS_H_
