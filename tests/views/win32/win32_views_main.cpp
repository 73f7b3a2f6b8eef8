// The Win32 views' test program. Two verbs make it something else:
//   splash "<Config.ini>"     the splash process: runs the splash window and
//                             exits with 4 when that returns by itself
//   show <dialog> <ms> [dir]  shows the settings, downsize or brand dialog
//                             (Down Size offers what `dir` holds) for a while,
//                             to be looked at or photographed
#include <gtest/gtest.h>

#include <string>

#include "forms/brand_form.h"
#include "forms/down_size_form.h"
#include "forms/settings_form.h"
#include "launcher/process_start.h"
#include "util/hi.h"
#include "views/win32/tool_dialogs_win32.h"

namespace {

void CALLBACK CloseDialog(HWND, UINT, UINT_PTR, DWORD) {
  if (HWND dialog = FindWindowW(L"#32770", nullptr)) PostMessageW(dialog, WM_CLOSE, 0, 0);
}

int Show(const TArgs& args) {
  SetTimer(nullptr, 0, static_cast<UINT>(std::stoi(args[3])), &CloseDialog);
  auto services = CreateDialogServices(nullptr, [] { return std::string("Lodestack"); });
  if (args[2] == "settings") {
    TfrmSettings form(*services);
    form.IP = "127.0.0.1";
    RunSettingsDialog(nullptr, form);
  } else if (args[2] == "downsize") {
    TfrmDownSize form(*services, args.size() > 4 ? args[4] : THi::GetAppPath());
    RunDownSizeDialog(nullptr, form);
  } else if (args[2] == "brand") {
    TfrmBrand form(*services);
    form.Title = "My Program";
    form.IP = "127.0.0.1";
    form.Toolbar = form.StatusBar = "1";
    form.TrayIcon = form.FullScreen = form.CopyFiles = "0";
    RunBrandDialog(nullptr, form);
  } else {
    return 2;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  ProcessStart();
  const TArgs args = ProgramArguments();
  if (args.size() == 3 && args[1] == "splash") {
    RunSplashWindow(args[2]);
    return 4;
  }
  if (args.size() >= 4 && args[1] == "show") return Show(args);
  testing::InitGoogleTest(&argc, argv);
  const int failed = RUN_ALL_TESTS();
  ProcessEnd();
  return failed;
}
