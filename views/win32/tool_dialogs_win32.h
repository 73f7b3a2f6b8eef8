// The Win32 dialogs of the tools and the splash window: the main window's
// view calls these; each dialog attaches its view to the form, runs the
// form's FormShow and returns how the form closed it.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "forms/dialog_services.h"

class TfrmSettings;
class TfrmDownSize;
class TfrmBrand;

TModalResult RunSettingsDialog(HWND owner, TfrmSettings& form);
TModalResult RunDownSizeDialog(HWND owner, TfrmDownSize& form);
TModalResult RunBrandDialog(HWND owner, TfrmBrand& form);
// Message boxes, the hourglass and the pickers, owned by `owner`.
std::unique_ptr<DialogServices> CreateDialogServices(HWND owner, std::function<std::string()> appTitle);
// The splash process's window for the working Config.ini; returns when it ends.
void RunSplashWindow(const std::string& configIni);
