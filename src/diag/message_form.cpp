#include "diag/message_form.h"

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>

#include "core/product_identity.h"
#include "core/shared_state.h"
#include "diag/localize.h"
#include "outside/ui/desktop.h"
#include "outside/ui/message_box.h"
#include "outside/ui/window_backend.h"

namespace olconn97::diag {

namespace {

// The window's design, in twips (outer sizes). The text box holds four
// lines of the design font, a quarter of its height each; a shorter message
// gives up the lines it does not need, and the window and OK move up by as
// much. The information icon sits left of the text; the warning and fatal
// icons are parked hidden beside OK, and the one a message shows takes the
// information icon's place.
constexpr ui::Bounds kWindowBounds{0, 0, 6690, 2640};
constexpr ui::Bounds kInfoIconBounds{240, 240, 480, 480};
constexpr ui::Bounds kWarningIconBounds{240, 1560, 480, 480};
constexpr ui::Bounds kFatalIconBounds{840, 1560, 480, 480};
constexpr ui::Bounds kInformationBounds{960, 240, 5400, 1200};
constexpr ui::Bounds kPictureBounds{960, 1560, 1215, 375};
constexpr ui::Bounds kOkBounds{2692, 1560, 1215, 375};
// The font of the message; the measuring box is designed without one of its
// own and is given this one's name before each measure.
constexpr char kDesignFont[] = "Sans Serif";

// Added once per line beyond the first: what word wrapping loses at the
// end of a line.
constexpr std::string_view kSlackText = "||";
// The text box's design height holds this many lines; a message that needs
// as many or more keeps it.
constexpr int kDesignLines = 4;

ui::MessageIcon IconFor(int32_t kind) {
  switch (kind) {
    case kMessageInformation:
      return ui::MessageIcon::kInformation;
    case kMessageWarning:
      return ui::MessageIcon::kExclamation;
    default:
      return ui::MessageIcon::kCritical;
  }
}

int Round(double twips) { return static_cast<int>(std::lround(twips)); }

}  // namespace

frmMessageForm::frmMessageForm(ui::Desktop& desktop)
    : WindowModel(desktop, std::string(kMessageFormName)) {}

ui::Image& frmMessageForm::ImgInfo() {
  Load();
  return *info_;
}

ui::Image& frmMessageForm::ImgWarning() {
  Load();
  return *warning_;
}

ui::Image& frmMessageForm::ImgFatal() {
  Load();
  return *fatal_;
}

ui::TextBox& frmMessageForm::Information() {
  Load();
  return *information_;
}

ui::PictureBox& frmMessageForm::PictureTextBox() {
  Load();
  return *picture_;
}

ui::Button& frmMessageForm::CmdOK() {
  Load();
  return *ok_;
}

ui::TimerControl& frmMessageForm::TimerBringToFront() {
  Load();
  return *bring_to_front_;
}

void frmMessageForm::CreateControls() {
  set_caption("frmMessageForm");
  set_bounds(kWindowBounds);
  auto add_icon = [this](const char* name, ui::StandardPicture picture, const ui::Bounds& bounds,
                         bool visible) {
    ui::Image& icon = Add<ui::Image>(name);
    icon.set_picture(picture);
    icon.set_bounds(bounds);
    icon.set_visible(visible);
    return &icon;
  };
  info_ = add_icon("ImgInfo", ui::StandardPicture::kInformation, kInfoIconBounds, true);
  warning_ = add_icon("ImgWarning", ui::StandardPicture::kWarning, kWarningIconBounds, false);
  fatal_ = add_icon("ImgFatal", ui::StandardPicture::kCritical, kFatalIconBounds, false);
  information_ = &Add<ui::TextBox>("Information");
  information_->set_bounds(kInformationBounds);
  information_->set_font_name(kDesignFont);
  information_->set_multi_line(true);
  picture_ = &Add<ui::PictureBox>("PictureTextBox");
  picture_->set_bounds(kPictureBounds);
  picture_->set_visible(false);
  ok_ = &Add<ui::Button>("CmdOK");
  ok_->set_text("#01000#OK");
  ok_->set_bounds(kOkBounds);
  ok_->on_click = [this] { Unload(); };
  // Designed enabled: it runs from the load, so even a window that never
  // had the activation comes to the front once.
  bring_to_front_ = &Add<ui::TimerControl>("TimerBringToFront");
  (void)bring_to_front_->SetInterval(kBringToFrontInterval);  // within range: cannot fail
  bring_to_front_->on_tick = [this] {
    SetForeground();
    bring_to_front_->set_enabled(false);
  };
}

void frmMessageForm::OnLoad() {
  SetFormCharset(*this);
  (void)TextResources().LocalizeForm(*this);  // fails only for a window not loaded
  set_caption(ProductName());
}

void frmMessageForm::OnDeactivate() { bring_to_front_->set_enabled(true); }

void frmMessageForm::MsgFrm(std::string_view message, int32_t kind, std::string& title) {
  Load();
  if (title == kNoTitle) title = ProductName();
  ShowIcon(kind);
  information_->set_text(std::string(message));
  set_caption(title);
  FitToMessage(message);
  // A modeless show fails only for a window that unloads itself while
  // loading, which this one never does.
  (void)Show(ui::ShowMode::kModeless);
  SayWhereNoOneSees(message, kind);
}

void frmMessageForm::ShowIcon(int32_t kind) {
  if (kind == kMessageInformation) {
    info_->set_visible(true);
    return;
  }
  info_->set_visible(false);
  ui::Image& icon = kind == kMessageWarning ? *warning_ : *fatal_;
  ui::Bounds at = icon.bounds();
  at.top = info_->bounds().top;
  if (kind != kMessageWarning) at.left = info_->bounds().left;
  icon.set_bounds(at);
  icon.set_visible(true);
}

void frmMessageForm::FitToMessage(std::string_view message) {
  // Starts from the text box as it is: a window still loaded from an
  // earlier message has already given up some of its lines.
  const double height = information_->bounds().height;
  // Only the font's name is taken; the back end measures in twips.
  picture_->set_font_name(information_->font_name());
  ui::WindowBackend& backend = desktop().backend();
  const int64_t width = backend.TextWidth(picture_->font_name(), message);
  const int64_t slack = backend.TextWidth(picture_->font_name(), kSlackText);
  const int64_t box_width = information_->bounds().width;
  int lines = 1;
  while (lines < kDesignLines && width + (lines - 1) * slack >= lines * box_width) ++lines;
  if (lines == kDesignLines) return;

  const double new_height = (lines * height) / kDesignLines;
  const double gained = height - new_height;
  ui::Bounds box = information_->bounds();
  box.height = Round(new_height);
  information_->set_bounds(box);
  ui::Bounds window = bounds();
  window.height = Round(window.height - gained);
  set_bounds(window);
  ui::Bounds ok = ok_->bounds();
  ok.top = Round(ok.top - gained);
  ok_->set_bounds(ok);
}

void frmMessageForm::SayWhereNoOneSees(std::string_view message, int32_t kind) {
  // Headless the window is shown to no one, and a message for the user must
  // not be lost: it goes the way headless message boxes go, "caption: text"
  // on stderr (the process's message boxes print them so, and tests record
  // them). The printed box does not wait for anyone, so MsgFrm still returns
  // at once. Said here, not when the back end shows a window, so each
  // message is said once: showing the window again says nothing new. Where
  // the windows are drawn the window is the message itself.
  if (desktop().backend().ShowsWindows()) return;
  ui::MessageBoxRecord box;
  box.text = std::string(message);
  box.caption = caption();
  box.icon = IconFor(kind);
  Shared().services.message_boxes().Show(box);
}

frmMessageForm& MessageForm() {
  Owned<frmMessageForm>& window = Shared().message_form;
  if (!window) window = std::make_unique<frmMessageForm>(Shared().services.desktop());
  return *window;
}

}  // namespace olconn97::diag
