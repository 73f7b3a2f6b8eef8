// resource_child: a program file carrying the launcher's built-in resources,
// which the tests patch, reopen and hand configurations to. Verbs:
//   (none)                      started as a reopened launcher: writes the
//                               configuration it now carries to "<own path>.started"
//   saveresource <name> <file>  writes its own data resource into the file
//   sleep <ms>                  keeps its program file in use for a while
//   prepare <file>              TfrmMain::PrepareConfigIni; writes the path
//   commandcopy <file>          TfrmMain::MakeCommandCopy; writes the copy's path
//   handover <ini> <file>       TfrmMain::HandOverConfig with <ini> as the
//                               working Config.ini; quitting writes <file>
//   bindir <file>               TfrmMain::ResolveBinDir, the work folder and the CD-ROM test
//   settings <file> <port>      Server Settings with a fake window whose dialog
//                               confirms the port; writes whether the
//                               launcher quit, and the message boxes
//   mainicon <file>             whether the system loads its own main icon
//   rebrand <file> <edit>=<text>...
//                               TfrmMain::DoRebrand with a fresh Brand.ini and
//                               a fake window whose dialog gets these edit
//                               texts (image, title, icon, srcdir, datadir,
//                               outputdir) and Go!; writes the rows' states,
//                               the message boxes and the Brand.ini path.
//                               answer=yes|no answers the next Yes/No box;
//                               mysqlpid=<id> is the database server to stop
//   /<mode> ...                 the program file's own command-line modes
// Files are written beside their target and renamed into place, so a test
// never reads half of one. Exit code 0 on success, 3 on a failure.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>

#include "app/program_roles.h"
#include "forms/fake_views.h"
#include "forms/main_form.h"
#include "forms/main_view.h"
#include "forms/settings_form.h"
#include "helpers/resource_child.h"
#include "launcher/entry.h"
#include "launcher/process_start.h"
#include "util/hi.h"

namespace {

namespace fs = std::filesystem;

fs::path U8Path(const std::string& utf8) {
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

int Write(const std::string& file, const std::string& text) {
  fs::path part = U8Path(file);
  part += ".part";
  {
    std::ofstream out(part, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out) return 3;
  }
  std::error_code error;
  fs::rename(part, U8Path(file), error);
  return error ? 3 : 0;
}

int Rebrand(const TArgs& args) {
  static const std::map<std::string, BrandView::TEdit> kEdits = {
      {"image", BrandView::kImage},     {"title", BrandView::kTitle},
      {"icon", BrandView::kIcon},       {"srcdir", BrandView::kSrcDir},
      {"datadir", BrandView::kDataDir}, {"outputdir", BrandView::kOutputDir}};
  fake::WindowedView view;
  TfrmMain form(&view);
  form.FBrandIni = form.WriteDefaultBrandIni();
  std::string rows;
  view.window.brand = [&](TfrmBrand& brand) {
    fake::BrandDialog dialog;
    brand.Attach(dialog);
    brand.FormShow();
    rows = std::string(dialog.rows[BrandView::kSrcDirRow] ? "1" : "0") +
           (dialog.rows[BrandView::kDataDirRow] ? "1" : "0");
    for (std::size_t i = 3; i < args.size(); ++i) {
      const auto eq = args[i].find('=');
      const std::string key = args[i].substr(0, eq);
      const std::string value = args[i].substr(eq + 1);
      if (key == "answer") {
        view.window.dialogs.answers.push_back(value == "yes" ? mrYes : mrNo);
      } else if (key == "devtools") {
        dialog.devTools = value == "1";
      } else if (key == "mysqlpid") {
        form.FMySqlPid = std::atoll(value.c_str());
      } else {
        dialog.edits[kEdits.at(key)] = value;
      }
    }
    brand.btnOKClick();
    return dialog.result;
  };
  form.DoRebrand();
  std::string boxes;
  for (const std::string& box : view.window.dialogs.TakeBoxes()) boxes += box + "\n";
  const auto& busy = view.window.dialogs.busyCalls;
  return Write(args[2], "rows=" + rows + "\nbusy=" + std::to_string(busy.size()) +
                            (busy.empty() || busy.back() ? "on" : "off") + "\nbrandini=" + form.FBrandIni +
                            "\n" + boxes);
}

int Settings(const TArgs& args) {
  fake::WindowedView view;
  TfrmMain form(&view);
  form.FConfigIni = form.PrepareConfigIni();
  bool quit = false;
  form.QuitApplication = [&] { quit = true; };
  view.window.settings = [&](TfrmSettings& dialog) {
    dialog.Port = std::atoi(args[3].c_str());
    return mrOK;
  };
  form.mnuTray_SettingsClick();
  std::string boxes;
  for (const std::string& box : view.window.dialogs.TakeBoxes()) boxes += box + "\n";
  return Write(args[2], std::string("quit=") + (quit ? "1" : "0") + "\n" + boxes);
}

int Run(const TArgs& args) {
  if (args.size() == 1) {
    std::string config;
    try {
      const std::string scratch = THi::GetProgramFile() + ".config";
      THi::SaveResourceToFile("res_Config_ini", scratch);
      config = THi::LoadFile(scratch);
      THi::DeleteFile(scratch);
    } catch (const std::exception& e) {
      config = std::string("error: ") + e.what();
    }
    return Write(THi::GetProgramFile() + ".started", config);
  }
  const std::string& verb = args[1];
  if (!verb.empty() && verb[0] == '/') {
    ProgramRoles roles;
    RunEntry(args, StartupShowCommand(), roles);
    return 0;
  }
  if (verb == "saveresource" && args.size() >= 4) {
    THi::SaveResourceToFile(args[2], args[3]);
    return 0;
  }
  if (verb == "sleep" && args.size() >= 3) {
    std::this_thread::sleep_for(std::chrono::milliseconds(std::atol(args[2].c_str())));
    return 0;
  }
  if (verb == "prepare" && args.size() >= 3) {
    TfrmMain form;
    return Write(args[2], form.PrepareConfigIni());
  }
  if (verb == "commandcopy" && args.size() >= 3) {
    TfrmMain form;
    return Write(args[2], form.MakeCommandCopy());
  }
  if (verb == "handover" && args.size() >= 4) {
    TfrmMain form;
    form.FConfigIni = args[2];
    int quit = 3;
    form.QuitApplication = [&] { quit = Write(args[3], "quit\n"); };
    form.HandOverConfig();
    return quit;
  }
  if (verb == "bindir" && args.size() >= 3) {
    TfrmMain form;
    const std::string bin = form.ResolveBinDir();
    return Write(args[2], "bindir=" + bin + "\nworkdir=" + THi::GetWorkDir() +
                              "\ncdrom=" + (THi::IsCdRom() ? "1" : "0") + "\n");
  }
  if (verb == "mainicon" && args.size() >= 3) return Write(args[2], OwnMainIconReport());
  if (verb == "settings" && args.size() >= 4) return Settings(args);
  if (verb == "rebrand" && args.size() >= 3) return Rebrand(args);
  return 2;
}

}  // namespace

int main() {
  ProcessStart();
  int code = 3;
  try {
    code = Run(ProgramArguments());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "resource_child: %s\n", e.what());
  }
  ProcessEnd();
  return code;
}
