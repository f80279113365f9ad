// Keeping the export folder in line with the directory.
#include <deque>
#include <map>

#include "cache/data_cache.h"
#include "contact/employee_directory.h"
#include "core/shared_state.h"
#include "diag/log.h"
#include "export/export_folder.h"
#include "export/export_steps.h"
#include "outside/com/variant.h"

namespace olconn97 {

namespace {

constexpr char kOperation[] = "cDataConnector.SynchronizeExportFolder";

// An employee number as the contacts' number property compares it.
std::optional<double> NumberOf(const jet::Value& value) {
  switch (value.type()) {
    case jet::Value::Type::kInteger:
      return static_cast<double>(value.integer());
    case jet::Value::Type::kReal:
      return value.real();
    case jet::Value::Type::kText: {
      Result<double> number = com::Variant::String(value.text()).ToDouble();
      if (number.ok()) return number.value();
      return std::nullopt;
    }
    default:
      return std::nullopt;
  }
}

std::optional<double> NumberProperty(const pim::ContactItem& contact, std::string_view name) {
  Result<pim::UserProperty> property = contact.card().FindUserProperty(name);
  if (!property.ok()) return std::nullopt;
  return NumberOf(jet::Value(property.value().value));
}

// The export folder's contacts, read once: which employee and page each
// stands for, and which are still unclaimed by a directory row (the
// mirror: what is left unclaimed at the end is deleted). Only contacts
// that carry an employee number enter the mirror; one a user added by
// hand is none of the directory's business.
class ExportMirror {
 public:
  struct Entry {
    std::string entry_id;
    int category = 0;
    bool in_mirror = false;
  };

  void Build(pim::Items& items, const StepFailures& failures) {
    for (int32_t index = 1; index <= items.Count(); ++index) {
      std::optional<com::ComPtr<pim::Item>> item = failures.Value(30, items.Item(index));
      pim::ContactItem* contact = item ? (*item)->AsContact() : nullptr;
      if (contact == nullptr) continue;
      std::optional<double> number = NumberProperty(*contact, kEmployeeIdProperty);
      if (!number) continue;
      std::optional<double> category = NumberProperty(*contact, kCategoryIdProperty);
      Add(*number, contact->EntryID(), category ? static_cast<int>(*category) : 0, true);
    }
  }

  // The contact of that employee for a page: the one of that page, else
  // one of another page that no row claimed yet (the person moved pages);
  // null when there is none.
  Entry* Match(double number, int page) {
    auto [first, last] = by_number_.equal_range(number);
    for (auto it = first; it != last; ++it) {
      if (it->second->category == page) return it->second;
    }
    for (auto it = first; it != last; ++it) {
      if (it->second->in_mirror) return it->second;
    }
    return nullptr;
  }

  void Add(double number, std::string entry_id, int category, bool in_mirror) {
    entries_.push_back({std::move(entry_id), category, in_mirror});
    by_number_.emplace(number, &entries_.back());
  }

  // The unclaimed entries, in the folder's order.
  std::vector<const Entry*> Left() const {
    std::vector<const Entry*> left;
    for (const Entry& entry : entries_) {
      if (entry.in_mirror) left.push_back(&entry);
    }
    return left;
  }

