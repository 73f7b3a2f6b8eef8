// The tray menu's Down Size: the chosen components are removed by a worker
// process of this program file, which waits for this one to end.
#include "forms/down_size_form.h"
#include "forms/main_form.h"
#include "forms/main_window_view.h"
#include "util/notice.h"

void TfrmMain::mnuTray_DownSizeClick() {
  MainWindowView* window = Window();
  if (!window) return;
  EnableTrayIcon(false);
  TfrmDownSize dialog(window->Dialogs(), THi::GetAppPath());
  // Removing MySQL or phpMyAdmin removes data: it is backed up first.
  constexpr int kMySql = 2 - kDownSizeFirstPosition, kPhpMyAdmin = 14 - kDownSizeFirstPosition;
  std::string said;
  if (window->ShowDownSize(dialog) == mrOK &&
      (!(dialog.Choice()[kMySql] || dialog.Choice()[kPhpMyAdmin]) || AutomaticBackup("Down Size", &said))) {
    // This window ends at once: the one the worker starts says where the backup went.
    HandOnStatusLine(said);
    const bool started =
        THi::RunProgram(THi::GetProgramFile(), DownSizeParameters(dialog.Choice()), "", kShowNormal) != 0;
    HandOnStatusLine("");
    if (started) {
      ProcessMessages();
      QuitApplication();
    } else {
      window->Dialogs().AppMessageBox("Down Size could not be started; nothing was removed.",
                                      kMbOk | kMbIconError);
    }
  }
  EnableTrayIcon(true);
}
