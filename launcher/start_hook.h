// The start hook: what the application's initialisation runs in an
// interactive start, once the application window exists. Hooks are chained:
// each calls the one installed before it first.
#pragma once

#include <functional>

#include "util/hi.h"

class RunView;

using TStartHook = std::function<void(RunView& view)>;

// Chains a hook after those installed before it.
void ChainStartHook(TStartHook hook);
// The application's initialisation: runs the chain (nothing when it is empty).
void RunStartHook(RunView& view);

// What the foreground rule asks of the system; THi's services unless a test
// gives others.
struct TForegroundServices {
  std::function<TProcessId()> shellProcessId = THi::GetShellProcessId;
  std::function<TProcessId(TProcessId)> parentProcessId = THi::GetParentProcessId;
  std::function<TProcessId(TWindowHandle)> windowProcessId = THi::GetWindowProcessId;
  std::function<void(TWindowHandle)> forceForeground = THi::ForceForeground;
};

// A program started by some other process than the one the user works in
// (from a command line or a scheduler) brings its window forward: when a
// desktop shell runs and the program's parent is not the process of the
// foreground window. Without a shell it does nothing.
void BringForwardWhenStartedElsewhere(RunView& view,
                                      const TForegroundServices& services = {});
