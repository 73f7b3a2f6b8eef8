// "/setup": run by a command copy. Waits until the target program file is
// free, has it patched by "/config", "/icon" and "/splash" children, checks
// what they stored, and opens it again unless a sixth argument says not to.
#pragma once

#include <functional>
#include <string>

#include "launcher/mode_dispatcher.h"

struct TSetupResult {
  std::string failure;  // empty when everything given was stored
  // The failure went to the reopened target, which shows it (util/notice.h);
  // otherwise it is the caller's to show.
  bool handedOn = false;
};

TSetupResult RunSetup(const TArgs& args);
