#include "diag/log_window.h"

#include <cerrno>

#include <cstdio>
#include <utility>

#include "core/data_paths.h"
#include "core/product_identity.h"
#include "core/settings.h"
#include "core/shared_state.h"
#include "outside/shell/clock.h"
#include "outside/ui/desktop.h"
#include "outside/ui/message_box.h"

namespace olconn97::diag {
namespace {

// The list keeps this margin to the window's edges.
constexpr int kListWidthMargin = 240;
constexpr int kListHeightMargin = 480;

enum class LogMode { kOff, kWindow, kFile };

// The window's client area in the design, in twips.
constexpr int kClientWidth = 8280;
constexpr int kClientHeight = 4890;

// Exactly "1" or "2": anything else, blanks and leading zeros included,
// leaves the log off.
LogMode ReadLogMode() {
  std::string mode = RegReadString(Hive::kCurrentUser, kPopupKey, "Developper");
  if (mode == "1") return LogMode::kWindow;
  if (mode == "2") return LogMode::kFile;
  return LogMode::kOff;
}

}  // namespace

LogForm::LogForm(ui::Desktop& desktop, FLog& log) : WindowModel(desktop, "FLog"), log_(log) {}

void LogForm::CreateControls() {
  set_caption(log_.title());
  set_bounds({0, 0, kClientWidth + ui::kWindowFrameWidth, kClientHeight + ui::kWindowFrameHeight});
  set_resizable(true);
  set_ends_with_host(true);  // nothing in the driver closes it
  list_ = &Add<ui::ListBox>("LLog");
  list_->set_check_boxes(false);
  const LogList& design = log_.LLog();
  list_->set_bounds({design.left, design.top, design.width, design.height});
}

void LogForm::OnResize() { log_.Resize(bounds().width, bounds().height); }

FLog::FLog() = default;

FLog::~FLog() { Unload(); }

void FLog::Load() {
  title_ = std::string(kDriverTitle) + " Log";
  switch (ReadLogMode()) {
    case LogMode::kOff:
      break;
    case LogMode::kWindow:
      Shared().gLogEnabled = true;
      LogToFile_ = false;
      visible_ = true;
      LLog_.items.clear();
      LLog_.list_index = -1;
      if (ui::Desktop& desktop = Shared().services.desktop(); desktop.backend().ShowsWindows()) {
        form_ = std::make_unique<LogForm>(desktop, *this);
        (void)form_->Show(ui::ShowMode::kModeless);  // modeless: cannot fail
      } else if (!observer_ && Shared().echo_log_window) {
        // Headless, the shown window is its lines on stderr.
        observer_ = [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); };
      }
      break;
    case LogMode::kFile:
      Shared().gLogEnabled = true;
      LogToFile_ = true;
      PrepareLogFile();
      break;
  }
  loaded_ = true;
  WriteWaitingLines();
}

// Lines that came while the mode was not known yet go in now, or nowhere.
void FLog::WriteWaitingLines() {
  std::vector<std::string> waiting = std::exchange(Shared().log_lines_waiting, {});
  if (!Shared().gLogEnabled) return;
  for (const std::string& line : waiting) Addlog(line);
}

// Keeps exactly one older generation: the previous run's log becomes
// olconn97_o.log and this run starts an empty olconn97.log. Beside the
// driver, as always; where the driver's folder is not the user's to write
// (an installed driver under /usr/lib), in the data folder instead, rather
// than no log at all.
void FLog::PrepareLogFile() {
  Result<std::unique_ptr<shell::WritableFile>> opened =
      OpenLogFileIn(Shared().services.shell().AppPath());
  const int refused = opened.ok() ? 0 : opened.status().os_error();
  if (refused == EACCES || refused == EPERM || refused == EROFS) {
    opened = OpenLogFileIn(DataPath());
  }
  if (!opened.ok()) {
    ShowFailure(opened.status());
    return;
  }
  log_file_ = std::move(opened).value();
}

Result<std::unique_ptr<shell::WritableFile>> FLog::OpenLogFileIn(const std::string& folder) {
  shell::Shell& shell = Shared().services.shell();
  const std::string current = folder + "/" + std::string(kLogFileName);
  const std::string previous = folder + "/" + std::string(kPreviousLogFileName);
  // Neither step matters when it fails: there may be no earlier log at all.
  static_cast<void>(shell.DeleteFile(previous));
  static_cast<void>(shell.CopyFile(current, previous, /*fail_if_exists=*/true));
  // Emptied, then written in append mode: another process that logs at the
  // same time (the phone host beside a command) writes at the end too, so
  // the lines of both stay whole instead of overwriting each other.
  Result<std::unique_ptr<shell::WritableFile>> opened =
      shell.OpenForWriting(current, shell::OpenMode::kTruncate);
  if (opened.ok()) {
    opened.value().reset();
    opened = shell.OpenForWriting(current, shell::OpenMode::kAppend);
  }
  return opened;
}

void FLog::Unload() {
  if (LogToFile_) log_file_.reset();
}

void FLog::Addlog(std::string_view text) {
  std::string line = shell::LocalDateTimeText(Shared().services.clock().Now());
  line += ": ";
  line += text;
  if (LogToFile_) {
    WriteLine(line);
    return;
  }
  AddToList(std::move(line));
  // The host may stay busy for a while: show the line now, not when the
  // message loop next runs.
  ++repaint_count_;
  if (form_) form_->Refresh();
}

void FLog::AddSimpleLog(std::string_view text) {
  if (LogToFile_) {
    WriteLine(text);
    return;
  }
  AddToList(std::string(text));
  LLog_.list_index = static_cast<int>(LLog_.items.size()) - 1;
  if (form_) (void)form_->LLog().set_list_index(LLog_.list_index);  // the row exists
}

void FLog::Resize(int width_twips, int height_twips) {
  const Status too_small = Status::InvalidArgument("Invalid property value");
  int width = width_twips - kListWidthMargin;
  if (width < 0) return ShowFailure(too_small);
  LLog_.width = width;
  ShowListBounds();
  int height = height_twips - kListHeightMargin;
  if (height < 0) return ShowFailure(too_small);
  LLog_.height = height;
  ShowListBounds();
}

void FLog::ShowListBounds() {
  if (form_) form_->LLog().set_bounds({LLog_.left, LLog_.top, LLog_.width, LLog_.height});
}

void FLog::AddToList(std::string line) {
  LLog_.items.push_back(std::move(line));
  if (form_) form_->LLog().AddItem(LLog_.items.back());
  if (observer_) observer_(LLog_.items.back());
}

// A line that cannot be written is dropped: the log must never disturb the
// operation that writes it.
void FLog::WriteLine(std::string_view line) {
  if (!log_file_) return;
  std::string terminated(line);
  terminated += "\r\n";
  if (log_file_->Append(terminated).ok()) static_cast<void>(log_file_->Flush());
}

void FLog::ShowFailure(const Status& failure) {
  // A failure of the driver's own making has the driver as its source.
  std::string source = failure.source().empty() ? std::string(kDriverTitle) : failure.source();
  ui::MessageBoxRecord box;
  box.text = "Error: " + failure.description() + " in " + source;
  box.caption = std::string(kDriverTitle);
  Shared().services.message_boxes().Show(box);
}

FLog& LogWindow() {
  SharedState& shared = Shared();
  if (!shared.log_window) {
    shared.log_window = std::make_unique<FLog>();
    shared.log_window->Load();
  }
  return *shared.log_window;
}

}  // namespace olconn97::diag
