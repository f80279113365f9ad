#include "outside/pim/item_windows.h"

#include <algorithm>
#include <string_view>

#include "outside/pim/item_classes.h"
#include "outside/pim/vcard/phone_kinds.h"
#include "outside/ui/control.h"

namespace olconn97::pim {

namespace {

// The item window's design, in twips: one line per field, its label left,
// its value right; the window as high as its lines need.
constexpr int kMargin = 120;
constexpr int kLabelWidth = 1800;
constexpr int kValueLeft = kMargin + kLabelWidth + 120;
constexpr int kValueWidth = 4500;
constexpr int kLineHeight = 285;
constexpr int kLineStep = 345;
constexpr int kItemWindowWidth = kValueLeft + kValueWidth + kMargin + ui::kWindowFrameWidth;

// The folder view's design: the folder's path above its list of items.
constexpr ui::Bounds kFolderViewBounds{0, 0, 6240 + ui::kWindowFrameWidth,
                                       4680 + ui::kWindowFrameHeight};
constexpr ui::Bounds kPathBounds{kMargin, kMargin, 6000, 255};
constexpr ui::Bounds kItemsBounds{kMargin, 480, 6000, 4080};

// The card's own fields, in the order a card shows them; the numbers and
// addresses follow.
constexpr std::string_view kNameFields[][2] = {
    {"FullName", "Full name"},   {"LastName", "Last name"},   {"FirstName", "First name"},
    {"CompanyName", "Company"},  {"Department", "Department"},
};
constexpr std::string_view kPhoneSuffix = "TelephoneNumber";
// A contact's main number: the first of these it has, else its first
// number of any kind.
constexpr PhoneKind kMainPhoneOrder[] = {PhoneKind::kBusiness, PhoneKind::kMobile,
                                         PhoneKind::kHome, PhoneKind::kPrimary};

// "BusinessFaxTelephoneNumber" is shown as "BusinessFax".
std::string PhoneLabel(PhoneKind kind) {
  std::string_view name = PhonePropertyName(kind);
  if (name.ends_with(kPhoneSuffix)) name.remove_suffix(kPhoneSuffix.size());
  return std::string(name);
}

std::string MainNumber(const ContactItem& contact) {
  for (PhoneKind kind : kMainPhoneOrder) {
    std::string number = contact.Text(PhonePropertyName(kind));
    if (!number.empty()) return number;
  }
  for (PhoneKind kind : kAllPhoneKinds) {
    std::string number = contact.Text(PhonePropertyName(kind));
    if (!number.empty()) return number;
  }
  return {};
}

void AddContactFields(const ContactItem& contact, std::vector<ShownField>& fields) {
  for (const auto& [property, label] : kNameFields) {
    std::string value = contact.Text(property);
    if (!value.empty() || property == "FullName") {
      fields.push_back({std::string(label), std::move(value)});
    }
  }
  for (PhoneKind kind : kAllPhoneKinds) {
    std::string number = contact.Text(PhonePropertyName(kind));
    if (!number.empty()) fields.push_back({PhoneLabel(kind), std::move(number)});
  }
  for (int slot = 1; slot <= 3; ++slot) {
    std::string address = contact.Text("Email" + std::to_string(slot) + "Address");
    if (!address.empty()) fields.push_back({"E-mail " + std::to_string(slot), std::move(address)});
  }
  std::string categories = contact.Text("Categories");
  if (!categories.empty()) fields.push_back({"Categories", std::move(categories)});
}

}  // namespace

std::vector<ShownField> ShownFields(Item& item) {
  std::vector<ShownField> fields;
  if (ContactItem* contact = item.AsContact()) {
    AddContactFields(*contact, fields);
  } else {
    fields.push_back({"Subject", item.Caption()});
  }
  fields.push_back({"File", item.path()});
  return fields;
}

std::vector<std::string> ShownRows(const MAPIFolder& folder) {
  std::vector<std::string> rows;
  Result<com::ComPtr<Items>> items = folder.GetItems();
  if (!items.ok()) return rows;
  const int32_t count = items.value()->Count();
  for (int32_t i = 1; i <= std::min(count, kMaxShownItems); ++i) {
    Result<com::ComPtr<Item>> item = items.value()->Item(i);
    if (!item.ok()) continue;  // an unreadable item is reported by the store
    std::string row = item.value()->Caption();
    if (ContactItem* contact = item.value()->AsContact()) {
      if (std::string number = MainNumber(*contact); !number.empty()) row += "  " + number;
    }
    rows.push_back(std::move(row));
  }
  if (count > kMaxShownItems) rows.push_back("(" + std::to_string(count - kMaxShownItems) + " more)");
  return rows;
}

ItemWindow::ItemWindow(ui::Desktop& desktop, com::ComPtr<Item> item,
                       std::function<bool()> user_closes)
    : WindowModel(desktop, "Inspector"),
      item_(std::move(item)),
      user_closes_(std::move(user_closes)) {}

void ItemWindow::CreateControls() {
  set_caption(item_->Caption());
  const std::vector<ShownField> fields = ShownFields(*item_);
  int top = kMargin;
  for (size_t i = 0; i < fields.size(); ++i, top += kLineStep) {
    const std::string n = std::to_string(i + 1);
    Add<ui::Label>("Label" + n, {kMargin, top + 30, kLabelWidth, kLineHeight}, fields[i].label);
    Add<ui::TextBox>("Field" + n, {kValueLeft, top, kValueWidth, kLineHeight}, fields[i].value);
  }
  set_bounds({0, 0, kItemWindowWidth, top + kMargin - (kLineStep - kLineHeight) +
                                          ui::kWindowFrameHeight});
}

bool ItemWindow::OnQueryUnload(ui::UnloadMode mode) {
  return mode == ui::UnloadMode::kCode || !user_closes_ || user_closes_();
}

FolderView::FolderView(ui::Desktop& desktop, com::ComPtr<MAPIFolder> folder,
                       std::function<void()> user_closed)
    : WindowModel(desktop, "Explorer"),
      folder_(std::move(folder)),
      user_closed_(std::move(user_closed)) {}

void FolderView::CreateControls() {
  set_caption(folder_->Name());
  set_bounds(kFolderViewBounds);
  Add<ui::Label>("FolderPath", kPathBounds, folder_->path());
  ui::ListBox& items = Add<ui::ListBox>("listItems", kItemsBounds);
  items.set_check_boxes(false);
  for (std::string& row : ShownRows(*folder_)) items.AddItem(std::move(row));
}

bool FolderView::OnQueryUnload(ui::UnloadMode mode) {
  if (mode == ui::UnloadMode::kUser && user_closed_) user_closed_();
  return true;
}

}  // namespace olconn97::pim
