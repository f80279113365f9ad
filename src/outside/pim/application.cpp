#include <cstdio>

#include "outside/pim/item_classes.h"
#include "outside/pim/objects.h"
#include "outside/pim/windows.h"

namespace olconn97::pim {

namespace {

constexpr char kVersion[] = "1.0";

void PrintDisplay(const DisplayEvent& event) {
  const char* what = event.what == DisplayEvent::What::kItem     ? "showing item"
                     : event.what == DisplayEvent::What::kFolder ? "showing folder"
                                                                 : "closed item";
  std::fprintf(stderr, "olconn97: %s \"%s\": %s\n", what, event.caption.c_str(),
               event.path.c_str());
}

}  // namespace

Session::Session(std::shared_ptr<Store> store, ApplicationOptions options)
    : store_(std::move(store)), options_(std::move(options)) {}

void Session::Show(const DisplayEvent& event) const {
  if (options_.display) {
    options_.display(event);
  } else {
    PrintDisplay(event);
  }
}

void Session::ReportOnce(const std::string& path, std::string_view problem) {
  store_->ReportOnce(path, "olconn97: unreadable item " + path + ": " + std::string(problem));
}

Result<com::ComPtr<Application>> Application::Create(ApplicationOptions options) {
  OLC_ASSIGN_OR_RETURN(std::shared_ptr<Store> store,
                       Store::Open(options.store_folder, options.create_store, options.report));
  auto session = std::make_shared<Session>(std::move(store), std::move(options));
  return com::MakeObject<Application>(std::move(session));
}

Application::Application(std::shared_ptr<Session> session) : session_(std::move(session)) {}

std::string Application::Version() const { return kVersion; }

Result<com::ComPtr<NameSpace>> Application::GetNamespace(std::string_view type) {
  if (type != "MAPI") return Status::InvalidArgument("the only name space is \"MAPI\"");
  return com::MakeObject<NameSpace>(session_);
}

Result<com::ComPtr<Item>> Application::CreateItem(int kind) {
  int code = kind == kMailItem      ? kFolderDrafts
             : kind == kJournalItem ? kFolderJournal
             : kind == kContactItem ? kFolderContacts
                                    : -1;
  if (code < 0) return Status::InvalidArgument("unknown item kind " + std::to_string(kind));
  OLC_ASSIGN_OR_RETURN(FolderRecord folder, session_->store()->DefaultFolder(code));
  return NewItem(Context{session_->store(), session_}, std::move(folder), kind);
}

com::ComPtr<Inspector> Application::ActiveInspector() const {
  return session_->open_inspectors.empty() ? nullptr : session_->open_inspectors.back();
}

com::ComPtr<Explorer> Application::ActiveExplorer() const { return session_->explorer; }

Result<com::ComPtr<MAPIFolder>> NameSpace::GetDefaultFolder(int code) {
  OLC_ASSIGN_OR_RETURN(FolderRecord folder, session_->store()->DefaultFolder(code));
  return com::MakeObject<MAPIFolder>(context(), std::move(folder));
}

Result<com::ComPtr<Item>> NameSpace::GetItemFromID(std::string_view entry_id,
                                                   std::string_view store_id) {
  OLC_ASSIGN_OR_RETURN(ItemLocation location, session_->store()->ItemFromId(entry_id, store_id));
  return LoadItem(context(), location);
}

Result<com::ComPtr<MAPIFolder>> NameSpace::GetFolderFromID(std::string_view entry_id,
                                                           std::string_view store_id) {
  OLC_ASSIGN_OR_RETURN(FolderRecord folder, session_->store()->FolderFromId(entry_id, store_id));
  return com::MakeObject<MAPIFolder>(context(), std::move(folder));
}

com::ComPtr<Folders> NameSpace::TopFolders() {
  FolderRecord top = session_->store()->Top();
  return com::MakeObject<Folders>(context(), std::vector<FolderRecord>{top}, FolderRecord{});
}

}  // namespace olconn97::pim
