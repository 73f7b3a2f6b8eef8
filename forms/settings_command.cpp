// The tray menu's Server Settings: the new address and port go into the
// program file through the command copy, which starts the program again.
// A program file that cannot be changed is said before anything stops.
#include "forms/main_form.h"
#include "forms/main_window_view.h"
#include "forms/settings_form.h"
#include "launcher/config.h"

void TfrmMain::mnuTray_SettingsClick() {
  MainWindowView* window = Window();
  if (!window) return;
  EnableTrayIcon(false);
  TfrmSettings dialog(window->Dialogs());
  // An edit of the working copy that was never stored is dropped.
  PrepareConfigIni();
  dialog.IP = ReadConfig("ip");
  try {
    dialog.Port = StrToInt(ReadConfig("port"));
  } catch (...) {
    dialog.Port = TfrmSettings::kMinPort;
  }
  if (window->ShowSettings(dialog) == mrOK) {
    ProcessMessages();
    std::string failure = WhyConfigCannotBeStored();
    if (failure.empty()) {
      WriteConfig("ip", dialog.IP);
      WriteConfig("port", std::to_string(dialog.Port));
      failure = HandOverConfig();
    }
    if (!failure.empty()) window->Dialogs().AppMessageBox(failure, kMbOk | kMbIconError);
  }
  EnableTrayIcon(true);
}
