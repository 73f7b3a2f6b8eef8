// The program file's own roles behind the entry routine: each mode wired to
// its work, and the interactive launcher to the desktop's windows.
#pragma once

#include <memory>
#include <string>

#include "forms/desktop.h"
#include "forms/main_form.h"
#include "launcher/entry.h"

class ProgramRoles : public EntryRoles {
 public:
  explicit ProgramRoles(TDesktop desktop = {});
  ~ProgramRoles() override;

  void DownSize(const TArgs& flags) override;
  void Splash(const std::string& configIni) override;
  void Guard(const TArgs& args) override;
  void Setup(const TArgs& args) override;
  void Patch(const std::string& modeWord, const std::string& target,
             const std::string& source) override;
  void Command(const TArgs& args) override;
  bool FileExists(const std::string& path) override;
  void Relaunch() override;
  void InitializeApplication() override;
  void RunInteractive() override;
  void ProcessMessages() override;
  void KillSelf() override;

 private:
  TDesktop desktop_;
  std::unique_ptr<MainView> view_;  // the application's window, once initialised
  std::unique_ptr<TfrmMain> form_;  // the run, whose servers start before the window
  // Not 0 once a mode has failed: the process ends with it.
  int exitCode_ = 0;
};
