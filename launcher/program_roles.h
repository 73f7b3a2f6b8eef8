// The program file's own roles behind the entry routine. Modes whose work is
// not built yet end at once.
#pragma once

#include "launcher/entry.h"

class ProgramRoles : public EntryRoles {
 public:
  void DownSize(const TArgs& flags) override;
  void Splash(const std::string& configIni) override;
  void Setup(const TArgs& args) override;
  void Patch(const std::string& modeWord, const std::string& target,
             const std::string& source) override;
  bool FileExists(const std::string& path) override;
  void Relaunch() override;
  void RunInteractive() override;
  void ProcessMessages() override;
  void KillSelf() override;
};