 private:
  std::deque<Entry> entries_;  // stable addresses for the index
  std::multimap<double, Entry*> by_number_;
};

// One pass over a directory page: each row claims, refills or creates its
// contact.
void SynchronizePage(jet::Database& directory, pim::Items& items, ExportMirror& mirror, int page,
                     textres::Translator& translator, const StepFailures& failures) {
  const int step = page == kPhoneSetPage ? 40 : 60;
  diag::Log(page == kPhoneSetPage ? "find rst for no blind stations" : "find rst for employees");
  std::optional<std::unique_ptr<jet::Recordset>> opened =
      failures.Value(step, OpenDirectoryPage(directory, page));
  if (!opened || !*opened) return;
  jet::Recordset& row = **opened;
  if (failures.Passed(step + 1, row.MoveFirst())) {
    diag::Log(std::string(kOperation) + " do while for index: " + std::to_string(page));
    const com::ComPtr<pim::NameSpace>& name_space = Shared().gNameSpace;
    while (!row.Eof()) {
      std::optional<jet::Value> value = failures.Value(step + 2, EmployeeNumberOf(row));
      std::optional<double> number = value ? NumberOf(*value) : std::nullopt;
      if (value && !number) {
        // No contact could ever be found again by it: one more each time.
        failures.Passed(step + 3, Status::InvalidArgument("the employee number " +
                                                          value->ToText() + " is not a number"));
      }
      if (number) {
        ExportMirror::Entry* match = mirror.Match(*number, page);
        com::ComPtr<pim::Item> item;
        if (match != nullptr && name_space) {
          item = failures.Value(step + 4, name_space->GetItemFromID(match->entry_id))
                     .value_or(nullptr);
        }
        if (!item) {
          match = nullptr;
          item = failures.Value(step + 5, items.Add(2)).value_or(nullptr);
        }
        pim::ContactItem* contact = item ? item->AsContact() : nullptr;
        if (contact != nullptr) {
          if (match == nullptr) {
            failures.Passed(step + 6, MarkExportContact(*contact, *value, page));
          } else if (match->category != page) {
            // One contact per person: it follows the person to the new page.
            failures.Passed(step + 7,
                            SetNumberProperty(*contact, kCategoryIdProperty, jet::Value(page)));
            match->category = page;
          }
          if (match != nullptr) match->in_mirror = false;
          copyToContactItem(*contact, row, page, translator);
          failures.Passed(step + 8, contact->Save());
          if (match == nullptr) mirror.Add(*number, contact->EntryID(), page, false);
        }
      }
      if (!failures.Passed(step + 9, row.MoveNext())) break;
    }
  }
  failures.Passed(step + 10, row.Close());
}

// Deletes the contacts no row claimed; each goes for good, not only to
// Deleted Items.
void RemoveUnclaimed(const ExportMirror& mirror, const std::string& store_id,
                     const StepFailures& failures) {
  const std::string prefix = kOperation;
  std::vector<const ExportMirror::Entry*> left = mirror.Left();
  diag::Log(prefix + " remove contacts: " + std::to_string(left.size()));
  const com::ComPtr<pim::NameSpace>& name_space = Shared().gNameSpace;
  int i = 0;
  for (const ExportMirror::Entry* entry : left) {
    diag::Log(prefix + " i=" + std::to_string(++i));
    com::ComPtr<pim::Item> item;
    if (name_space) item = name_space->GetItemFromID(entry->entry_id, store_id).value_or(nullptr);
    if (!item) {
      diag::Log(prefix + " not found: " + entry->entry_id);
      continue;
    }
    pim::ContactItem* contact = item->AsContact();
    diag::Log(prefix + " found: " + (contact ? contact->Text("BusinessTelephoneNumber") : "") +
              " >" + entry->entry_id);
    if (!failures.Passed(80, item->Delete())) continue;
    Result<com::ComPtr<pim::Item>> again = name_space->GetItemFromID(entry->entry_id, store_id);
    if (again.ok() && again.value()) failures.Passed(81, again.value()->Delete());
  }
}

}  // namespace

void SynchronizeExportFolder(std::string_view from_database, std::string_view target_folder,
                             textres::Translator& translator) {
  const StepFailures failures(kOperation);
  const std::string prefix = kOperation;
  SharedState& shared = Shared();
  diag::Log(prefix + " to " + std::string(target_folder));
  com::ComPtr<pim::MAPIFolder> folder = GetExportFolder();
  if (!folder) {
    diag::Log("oTargetfolder is Nothing");
    if (InitializeExportFolder(from_database, target_folder, translator) != 0) {
      diag::Log("InitializeExportFolder return <> 0, exit sub");
    }
    return;
  }
  if (!shared.gSTXDatabase) diag::Log("gSTXDatabase is Nothing, try to create it");
  jet::Database* directory =
      failures.Value(1, OpenEmployeeDirectoryAt(from_database)).value_or(nullptr);

  diag::Log("build Mirror of Transfert Folder contacts");
  std::optional<com::ComPtr<pim::Items>> items = failures.Value(2, folder->GetItems());
  diag::Log("oTargetfolder.Items.Count " + std::to_string(items ? (*items)->Count() : 0));
  ExportMirror mirror;
  if (items) mirror.Build(**items, failures);
  if (items && directory != nullptr) {
    SynchronizePage(*directory, **items, mirror, kPhoneSetPage, translator, failures);
    SynchronizePage(*directory, **items, mirror, kEmployeePage, translator, failures);
  }
  RemoveUnclaimed(mirror, folder->StoreID(), failures);
  diag::Log(prefix + " save export folder");
  SaveExportFolder(folder->EntryID(), folder->StoreID());
  if (shared.gDataCache) shared.gDataCache->UpdateCache();
}

}  // namespace olconn97
