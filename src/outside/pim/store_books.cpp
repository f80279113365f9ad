// "store link" and "store import": the user's own address books in the
// store, linked where they are, or read from a file of several cards.
#include <algorithm>
#include <cstdio>
#include <ostream>

#include "outside/pim/item_classes.h"
#include "outside/pim/store_files.h"
#include "outside/pim/vcard/vcard_lines.h"

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

// A card's bytes with a line end after its last line.
std::string CardText(const VCardFile& file, const CardSpan& span, std::string_view uid_line) {
  const std::vector<ContentLine>& lines = file.lines();
  std::string_view line_end = LineEndOf(lines[span.begin].raw);
  if (line_end.empty()) line_end = "\r\n";
  size_t own_end = span.has_end ? span.end - 1 : span.end;
  std::string text;
  for (size_t i = span.begin; i < own_end; ++i) text += lines[i].raw;
  if (!text.empty() && LineEndOf(text).empty()) text += line_end;
  if (!uid_line.empty()) text.append(uid_line).append(line_end);
  if (span.has_end) text += lines[span.end - 1].raw;
  if (LineEndOf(text).empty()) text += line_end;
  return text;
}

// A UID for a card that has none, from its bytes: importing the same file
// again finds the card there already.
std::string UidFromBytes(std::string_view bytes) {
  unsigned long long hash = 1469598103934665603ull;
  for (char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  char text[32];
  std::snprintf(text, sizeof text, "olconn97-%016llx", hash);
  return text;
}

struct ImportCount {
  int written = 0;
  int present = 0;
  int failed = 0;
};

void ImportCard(const Store& store, const FolderRecord& folder, const VCardFile& file,
                const CardSpan& span, int number, ImportCount* count, std::ostream& err) {
  std::string text = CardText(file, span, {});
  Result<ContactCard> card = ContactCard::Parse(text);
  if (!card.ok()) {
    err << "olconn97 store: card " << number << ": " << card.status().description() << "\n";
    ++count->failed;
    return;
  }
  std::string uid = card.value().Uid();
  if (uid.empty()) {
    uid = UidFromBytes(text);
    text = CardText(file, span, "UID:" + uid);
  }
  ItemLocation item{folder, Store::ItemFileNameFor(uid, ".vcf")};
  if (PathExists(store.PathOf(item))) {
    ++count->present;  // a card with that UID is there: the address book's own stays
    return;
  }
  Status written = store.WriteItem(item, text);
  if (!written.ok()) {
    err << "olconn97 store: card " << number << ": " << written.description() << "\n";
    ++count->failed;
    return;
  }
  ++count->written;
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

int ImportCards(Application& app, const std::string& file, const std::string& folder_name,
                std::ostream& out, std::ostream& err) {
  const Store& store = *app.session()->store();
  Result<FolderRecord> folder =
      folder_name.empty() ? store.DefaultFolder(kFolderContacts) : store.FindFolder(folder_name);
  if (folder.ok() && folder.value().kind != FolderKind::kContacts) {
    folder = Status::InvalidArgument(folder.value().name + " is not a contacts folder");
  }
  if (!folder.ok()) {
    err << "olconn97 store: " << folder.status().description() << "\n";
    return 1;
  }
  std::string real = RealPath(file);
  Result<std::string> bytes =
      real.empty()
          ? Result<std::string>(Status::NotFound("cannot read " + file + ": it does not exist"))
          : ReadItemFile(real);
  Result<VCardFile> cards =
      bytes.ok() ? VCardFile::Parse(bytes.value()) : Result<VCardFile>(bytes.status());
  if (cards.ok() && cards.value().cards().empty()) {
    cards = Status::Corrupt(file + " holds no vCard: there is no BEGIN:VCARD line");
  }
  if (!cards.ok()) {
    err << "olconn97 store: " << cards.status().description() << "\n";
    return 1;
  }
  ImportCount count;
  int number = 0;
  for (const CardSpan& span : cards.value().cards()) {
    ImportCard(store, folder.value(), cards.value(), span, ++number, &count, err);
  }
  out << "Imported " << count.written << " of " << number << " cards into " << folder.value().name
      << " (" << store.PathOf(folder.value()) << ")";
  if (count.present > 0) out << "; " << count.present << " had a card there already (same UID)";
  out << "\n";
  return count.failed == 0 ? 0 : 1;
}

}  // namespace olconn97::pim
