// The platform half of the guard: holding the launcher and the server so
// that waits and signals reach exactly those two processes.
#pragma once

#include <chrono>
#include <memory>

#include "util/hi.h"

namespace child_guard {

class GuardedPair {
 public:
  virtual ~GuardedPair() = default;
  // Waits until the launcher or the server has ended; true when the launcher
  // ended (or was gone already) while the server still runs.
  virtual bool WaitForLauncherEnd() = 0;
  // True when the server has ended within the time.
  virtual bool WaitForServerEnd(std::chrono::milliseconds timeout) = 0;
  virtual void RequestServerStop() = 0;
  virtual void KillServer() = 0;
};

// The name of the job a launcher's guarded servers and their guards run in (Windows).
std::string GuardJobName(TProcessId launcher);

// Takes hold of both processes (on Windows also of the server's job, and
// lets the server run); null when the server is gone already.
std::unique_ptr<GuardedPair> HoldPair(TProcessId launcher, TProcessId server);

}  // namespace child_guard
