// The program file's own roles behind the entry routine. Modes whose work is
// not built yet end at once.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "launcher/entry.h"

class MainView;

// What the program's window toolkit gives the roles; a part that is missing
// (or gives nothing: no display) leaves the role without a window.
struct TDesktop {
  // The main window as the run's view, or null.
  std::function<std::unique_ptr<MainView>()> CreateMainView;
  // The splash process's window for the working Config.ini.
  std::function<void(const std::string& configIni)> RunSplash;
};

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
};
