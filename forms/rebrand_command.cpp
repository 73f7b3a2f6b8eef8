// The toolbar's Rebrand: the dialog edits Brand.ini, which then becomes the
// configuration of a branded copy of the stack built in the output folder.
#include <exception>

#include "forms/brand_form.h"
#include "forms/main_form.h"
#include "forms/main_window_view.h"
#include "launcher/config.h"
#include "packaging/brand_builder.h"
#include "packaging/brand_ini.h"
#include "util/text.h"

std::string TfrmMain::ReadBrand(const std::string& key) const {
  return THi::ReadIniValue(FBrandIni, kBrandSection, key);
}

void TfrmMain::WriteBrand(const std::string& key, const std::string& value) {
  THi::WriteIniValue(FBrandIni, kBrandSection, key, value);
}

std::string TfrmMain::GetDefaultOutputDir() { return DefaultBrandOutputDir(); }

std::string TfrmMain::ExtractDefaultIcon() { return ExtractDefaultBrandIcon(); }

void TfrmMain::btnBrandClick() { DoRebrand(); }

void TfrmMain::DoRebrand() {
  MainWindowView* window = Window();
  if (!window) return;
  DialogServices& dialogs = window->Dialogs();
  EnableTrayIcon(false);
  TfrmBrand form(dialogs);
  form.SplashFileName = ReadBrand("splashfilename");
  form.Title = ReadBrand("title");
  form.IconFile = ReadBrand("iconfile");
  form.Toolbar = ReadBrand("toolbar");
  form.StatusBar = ReadBrand("statusbar");
  form.TrayIcon = ReadBrand("trayicon");
  form.FullScreen = ReadBrand("fullscreen");
  form.IP = ReadBrand("ip");
  try {
    form.Port = StrToInt(ReadBrand("port"));
  } catch (...) {
    form.Port = 80;  // the default Brand.ini starts with
  }
  form.DataDir = ReadBrand("datadir");
  form.SrcDir = ReadBrand("srcdir");
  form.OutputDir = ReadBrand("outputdir");
  form.CopyFiles = ReadBrand("copyfilestoharddisk");
  form.DevTools = ReadBrand("devtools");

  const TModalResult result = window->ShowBrand(form);
  ProcessMessages();
  dialogs.SetBusy(true);
  ProcessMessages();
  if (result == mrOK) {
    try {
      WriteBrand("splashfilename", QuotedValue(form.SplashFileName));
      WriteBrand("title", QuotedValue(form.Title));
      WriteBrand("iconfile", QuotedValue(form.IconFile));
      WriteBrand("toolbar", form.Toolbar);
      WriteBrand("statusbar", form.StatusBar);
      WriteBrand("trayicon", form.TrayIcon);
      WriteBrand("fullscreen", form.FullScreen);
      WriteBrand("ip", form.IP);
      WriteBrand("port", std::to_string(form.Port));
      WriteBrand("datadir", QuotedValue(form.DataDir));
      WriteBrand("srcdir", QuotedValue(form.SrcDir));
      WriteBrand("outputdir", QuotedValue(form.OutputDir));
      WriteBrand("copyfilestoharddisk", form.CopyFiles);
      WriteBrand("devtools", form.DevTools);
      // The copy takes the live data: a backup of it comes first where the
      // stack's database server runs (without one there is nothing live to
      // lose, and nothing to dump from). The backup ends the busy state.
      bool go = true;
      if (FMySqlPid != 0) {
        go = AutomaticBackup("Rebrand");
        dialogs.SetBusy(true);
        ProcessMessages();
      }
      if (go)
        BuildBrandedCopy({form.SplashFileName, form.IconFile, form.SrcDir, form.DataDir, form.OutputDir,
                          FBrandIni, [this] { return StopDatabaseServer(); }, [this] { RestartDatabaseServer(); },
                          [&dialogs](const std::string& question) {
                            return dialogs.AppMessageBox(question, kMbYesNo | kMbIconQuestion) == mrYes;
                          }});
    } catch (const std::exception& e) {
      dialogs.AppMessageBox(e.what(), kMbOk | kMbIconError);
    }
  }
  dialogs.SetBusy(false);
  ProcessMessages();
  EnableTrayIcon(true);
}
