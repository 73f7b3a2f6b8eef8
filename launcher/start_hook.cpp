#include "launcher/start_hook.h"

#include <utility>

#include "launcher/run_view.h"

namespace {

TStartHook& InstalledHook() {
  static TStartHook hook;
  return hook;
}

}  // namespace

void ChainStartHook(TStartHook hook) {
  TStartHook previous = std::move(InstalledHook());
  InstalledHook() = [previous = std::move(previous), hook = std::move(hook)](RunView& view) {
    if (previous) previous(view);
    hook(view);
  };
}

void RunStartHook(RunView& view) {
  if (InstalledHook()) InstalledHook()(view);
}

void BringForwardWhenStartedElsewhere(RunView& view, const TForegroundServices& services) {
  if (services.shellProcessId() == 0) return;
  const TWindowHandle application = view.ApplicationWindow();
  const TProcessId parent = services.parentProcessId(services.windowProcessId(application));
  const TProcessId foreground = services.windowProcessId(view.ForegroundWindow());
  if (parent != foreground) services.forceForeground(application);
}
