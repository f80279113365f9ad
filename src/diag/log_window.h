// The developer log, FLog: one per process, created and loaded on first use
// through LogWindow().
//
// The user's "Developper" setting chooses the mode at load: "1" shows the
// window and keeps every line in its list LLog, "2" writes the lines to
// olconn97.log beside the driver (keeping the previous run's file as
// olconn97_o.log), anything else leaves the log off. Addlog and
// AddSimpleLog write whatever the mode; callers test gLogEnabled first (see
// diag/log.h, which does that for them).
//
// This is the window's model: the list, the title, visibility, the list's
// selection and geometry. A host that wants to see window-mode lines as
// they come sets a line observer.
//
// Runs on the host's thread only.
#ifndef OLCONN97_DIAG_LOG_WINDOW_H_
#define OLCONN97_DIAG_LOG_WINDOW_H_

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "base/status.h"
#include "outside/shell/shell.h"
#include "outside/ui/control.h"
#include "outside/ui/window_model.h"

namespace olconn97::diag {

// The log files, beside the driver's library.
inline constexpr std::string_view kLogFileName = "olconn97.log";
inline constexpr std::string_view kPreviousLogFileName = "olconn97_o.log";

// The list control LLog: its entries and where it sits, in twips.
struct LogList {
  std::vector<std::string> items;
  int list_index = -1;  // the selected entry, -1 for none
  int left = 60;
  int top = 60;
  int width = 8115;
  int height = 4740;
};

class FLog;

// The log window as drawn where a user sees windows (window mode): the
// list LLog in a resizable window that stays until the host ends.
class LogForm final : public ui::WindowModel {
 public:
  LogForm(ui::Desktop& desktop, FLog& log);
  ui::ListBox& LLog() { return *list_; }

 private:
  void CreateControls() override;
  void OnResize() override;

  FLog& log_;
  ui::ListBox* list_ = nullptr;
};

class FLog {
 public:
  using LineObserver = std::function<void(const std::string& line)>;

  FLog();
  ~FLog();  // unloads
  FLog(const FLog&) = delete;
  FLog& operator=(const FLog&) = delete;

  // Reads the log mode and prepares the window or the file. A log file that
  // cannot be opened is reported in a message box; the lines of this run
  // are then dropped.
  void Load();
  // Closes the log file.
  void Unload();

  // Writes "<local date> <local time>: <text>".
  void Addlog(std::string_view text);
  // Writes the text as it is; in window mode the new entry is selected.
  void AddSimpleLog(std::string_view text);

  // The window was resized: the list follows its width and height. A size
  // that leaves no room for the list is reported in a message box.
  void Resize(int width_twips, int height_twips);

  // Called with every line that reaches the list (window mode).
  void SetLineObserver(LineObserver observer) { observer_ = std::move(observer); }

  const std::string& title() const { return title_; }
  bool visible() const { return visible_; }
  bool LogToFile() const { return LogToFile_; }
  // Load has run: the mode is known.
  bool loaded() const { return loaded_; }
  const LogList& LLog() const { return LLog_; }
  // How often the window was repainted on the spot.
  int repaint_count() const { return repaint_count_; }
  // The drawn window, in window mode where windows are shown; else null.
  LogForm* form() const { return form_.get(); }

 private:
  void PrepareLogFile();
  // Starts the log file in `folder`, the previous one kept as the older
  // generation.
  Result<std::unique_ptr<shell::WritableFile>> OpenLogFileIn(const std::string& folder);
  void WriteWaitingLines();
  void AddToList(std::string line);
  void ShowListBounds();
  void WriteLine(std::string_view line);
  void ShowFailure(const Status& failure);

  std::string title_;
  bool visible_ = false;
  bool LogToFile_ = false;
  bool loaded_ = false;
  LogList LLog_;
  int repaint_count_ = 0;
  std::unique_ptr<shell::WritableFile> log_file_;
  LineObserver observer_;
  std::unique_ptr<LogForm> form_;
};

// The process's log window, loaded on first use.
FLog& LogWindow();

}  // namespace olconn97::diag

#endif  // OLCONN97_DIAG_LOG_WINDOW_H_
