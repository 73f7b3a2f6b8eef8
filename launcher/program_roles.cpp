#include "launcher/program_roles.h"

#include "launcher/desktop.h"
#include "launcher/main_form.h"
#include "launcher/main_view.h"
#include "launcher/process_start.h"
#include "launcher/setup_mode.h"
#include "packaging/patch_mode.h"
#include "util/hi.h"

void ProgramRoles::DownSize(const TArgs&) {}
void ProgramRoles::Splash(const std::string&) {}

void ProgramRoles::Setup(const TArgs& args) { RunSetup(args); }

void ProgramRoles::Patch(const std::string& modeWord, const std::string& target,
                         const std::string& source) {
  const std::string failure = RunPatchMode(modeWord, target, source, ProcessPendingMessages);
  if (!failure.empty()) ShowErrorMessage(failure);
}

bool ProgramRoles::FileExists(const std::string& path) { return THi::FileExists(path); }

void ProgramRoles::Relaunch() { RelaunchSelf(); }

// The launcher's run: start-up, the message loop, shut-down, the end.
void ProgramRoles::RunInteractive() {
  const std::unique_ptr<MainView> view = CreateBackgroundView();
  TfrmMain form(view.get());
  form.QuitApplication = [&view] { view->QuitApplication(); };
  form.FormCreate();
  view->RunMessageLoop();
  form.FormDestroy();
  THi::KillSelf();
}

void ProgramRoles::ProcessMessages() { ProcessPendingMessages(); }

void ProgramRoles::KillSelf() { THi::KillSelf(); }
