#include "outside/pim/windows.h"

#include <algorithm>

#include "outside/ui/desktop.h"

namespace olconn97::pim {

namespace {

std::shared_ptr<Session> SessionOf(const Context& context) { return context.session.lock(); }

Status NoSession() { return Status::Unavailable("the store's application is closed"); }

// The desktop the session's windows are drawn on, or null when they are
// reported headless.
ui::Desktop* DrawingDesktop(const Session& session) {
  ui::Desktop* desktop = session.options().desktop ? session.options().desktop() : nullptr;
  return desktop != nullptr && desktop->backend().ShowsWindows() ? desktop : nullptr;
}

// Keeps `object` alive until the message loop next runs: a window's own
// event may drop the last reference to the object that owns the window.
template <typename T>
void ReleaseLater(ui::Desktop& desktop, T* object) {
  desktop.loop().Post([keep = com::ComPtr<T>(object)] {});
}

}  // namespace

Status Inspector::Display() {
  std::shared_ptr<Session> session = SessionOf(item_->context());
  if (!session) return NoSession();
  // A new item is saved in its folder first (a new mail in Drafts), so the
  // file shown is where the user finds it, and nothing is lost when the
  // window goes.
  if (!item_->saved()) OLC_RETURN_IF_ERROR(item_->Save());
  auto& open = session->open_inspectors;
  open.erase(std::remove(open.begin(), open.end(), com::ComPtr<Inspector>(this)), open.end());
  open.push_back(com::ComPtr<Inspector>(this));  // the last one shown is the active one
  displayed_ = true;
  ui::Desktop* desktop = DrawingDesktop(*session);
  if (desktop == nullptr) {
    session->Show({DisplayEvent::What::kItem, item_->path(), item_->Caption()});
    return Status::Ok();
  }
  if (!window_) {
    window_ = std::make_unique<ItemWindow>(*desktop, item_, [this] {
      Result<bool> close = AskAndSave();
      if (!close.ok() || !close.value()) return false;
      ReleaseLater(window_->desktop(), this);
      Forget();
      return true;
    });
  }
  window_->Unload();  // shown again, it reads the item afresh
  OLC_RETURN_IF_ERROR(window_->Show(ui::ShowMode::kModeless));
  window_->SetForeground();
  return Status::Ok();
}

Result<bool> Inspector::AskAndSave() {
  if (!window_ || !window_->visible() || !item_->Edited()) return true;
  const ui::Answer answer = window_->desktop().backend().AskYesNoCancel(
      item_->Caption(), "Do you want to save the changes to \"" + item_->Caption() + "\"?");
  if (answer == ui::Answer::kCancel) return false;
  if (answer == ui::Answer::kYes) OLC_RETURN_IF_ERROR(item_->Save());
  return true;
}

Status Inspector::Close(int mode) {
  if (mode == kCloseSave) OLC_RETURN_IF_ERROR(item_->Save());
  if (mode == kClosePromptForSave) {
    OLC_ASSIGN_OR_RETURN(bool close, AskAndSave());
    if (!close) return Status::Ok();  // the user keeps the window open
  }
  Forget();
  if (window_) window_->Unload();
  return Status::Ok();
}

void Inspector::Forget() {
  std::shared_ptr<Session> session = SessionOf(item_->context());
  if (session) {
    auto& open = session->open_inspectors;
    bool was_open = std::find(open.begin(), open.end(), com::ComPtr<Inspector>(this)) != open.end();
    open.erase(std::remove(open.begin(), open.end(), com::ComPtr<Inspector>(this)), open.end());
    if (was_open && !window_) session->Show({DisplayEvent::What::kClosed, item_->path(), item_->Caption()});
  }
  displayed_ = false;
}

Status Explorer::SetCurrentFolder(com::ComPtr<MAPIFolder> folder) {
  if (!folder) return Status::InvalidArgument("an explorer needs a folder");
  folder_ = std::move(folder);
  std::shared_ptr<Session> session = SessionOf(folder_->context());
  if (session && session->explorer.get() == this && !ShowWindow()) {
    session->Show({DisplayEvent::What::kFolder, folder_->path(), folder_->Name()});
  }
  return Status::Ok();
}

Status Explorer::Display() {
  std::shared_ptr<Session> session = SessionOf(folder_->context());
  if (!session) return NoSession();
  session->explorer = com::ComPtr<Explorer>(this);
  if (!ShowWindow()) session->Show({DisplayEvent::What::kFolder, folder_->path(), folder_->Name()});
  return Status::Ok();
}

bool Explorer::ShowWindow() {
  std::shared_ptr<Session> session = SessionOf(folder_->context());
  ui::Desktop* desktop = session ? DrawingDesktop(*session) : nullptr;
  if (desktop == nullptr) return false;
  std::weak_ptr<Session> weak = session;
  // A new window for the folder now current; the one it replaces goes.
  window_ = std::make_unique<FolderView>(*desktop, folder_, [this, weak] {
    std::shared_ptr<Session> closing = weak.lock();
    if (!closing || closing->explorer.get() != this) return;
    ReleaseLater(window_->desktop(), this);
    closing->explorer = nullptr;
  });
  // Modeless: a show that cannot fail.
  (void)window_->Show(ui::ShowMode::kModeless);
  window_->SetForeground();
  return true;
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
