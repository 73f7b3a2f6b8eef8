// The start hook: the chain of hooks the application's initialisation runs,
// and the rule that brings the window forward when the program was started
// by another process than the one the user works in.
#include "launcher/start_hook.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "launcher/run_view.h"

namespace {

class WindowsView : public RunView {
 public:
  void SetTitle(const std::string&) override {}
  void ProcessMessages() override {}
  void ShowError(const std::string&) override {}
  void OpenHome(const std::string&) override {}
  void RunMessageLoop() override {}
  void QuitApplication() override {}
  bool QuitRequested() const override { return false; }
  TWindowHandle ApplicationWindow() override { return 100; }
  TWindowHandle ForegroundWindow() override { return 200; }
};

TEST(StartHook, EachHookCallsTheOneInstalledBeforeItFirst) {
  // Hooks stay installed for the life of the process, so they share the log.
  auto log = std::make_shared<std::vector<std::string>>();
  ChainStartHook([log](RunView&) { log->push_back("first"); });
  ChainStartHook([log](RunView&) { log->push_back("second"); });
  WindowsView view;
  RunStartHook(view);
  EXPECT_EQ(*log, (std::vector<std::string>{"first", "second"}));
}

// The processes: 1 is the shell, 7 our window's process (parent 5), 9 the
// foreground window's; `forced` records the windows brought forward.
struct Desktop {
  TProcessId shell = 1;
  TProcessId parent = 5;
  TProcessId foregroundProcess = 9;
  std::vector<TWindowHandle> forced;

  TForegroundServices Services() {
    TForegroundServices services;
    services.shellProcessId = [this] { return shell; };
    services.parentProcessId = [this](TProcessId pid) { return pid == 7 ? parent : 0; };
    services.windowProcessId = [this](TWindowHandle window) -> TProcessId {
      return window == 100 ? 7 : window == 200 ? foregroundProcess : 0xFFFFFFFFu;
    };
    services.forceForeground = [this](TWindowHandle window) { forced.push_back(window); };
    return services;
  }
};

TEST(StartHook, TheWindowComesForwardOnlyWhenAShellRunsAndTheStarterIsNotInFront) {
  WindowsView view;
  Desktop started;  // from a scheduler while the user works in process 9
  BringForwardWhenStartedElsewhere(view, started.Services());
  EXPECT_EQ(started.forced, std::vector<TWindowHandle>{100});

  Desktop fromTheForeground;  // started by the program the user works in
  fromTheForeground.parent = 9;
  BringForwardWhenStartedElsewhere(view, fromTheForeground.Services());
  EXPECT_TRUE(fromTheForeground.forced.empty());

  Desktop noShell;
  noShell.shell = 0;
  BringForwardWhenStartedElsewhere(view, noShell.Services());
  EXPECT_TRUE(noShell.forced.empty());
}

}  // namespace
