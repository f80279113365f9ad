// "store show": one card as the driver reads it.
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <ostream>

#include "base/json_writer.h"
#include "outside/pim/item_classes.h"
#include "outside/pim/store_files.h"

namespace olconn97::pim {

namespace {

constexpr const char* kNameFields[] = {"FullName",   "LastNameAndFirstName", "FirstName",
                                       "LastName",   "CompanyName",          "Department",
                                       "Categories", "BillingInformation"};
constexpr const char* kEmailFields[] = {"Email1Address", "Email2Address", "Email3Address"};

struct CardView {
  std::string file;
  std::string entry_id;
  std::string modified;  // local "%Y-%m-%d %H:%M:%S", or empty
  ContactCard card = ContactCard::NewCard("unread");
};

// The entry ID of `file` when it lies in a folder of the store at `root`.
std::string EntryIdBelow(const Store& store, const std::string& root, const std::string& file) {
  if (root.empty() || file.size() <= root.size() + 1 ||
      file.compare(0, root.size() + 1, root + "/") != 0) {
    return {};
  }
  std::string relative = file.substr(root.size() + 1);
  size_t slash = relative.rfind('/');
  std::string folder_relative = slash == std::string::npos ? "" : relative.substr(0, slash);
  Result<FolderRecord> folder = store.FolderAt(folder_relative);
  if (!folder.ok()) return {};
  return store.ItemEntryId({folder.value(), relative.substr(slash + 1)});
}

// The entry ID of a file that lies in one of the store's folders: by the
// path as given (a card of a linked address book, reached through its
// link), else by the real paths.
std::string EntryIdOfFile(const Store& store, const std::string& file) {
  std::string id = EntryIdBelow(store, AbsolutePath(store.root()), AbsolutePath(file));
  return id.empty() ? EntryIdBelow(store, RealPath(store.root()), RealPath(file)) : id;
}

std::string ModifiedText(const std::string& file) {
  Result<shell::WallTime> changed = ItemChangeTime(file);
  return changed.ok() ? shell::FormatLocal(changed.value(), "%Y-%m-%d %H:%M:%S") : std::string();
}

Result<CardView> LoadView(Application& app, const std::string& target) {
  CardView view;
  const Store& store = *app.session()->store();
  if (IsRegularFile(target)) {
    view.file = target;
    view.entry_id = EntryIdOfFile(store, target);
  } else {
    Result<ItemLocation> location = store.ItemFromId(target, "");
    if (!location.ok()) {
      return Status::NotFound(
          "'" + target + "' is neither a card file nor an entry ID of the store " + store.root());
    }
    view.file = store.PathOf(location.value());
    view.entry_id = target;
  }
  OLC_ASSIGN_OR_RETURN(std::string bytes, ReadItemFile(view.file));
  Result<ContactCard> card = ContactCard::Parse(bytes);
  if (!card.ok()) {
    return Status::Corrupt(view.file + " cannot be read as a card: " + card.status().description());
  }
  view.card = std::move(card).value();
  view.modified = ModifiedText(view.file);
  return view;
}

std::vector<std::string> PropertyOrder() {
  std::vector<std::string> names(std::begin(kNameFields), std::end(kNameFields));
  for (PhoneKind kind : kAllPhoneKinds) names.emplace_back(PhonePropertyName(kind));
  names.insert(names.end(), std::begin(kEmailFields), std::end(kEmailFields));
  return names;
}

void PrintText(const CardView& view, std::ostream& out) {
  auto line = [&](std::string_view name, std::string_view value) {
    out << name << ":" << std::string(name.size() < 27 ? 27 - name.size() : 1, ' ') << value
        << "\n";
  };
  line("File", view.file);
  line("EntryID", view.entry_id.empty() ? "(not in the store)" : view.entry_id);
  line("LastModificationTime", view.modified);
  for (const std::string& name : PropertyOrder())
    line(name, view.card.GetProperty(name).value_or(""));
  for (const std::string& extra : view.card.ExtraPhoneNumbers().value_or({}))
    line("(extra number)", extra);
  for (const UserProperty& property : view.card.UserProperties().value_or({})) {
    line("UserProperty " + property.name,
         property.value + (property.type == kUserPropertyNumber ? "  (number)" : "  (text)"));
  }
}

void PrintJson(const CardView& view, std::ostream& out) {
  JsonWriter json;
  json.BeginObject().Key("File").String(view.file).Key("EntryID").String(view.entry_id);
  json.Key("LastModificationTime").String(view.modified);
  for (const std::string& name : PropertyOrder()) {
    json.Key(name).String(view.card.GetProperty(name).value_or(""));
  }
  json.Key("ExtraPhoneNumbers").BeginArray();
  for (const std::string& extra : view.card.ExtraPhoneNumbers().value_or({})) json.String(extra);
  json.EndArray().Key("UserProperties").BeginArray();
  for (const UserProperty& property : view.card.UserProperties().value_or({})) {
    json.BeginObject().Key("Name").String(property.name).Key("Type").Number(property.type);
    json.Key("Value").String(property.value).EndObject();
  }
  out << json.EndArray().EndObject().text() << "\n";
}

}  // namespace

int ShowCard(Application& app, const std::string& target, bool json, std::ostream& out,
             std::ostream& err) {
  Result<CardView> view = LoadView(app, target);
  if (!view.ok()) {
    err << "olconn97 store show: " << view.status().description() << "\n";
    return 1;
  }
  if (view.value().card.IsGroup()) {
    err << "olconn97 store show: " << view.value().file
        << " is a distribution list, not a contact: it has no phone numbers to look up\n";
    return 1;
  }
  if (json) {
    PrintJson(view.value(), out);
  } else {
    PrintText(view.value(), out);
  }
  return 0;
}

}  // namespace olconn97::pim
