// The desktop's answers to THi's questions about the notification area and
// the windows (GetShellProcessId, GetWindowProcessId, ForceForeground). On
// Linux the platform layer has no window system of its own: the desktop
// module lends these when it loads; until then THi answers "none".
#pragma once

#include "util/hi.h"

struct TShellHooks {
  TProcessId (*shellProcessId)() = nullptr;
  // 4294967295 when the handle names no window.
  TProcessId (*windowProcessId)(TWindowHandle window) = nullptr;
  void (*forceForeground)(TWindowHandle window) = nullptr;
};

void SetShellHooks(const TShellHooks& hooks);
