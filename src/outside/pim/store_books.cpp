// "store link": the user's own address books in the store, linked where
// they are.
#include <algorithm>
#include <ostream>

#include "outside/pim/item_classes.h"
#include "outside/pim/store_files.h"

namespace olconn97::pim {

namespace {

std::string BaseName(const std::string& path) { return path.substr(path.rfind('/') + 1); }

bool IsInside(const std::string& inner, const std::string& outer) {
  return !inner.empty() && !outer.empty() && (inner == outer || inner.starts_with(outer + "/"));
}

// The address books at `path`: the folder itself when it holds cards or a
// "displayname" file, or when it holds no folder at all (a new book); else
// each folder in it (the folder of a khard or vdirsyncer set-up).
std::vector<std::string> BooksAt(const std::string& path) {
  if (HoldsCards(path) || PathExists(path + "/displayname")) return {path};
  std::vector<std::string> folders = ListEntries(path, EntryType::kDirectory).value_or({});
  if (folders.empty()) return {path};
  std::sort(folders.begin(), folders.end());
  for (std::string& folder : folders) folder = path + "/" + folder;
  return folders;
}

// Links one book; false when it could not.
bool LinkBook(Store& store, const std::string& book, const std::string& name, std::ostream& out,
              std::ostream& err) {
  std::string store_real = RealPath(store.root());
  std::string book_real = RealPath(book);
  if (IsInside(store_real, book_real)) {
    err << "olconn97 store: skipped " << book << ": the store lies inside it\n";
    return true;
  }
  if (IsInside(book_real, store_real)) {
    err << "olconn97 store: skipped " << book << ": it is part of the store already\n";
    return true;
  }
  std::string folder_name = name.empty() ? ReadDisplayName(book).value_or(BaseName(book)) : name;
  Result<FolderRecord> linked = store.LinkFolder(book, folder_name);
  if (!linked.ok()) {
    err << "olconn97 store: cannot link " << book << ": " << linked.status().description();
    if (linked.status().code() == Code::kAlreadyExists) {
      err << "; give it a name of its own: olconn97 store link '" << book << "' NAME";
    }
    err << "\n";
    return false;
  }
  size_t cards = store.ItemFiles(linked.value()).value_or({}).size();
  out << "Linked " << linked.value().name << ": " << store.PathOf(linked.value()) << " -> " << book
      << " (" << cards << (cards == 1 ? " card" : " cards") << ")\n";
  return true;
}

}  // namespace

int LinkAddressBooks(Application& app, const std::string& path_in, const std::string& name,
                     std::ostream& out, std::ostream& err) {
  Store& store = *app.session()->store();
  std::string path = AbsolutePath(path_in);
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  if (!DirectoryIdOf(path).ok()) {
    err << "olconn97 store: " << path_in << " is not a folder";
    if (ItemKindOfFile(path) == ItemFileKind::kContact) {
      err << "; a file of cards goes into the store with: olconn97 store import '" << path_in
          << "'";
    }
    err << "\n";
    return 1;
  }
  std::vector<std::string> books = BooksAt(path);
  if (!name.empty() && books.front() != path) {
    err << "olconn97 store: " << path_in << " holds " << books.size()
        << " address books, and NAME names one: link them one by one (olconn97 store link "
        << "'" << books.front() << "' NAME)\n";
    return 2;
  }
  bool all = true;
  for (const std::string& book : books) all = LinkBook(store, book, name, out, err) && all;
  out << "The driver reads the cards when it next starts ('olconn97 cache refresh' does it "
         "now).\n";
  return all ? 0 : 1;
}

}  // namespace olconn97::pim
