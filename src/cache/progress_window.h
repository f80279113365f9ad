// frmCreateCache: the small window that runs a cache walk and shows its
// progress. Loading it starts a one-shot 250 ms timer; its tick starts the
// walk (a rebuild in CreateMode, else a refresh) on the host's message
// loop, so the call that asked for the walk has long returned. The user
// cannot close it; it unloads itself when the walk is done.
//
// Headless, the window is a progress line on stderr when stderr is a
// terminal (folder, contact, count), and silent otherwise.
#ifndef OLCONN97_CACHE_PROGRESS_WINDOW_H_
#define OLCONN97_CACHE_PROGRESS_WINDOW_H_

#include <string>

#include "outside/ui/control.h"
#include "outside/ui/loop_clock.h"
#include "outside/ui/timer_control.h"
#include "outside/ui/window_model.h"

namespace olconn97 {

class frmCreateCache final : public ui::WindowModel {
 public:
  static constexpr int kStartDelay = 250;  // milliseconds

  explicit frmCreateCache(ui::Desktop& desktop);

  // True: a full rebuild; false: an incremental refresh.
  bool CreateMode = false;

  // Runs the walk (the timer's first tick calls it).
  void Start();
  // Whether a walk is under way (it yields to the message loop after each contact).
  bool walking() const { return walking_; }

  // What the walks show.
  void ShowFolder(const std::string& name, int item_count);
  void ShowContact(const std::string& name, int position);
  void ShowFolderDone();

  ui::Label& FolderLbl() { return *folder_label_; }
  ui::Label& ContactLbl() { return *contact_label_; }
  ui::ProgressBar& ProgressBar() { return *progress_; }
  ui::Animation& Animation1() { return *animation_; }
  ui::TimerControl& Timer() { return *timer_; }

 private:
  void CreateControls() override;
  void OnLoad() override;
  bool OnQueryUnload(ui::UnloadMode mode) override;
  void PrintProgress(bool final_line);

  ui::Label* folder_label_ = nullptr;
  ui::Label* contact_label_ = nullptr;
  ui::ProgressBar* progress_ = nullptr;
  ui::Animation* animation_ = nullptr;
  ui::TimerControl* timer_ = nullptr;
  ui::LoopTime last_print_{};
  bool printed_ = false;
  bool walking_ = false;
};

// The process's progress window, created on first use.
frmCreateCache& ProgressWindow();

}  // namespace olconn97

#endif  // OLCONN97_CACHE_PROGRESS_WINDOW_H_
