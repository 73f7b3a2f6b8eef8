#include "util/quit_signals.h"

#include <signal.h>

#include <initializer_list>

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

bool QuitSignalPending() {
  sigset_t pending;
  if (sigpending(&pending) != 0) return false;
  for (int signal : {SIGTERM, SIGINT, SIGHUP})
    if (sigismember(&pending, signal) == 1) return true;
  return false;
}
