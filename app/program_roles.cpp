#include "app/program_roles.h"

#include "forms/main_form.h"
#include "forms/main_view.h"
#include "commands/commands.h"
#include "launcher/mode_services.h"
#include "launcher/process_start.h"
#include "launcher/setup_mode.h"
#include "launcher/start_hook.h"
#include "packaging/down_size_worker.h"
#include "packaging/patch_mode.h"
#include "util/child_guard.h"
#include "util/hi.h"
#include "util/message_pump.h"
#include "util/quit_signals.h"

ProgramRoles::ProgramRoles(TDesktop desktop) : desktop_(std::move(desktop)) {}

ProgramRoles::~ProgramRoles() = default;

void ProgramRoles::DownSize(const TArgs& flags) {
  TDownSizeRun run;
  run.programFile = THi::GetProgramFile();
  run.processMessages = ProcessPendingMessages;
  run.showFailure = [this](const std::string& text) {
    ShowErrorMessage(text);
    exitCode_ = 1;
  };
  RunDownSizeWorker(flags, run);
}

void ProgramRoles::Splash(const std::string& configIni) {
  if (desktop_.RunSplash) desktop_.RunSplash(configIni);
}

void ProgramRoles::Guard(const TArgs& args) { RunChildGuard(args); }

void ProgramRoles::Command(const TArgs& args) { exitCode_ = commands::RunCommand(args, StartFolder()); }

void ProgramRoles::Setup(const TArgs& args) {
  const TSetupResult result = RunSetup(args);
  if (result.failure.empty()) return;
  if (!result.handedOn) ShowErrorMessage(result.failure);
  exitCode_ = 1;
}

void ProgramRoles::Patch(const std::string& modeWord, const std::string& target,
                         const std::string& source) {
  const std::string failure = RunPatchMode(modeWord, target, source, ProcessPendingMessages);
  if (failure.empty()) return;
  ShowErrorMessage(failure);
  exitCode_ = 1;
}

bool ProgramRoles::FileExists(const std::string& path) { return THi::FileExists(path); }

void ProgramRoles::Relaunch() { RelaunchSelf(); }

// The application window: the desktop's main window, or without a window
// (no display, no desktop) the background view. The start hook sees it first.
// The servers start before it: loading the toolkit and the browser engine
// and building the window take as long as the servers take to come up.
void ProgramRoles::InitializeApplication() {
  HoldQuitSignals();
  form_ = std::make_unique<TfrmMain>();
  form_->StartServers();
  view_ = desktop_.CreateMainView ? desktop_.CreateMainView() : nullptr;
  if (!view_) view_ = CreateBackgroundView(desktop_.WhyNoWindow ? desktop_.WhyNoWindow() : std::string());
  RunStartHook(*view_);
}

// The launcher's run: start-up, the message loop, shut-down, the end.
void ProgramRoles::RunInteractive() {
  if (!view_) InitializeApplication();
  MainView& view = *view_;
  TfrmMain& form = *form_;
  form.AttachView(&view);
  view.Attach(form);
  form.QuitApplication = [&view] { view.QuitApplication(); };
  form.FormCreate();
  view.RunMessageLoop();
  form.FormDestroy();
  THi::KillSelf(form.FExitCode);
}

void ProgramRoles::ProcessMessages() { ProcessPendingMessages(); }

void ProgramRoles::KillSelf() { THi::KillSelf(exitCode_); }
