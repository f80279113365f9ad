#include "outside/pim/store_command.h"

#include <cstdio>
#include <ostream>

#include "base/json_writer.h"
#include "outside/pim/item_classes.h"
#include "outside/pim/store_files.h"

namespace olconn97::pim {

namespace {

constexpr char kUsage[] =
    "usage: olconn97 store folders [--store DIR] [--json]\n"
    "       olconn97 store show FILE-or-ENTRYID [--store DIR] [--json]\n"
    "       olconn97 store link PATH [NAME] [--store DIR]\n"
    "       olconn97 store import FILE.vcf [FOLDER] [--store DIR]\n"
    "\n"
    "folders  every folder of the contact store: path, kind, item count, entry ID\n"
    "show     what the driver reads from one card: names, the 19 phone numbers by\n"
    "         property name, e-mail addresses, department, categories, billing\n"
    "         information, user properties, entry ID and modification time\n"
    "link     links an address book (a folder of .vcf files, as khard and vdirsyncer\n"
    "         keep them) into the store, where it stays the user's own: the driver\n"
    "         finds its cards, new contacts can go there. PATH may also be the folder\n"
    "         of several address books (khard's or vdirsyncer's): each one is linked.\n"
    "         The folder is named NAME, else by the book's displayname file, else as\n"
    "         the book's folder; a name the store has already is refused.\n"
    "import   writes each card of a file of several cards (a phone's export) as a\n"
    "         file of its own into FOLDER (a folder's path or name; default: the\n"
    "         Contacts folder), keeping its lines; a card whose UID is there already\n"
    "         is left out\n"
    "--store DIR  a store folder other than the configured one\n"
    "--json       one JSON object on stdout, keyed by property name\n";

struct Options {
  std::string command;
  std::string target;
  std::string second;  // link's NAME, import's FOLDER
  std::string store;
  bool json = false;
};

Result<Options> ParseArguments(const std::vector<std::string>& args) {
  Options options;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--json") {
      options.json = true;
    } else if (arg == "--store" && i + 1 < args.size()) {
      options.store = args[++i];
    } else if (!arg.empty() && arg[0] == '-') {
      return Status::InvalidArgument("unknown option '" + arg + "'");
    } else if (options.command.empty()) {
      options.command = arg;
    } else if (options.target.empty()) {
      options.target = arg;
    } else if (options.second.empty() &&
               (options.command == "link" || options.command == "import")) {
      options.second = arg;
    } else {
      return Status::InvalidArgument("unexpected argument '" + arg + "'");
    }
  }
  const std::string& command = options.command;
  if (command != "folders" && command != "show" && command != "link" && command != "import") {
    return Status::InvalidArgument(command.empty() ? "no operation given"
                                                   : "unknown operation '" + command + "'");
  }
  if (command != "folders" && options.target.empty()) {
    return Status::InvalidArgument(command == "show"   ? "show needs a card file or an entry ID"
                                   : command == "link" ? "link needs the folder of an address book"
                                                       : "import needs a file of cards");
  }
  return options;
}

const char* KindName(FolderKind kind) {
  switch (kind) {
    case FolderKind::kContacts:
      return "contacts";
    case FolderKind::kJournal:
      return "journal";
    case FolderKind::kMail:
      break;
  }
  return "mail";
}

void CollectFolders(const com::ComPtr<MAPIFolder>& folder, const std::string& path,
                    std::vector<std::pair<std::string, com::ComPtr<MAPIFolder>>>* all) {
  all->emplace_back(path, folder);
  com::ComPtr<Folders> children = folder->Subfolders();
  for (int32_t i = 1; i <= children->Count(); ++i) {
    com::ComPtr<MAPIFolder> child = children->Item(i).value();
    CollectFolders(child, path + "/" + child->Name(), all);
  }
}

int ListFolders(Application& app, bool json, std::ostream& out) {
  com::ComPtr<NameSpace> ns = app.GetNamespace("MAPI").value();
  com::ComPtr<MAPIFolder> top = ns->TopFolders()->Item(1).value();
  std::vector<std::pair<std::string, com::ComPtr<MAPIFolder>>> all;
  CollectFolders(top, top->Name(), &all);
  JsonWriter writer;
  if (json) writer.BeginObject().Key("store").String(app.session()->store()->root());
  if (json) writer.Key("store_id").String(top->StoreID()).Key("folders").BeginArray();
  for (const auto& [path, folder] : all) {
    Result<com::ComPtr<Items>> items = folder->GetItems();
    int32_t count = items.ok() ? items.value()->Count() : -1;
    if (json) {
      writer.BeginObject().Key("path").String(path).Key("directory").String(folder->path());
      writer.Key("kind").String(KindName(folder->record().kind));
      writer.Key("default_folder").Number(folder->record().default_code);
      writer.Key("items").Number(count).Key("entry_id").String(folder->EntryID());
      writer.Key("store_id").String(folder->StoreID()).EndObject();
    } else {
      char line[64];
      std::snprintf(line, sizeof line, "  %-8s %6d  ", KindName(folder->record().kind), count);
      out << path << "\n" << line << folder->EntryID() << "\n";
    }
  }
  if (json) {
    out << writer.EndArray().EndObject().text() << "\n";
  } else {
    out << "Store " << app.session()->store()->root() << " (store ID " << top->StoreID() << ")\n";
  }
  return 0;
}

}  // namespace

// Defined in store_show.cpp and store_books.cpp.
int ShowCard(Application& app, const std::string& target, bool json, std::ostream& out,
             std::ostream& err);
int LinkAddressBooks(Application& app, const std::string& path, const std::string& name,
                     std::ostream& out, std::ostream& err);
int ImportCards(Application& app, const std::string& file, const std::string& folder,
                std::ostream& out, std::ostream& err);

int RunStoreCommand(const std::vector<std::string>& args, const StoreOpener& open,
                    std::ostream& out, std::ostream& err) {
  for (const std::string& arg : args) {
    if (arg == "--help" || arg == "-h") {
      out << kUsage;
      return 0;
    }
  }
  Result<Options> options = ParseArguments(args);
  if (!options.ok()) {
    err << "olconn97 store: " << options.status().description() << "\n" << kUsage;
    return 2;
  }
  Result<com::ComPtr<Application>> app = open(options.value().store);
  if (!app.ok()) {
    err << "olconn97 store: " << app.status().description() << "\n";
    return 1;
  }
  const Options& given = options.value();
  if (given.command == "folders") return ListFolders(*app.value(), given.json, out);
  if (given.command == "link")
    return LinkAddressBooks(*app.value(), given.target, given.second, out, err);
  if (given.command == "import")
    return ImportCards(*app.value(), given.target, given.second, out, err);
  return ShowCard(*app.value(), given.target, given.json, out, err);
}

}  // namespace olconn97::pim
