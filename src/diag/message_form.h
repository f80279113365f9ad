// frmMessageForm: the driver's own message box. A small modeless window
// with an icon (information, warning or fatal error), the message, a title
// and OK. It sizes itself to the length of the message, and when it loses
// the activation it comes back to the front once, 12 seconds later, so that
// a message raised during a call is not lost behind other windows.
//
//   std::string title = kNoTitle;
//   diag::MessageForm().MsgFrm(text, kMessageWarning, title);
//   // title now holds the product name; the window is shown, the call
//   // has returned, the user answers whenever they like.
//
// The window is one per process (MessageForm()); OK unloads it, and the
// next MsgFrm loads it afresh from its design. MsgFrm on a window still
// loaded starts from the size the previous message left it at: its caller
// asks Shared().services.desktop().IsLoaded(kMessageFormName) first and
// only shows a loaded window again.
//
// Where no user sees the windows (headless), each MsgFrm also prints
// "caption: text" on stderr, through the process's message boxes.
//
// Called on the UI thread only.
#ifndef OLCONN97_DIAG_MESSAGE_FORM_H_
#define OLCONN97_DIAG_MESSAGE_FORM_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "outside/ui/control.h"
#include "outside/ui/timer_control.h"
#include "outside/ui/window_model.h"

namespace olconn97::diag {

inline constexpr std::string_view kMessageFormName = "frmMessageForm";
// A title that asks for the product name.
inline constexpr std::string_view kNoTitle = "__NO_TITLE__";

// The Kind of MsgFrm; any value but these two shows the fatal error icon.
inline constexpr int32_t kMessageWarning = 0;
inline constexpr int32_t kMessageInformation = 1;
inline constexpr int32_t kMessageFatal = 2;

class frmMessageForm final : public ui::WindowModel {
 public:
  static constexpr int kBringToFrontInterval = 12000;  // milliseconds

  explicit frmMessageForm(ui::Desktop& desktop);

  // Loads the window if needed, fills and sizes it for `message` and shows
  // it modeless; returns at once. A `title` of exactly kNoTitle is replaced,
  // in the caller's variable too, by the product name.
  void MsgFrm(std::string_view message, int32_t kind, std::string& title);

  // The controls; each accessor loads the window first.
  ui::Image& ImgInfo();
  ui::Image& ImgWarning();
  ui::Image& ImgFatal();
  ui::TextBox& Information();
  ui::PictureBox& PictureTextBox();
  ui::Button& CmdOK();
  ui::TimerControl& TimerBringToFront();

 private:
  void CreateControls() override;
  void OnLoad() override;
  void OnDeactivate() override;

  void ShowIcon(int32_t kind);
  void FitToMessage(std::string_view message);
  void SayWhereNoOneSees(std::string_view message, int32_t kind);

  ui::Image* info_ = nullptr;
  ui::Image* warning_ = nullptr;
  ui::Image* fatal_ = nullptr;
  ui::TextBox* information_ = nullptr;
  ui::PictureBox* picture_ = nullptr;
  ui::Button* ok_ = nullptr;
  ui::TimerControl* bring_to_front_ = nullptr;
};

// The process's message window, created on the desktop on first use and
// loaded by its first MsgFrm.
frmMessageForm& MessageForm();

}  // namespace olconn97::diag

#endif  // OLCONN97_DIAG_MESSAGE_FORM_H_
