// frmConfigPIM: the driver's configuration window, opened modeless by the
// host through Dataconnector_ConfigPIM. Its commands act at once on the
// contact cache: Synchronize refreshes it, Reinitialize reads the folder
// selection again and rebuilds it. It keeps no setting of its own, so OK
// and Cancel both just close it.
//
// Called on the UI thread only.
#ifndef OLCONN97_DRIVER_CONFIG_WINDOW_H_
#define OLCONN97_DRIVER_CONFIG_WINDOW_H_

#include "outside/ui/control.h"
#include "outside/ui/window_model.h"

namespace olconn97 {

class frmConfigPIM final : public ui::WindowModel {
 public:
  // The failure line of the folder selection command.
  static constexpr char kFolderSelFailureContext[] = "Error (btnFolderSel): ";

  explicit frmConfigPIM(ui::Desktop& desktop);

  // The controls; each accessor loads the window first.
  ui::Button& btnFolderSel();
  ui::Button& btnSynchro();
  ui::Button& btnInit();
  ui::Button& btnOK();
  ui::Button& btnCancel();
  ui::Frame& Frame1();

 private:
  void CreateControls() override;
  void OnLoad() override;

  void SelectFolders();
  void Synchronize();
  void Reinitialize();

  ui::Button* folder_sel_ = nullptr;
  ui::Button* synchro_ = nullptr;
  ui::Button* init_ = nullptr;
  ui::Button* ok_ = nullptr;
  ui::Button* cancel_ = nullptr;
  ui::Frame* frame_ = nullptr;
};

// The process's configuration window, created on the desktop on first use.
frmConfigPIM& ConfigWindow();

// Drops the configuration window, as a new process would. It lives outside
// the shared state, so ResetSharedStateForTesting does not reach it: a test
// that opened it calls this before its desktop goes.
void ResetConfigWindowForTesting();

}  // namespace olconn97

#endif  // OLCONN97_DRIVER_CONFIG_WINDOW_H_
