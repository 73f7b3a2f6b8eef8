#include "util/quit_signals.h"

#include <signal.h>

namespace {

sigset_t QuitSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGHUP);
  return set;
}

}  // namespace

void HoldQuitSignals() {
  const sigset_t set = QuitSignals();
  sigprocmask(SIG_BLOCK, &set, nullptr);
}

void ReleaseQuitSignals() {
  const sigset_t set = QuitSignals();
  sigprocmask(SIG_UNBLOCK, &set, nullptr);
}
