// The program file's own roles behind the entry routine: each mode wired to
// its work, and the interactive launcher to the desktop's windows.
#pragma once

#include <string>

#include "forms/desktop.h"
#include "launcher/entry.h"

class ProgramRoles : public EntryRoles {
 public:
  explicit ProgramRoles(TDesktop desktop = {}) : desktop_(std::move(desktop)) {}

  void DownSize(const TArgs& flags) override;
  void Splash(const std::string& configIni) override;
  void Guard(const TArgs& args) override;
  void Setup(const TArgs& args) override;
  void Patch(const std::string& modeWord, const std::string& target,
             const std::string& source) override;
  bool FileExists(const std::string& path) override;
  void Relaunch() override;
  void RunInteractive() override;
  void ProcessMessages() override;
  void KillSelf() override;

 private:
  TDesktop desktop_;
  // Not 0 once a mode has failed: the process ends with it.
  int exitCode_ = 0;
};
