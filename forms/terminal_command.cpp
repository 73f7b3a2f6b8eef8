// The tray menu's terminal: a window of its own with the stack's command line.
#include "commands/commands.h"
#include "forms/main_form.h"
#include "forms/main_window_view.h"
#include "util/command_line.h"

void TfrmMain::mnuTray_TerminalClick() {
  MainWindowView* window = Window();
  const std::vector<std::string> start = commands::TerminalStart();
  std::string params;
  for (std::size_t i = 1; i < start.size(); ++i) params += (i > 1 ? " " : "") + QuoteArgument(start[i]);
  if (THi::RunProgram(start[0], params, "", kShowNormal) != 0 || !window) return;
  window->Dialogs().AppMessageBox("The terminal could not be started (" + start[0] + ").",
                                  kMbOk | kMbIconError);
}
