#include "cache/progress_window.h"

#include <unistd.h>

#include <cstdio>

#include "cache/data_cache.h"
#include "core/product_identity.h"
#include "core/shared_state.h"
#include "diag/localize.h"
#include "diag/log.h"
#include "diag/log_window.h"
#include "outside/textres/text_resources.h"

namespace olconn97 {

namespace {

constexpr char kClip[] = "/filecopy.gif";

// The window's design, in twips: the clip at the left, the two captions
// and what they name beside it, the progress bar across the bottom.
constexpr ui::Bounds kWindowBounds{0, 0, 5535, 1935};
constexpr ui::Bounds kAnimationBounds{120, 120, 960, 480};
constexpr ui::Bounds kLabel1Bounds{1200, 120, 900, 255};
constexpr ui::Bounds kFolderBounds{2100, 120, 3195, 255};
constexpr ui::Bounds kLabel3Bounds{1200, 420, 900, 255};
constexpr ui::Bounds kContactBounds{2100, 420, 3195, 255};
constexpr ui::Bounds kProgressBounds{120, 840, 5175, 300};

bool StderrIsTerminal() {
  static const bool terminal = isatty(STDERR_FILENO) == 1;  // asked once, not per contact
  return terminal;
}

}  // namespace

frmCreateCache::frmCreateCache(ui::Desktop& desktop) : WindowModel(desktop, "frmCreateCache") {}

void frmCreateCache::CreateControls() {
  set_caption(ProductName());
  set_bounds(kWindowBounds);
  Add<ui::Label>("Label1", kLabel1Bounds, "#15000#Folder:");
  folder_label_ = &Add<ui::Label>("FolderLbl", kFolderBounds);
  Add<ui::Label>("Label3", kLabel3Bounds, "#15001#Contact:");
  contact_label_ = &Add<ui::Label>("ContactLbl", kContactBounds);
  progress_ = &Add<ui::ProgressBar>("ProgressBar", kProgressBounds);
  animation_ = &Add<ui::Animation>("Animation1", kAnimationBounds);
  timer_ = &Add<ui::TimerControl>("Timer");
  timer_->on_tick = [this] {
    timer_->set_enabled(false);
    Start();
  };
}

void frmCreateCache::OnLoad() {
  SetFormCharset(*this);
  (void)TextResources().LocalizeForm(*this);
  Status clip = animation_->Open(Shared().services.shell().AppPath() + kClip);
  if (!clip.ok()) {
    // Written whether or not the log is on. Unlike the window this replaces,
    // a missing clip does not keep the walk from starting.
    diag::LogWindow().Addlog("Error: " + clip.description() + " In " +
                             (clip.source().empty() ? "frmCreateCache" : clip.source()));
  }
  (void)progress_->set_value(0);
  (void)timer_->SetInterval(kStartDelay);
  timer_->set_enabled(true);
}

bool frmCreateCache::OnQueryUnload(ui::UnloadMode mode) {
  return mode == ui::UnloadMode::kCode;  // the user cannot close it
}

void frmCreateCache::Start() {
  // One walk at a time: the timer that starts it is stopped first, and a
  // call while the walk yields to the message loop finds it running.
  timer_->set_enabled(false);
  if (walking_) return;
  walking_ = true;
  SharedState& shared = Shared();
  animation_->set_visible(true);
  (void)animation_->Play();
  SetForeground();
  if (DataCache* cache = shared.gDataCache.get()) {
    cache->Walk(CreateMode);
    cache->UpdateKeyChange();
  }
  ui::MessageLoop& loop = desktop().loop();
  loop.YieldOnce();
  animation_->Stop();
  animation_->set_visible(false);
  loop.YieldOnce();
  if (printed_) PrintProgress(true);
  walking_ = false;
  Unload();
}

void frmCreateCache::ShowFolder(const std::string& name, int item_count) {
  folder_label_->set_text(name);
  (void)progress_->set_min(0);
  (void)progress_->set_value(0);
  (void)progress_->set_max(item_count + 1);
  Refresh();
  PrintProgress(false);
}

void frmCreateCache::ShowContact(const std::string& name, int position) {
  contact_label_->set_text(name);
  (void)progress_->set_value(position);
  PrintProgress(false);
}

void frmCreateCache::ShowFolderDone() { (void)progress_->set_value(progress_->max()); }

void frmCreateCache::PrintProgress(bool final_line) {
  if (!StderrIsTerminal()) return;
  // The loop's clock: the one a test advances.
  ui::LoopTime now = desktop().loop().clock().Now();
  if (!final_line && printed_ && now - last_print_ < std::chrono::milliseconds(100)) return;
  last_print_ = now;
  printed_ = true;
  constexpr int kWidth = 24;
  int max = progress_->max() > 0 ? progress_->max() : 1;
  int filled = static_cast<int>(static_cast<long long>(progress_->value()) * kWidth / max);
  std::string bar(static_cast<size_t>(filled), '#');
  bar.resize(kWidth, '.');
  std::fprintf(stderr, "\r\033[K[%s] %s: %s (%d/%d)", bar.c_str(), folder_label_->text().c_str(),
               contact_label_->text().c_str(), progress_->value(), max - 1);
  if (final_line) std::fputc('\n', stderr);
  std::fflush(stderr);
}

frmCreateCache& ProgressWindow() {
  SharedState& shared = Shared();
  if (!shared.progress_window) {
    shared.progress_window = std::make_unique<frmCreateCache>(shared.services.desktop());
  }
  return *shared.progress_window;
}

}  // namespace olconn97
