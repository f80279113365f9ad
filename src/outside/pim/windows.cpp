#include "outside/pim/windows.h"

#include <algorithm>

namespace olconn97::pim {

namespace {

std::shared_ptr<Session> SessionOf(const Context& context) { return context.session.lock(); }

Status NoSession() { return Status::Unavailable("the store's application is closed"); }

}  // namespace

Status Inspector::Display() {
  std::shared_ptr<Session> session = SessionOf(item_->context());
  if (!session) return NoSession();
  // A headless window holds nothing of its own: a new item is saved in its
  // folder first (a new mail in Drafts), so the file shown is where the
  // user finds it, and nothing is lost when the window goes.
  if (!item_->saved()) OLC_RETURN_IF_ERROR(item_->Save());
  auto& open = session->open_inspectors;
  open.erase(std::remove(open.begin(), open.end(), com::ComPtr<Inspector>(this)), open.end());
  open.push_back(com::ComPtr<Inspector>(this));  // the last one shown is the active one
  displayed_ = true;
  session->Show({DisplayEvent::What::kItem, item_->path(), item_->Caption()});
  return Status::Ok();
}

Status Inspector::Close(int mode) {
  if (mode == kCloseSave) OLC_RETURN_IF_ERROR(item_->Save());
  std::shared_ptr<Session> session = SessionOf(item_->context());
  if (session) {
    auto& open = session->open_inspectors;
    bool was_open = std::find(open.begin(), open.end(), com::ComPtr<Inspector>(this)) != open.end();
    open.erase(std::remove(open.begin(), open.end(), com::ComPtr<Inspector>(this)), open.end());
    if (was_open) session->Show({DisplayEvent::What::kClosed, item_->path(), item_->Caption()});
  }
  displayed_ = false;
  return Status::Ok();
}

Status Explorer::SetCurrentFolder(com::ComPtr<MAPIFolder> folder) {
  if (!folder) return Status::InvalidArgument("an explorer needs a folder");
  folder_ = std::move(folder);
  std::shared_ptr<Session> session = SessionOf(folder_->context());
  if (session && session->explorer.get() == this) {
    session->Show({DisplayEvent::What::kFolder, folder_->path(), folder_->Name()});
  }
  return Status::Ok();
}

Status Explorer::Display() {
  std::shared_ptr<Session> session = SessionOf(folder_->context());
  if (!session) return NoSession();
  session->explorer = com::ComPtr<Explorer>(this);
  session->Show({DisplayEvent::What::kFolder, folder_->path(), folder_->Name()});
  return Status::Ok();
}

const com::MemberList<Inspector>& Inspector::Members() {
  using Self = Inspector;
  static const com::MemberList<Self> members({
      {"Display",
       [](Self& self, com::Arguments) -> Result<com::Variant> {
         OLC_RETURN_IF_ERROR(self.Display());
         return com::Variant();
       }},
      {"Close",
       [](Self& self, com::Arguments args) -> Result<com::Variant> {
         OLC_ASSIGN_OR_RETURN(com::Variant mode, com::Argument(args, 0));
         OLC_ASSIGN_OR_RETURN(int32_t code, mode.ToInt32());
         OLC_RETURN_IF_ERROR(self.Close(code));
         return com::Variant();
       }},
      {"CurrentItem",
       [](Self& self, com::Arguments) -> Result<com::Variant> {
         return com::ObjectValue(self.CurrentItem());
       }},
      {"Caption",
       [](Self& self, com::Arguments) -> Result<com::Variant> {
         return com::Variant::String(self.CurrentItem()->Caption());
       }},
  });
  return members;
}

const com::MemberList<Explorer>& Explorer::Members() {
  using Self = Explorer;
  static const com::MemberList<Self> members({
      {"CurrentFolder",
       [](Self& self, com::Arguments) -> Result<com::Variant> {
         return com::ObjectValue(self.CurrentFolder());
       },
       [](Self& self, com::Arguments, const com::Variant& value) -> Status {
         OLC_ASSIGN_OR_RETURN(com::ComPtr<IDispatch> object, value.ToDispatch());
         auto* folder = com::OwnObject<MAPIFolder>(object.get());
         if (folder == nullptr) return Status::InvalidArgument("not a folder of this store");
         return self.SetCurrentFolder(com::ComPtr<MAPIFolder>(folder));
       }},
      {"Display",
       [](Self& self, com::Arguments) -> Result<com::Variant> {
         OLC_RETURN_IF_ERROR(self.Display());
         return com::Variant();
       }},
  });
  return members;
}

}  // namespace olconn97::pim
