// The tray menu's Down Size: the chosen components are removed by a worker
// process of this program file, which waits for this one to end.
#include "forms/down_size_form.h"
#include "forms/main_form.h"
#include "forms/main_window_view.h"

void TfrmMain::mnuTray_DownSizeClick() {
  MainWindowView* window = Window();
  if (!window) return;
  EnableTrayIcon(false);
  TfrmDownSize dialog(window->Dialogs(), THi::GetAppPath());
  if (window->ShowDownSize(dialog) == mrOK) {
    THi::RunProgram(THi::GetProgramFile(), DownSizeParameters(dialog.Choice()), "", kShowNormal);
    ProcessMessages();
    QuitApplication();
  }
  EnableTrayIcon(true);
}
