// The guard on Linux: pidfds of the launcher and the server. The guard is
// the launcher's child, so a parent that is no longer the launcher means the
// launcher is gone, even if its id was given to another process.
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include "util/child_guard_internal.h"
#include "util/pidfd.h"

namespace child_guard {
namespace {

class PosixPair : public GuardedPair {
 public:
  PosixPair(int launcher, int server) : launcher_(launcher), server_(server) {}
  ~PosixPair() override {
    if (launcher_ >= 0) close(launcher_);
    close(server_);
  }

  bool WaitForLauncherEnd() override {
    if (launcher_ < 0) return !pidfd::WaitForEnd(server_, 0);
    pollfd both[2] = {{launcher_, POLLIN, 0}, {server_, POLLIN, 0}};
    while (poll(both, 2, -1) < 0) {
      if (errno != EINTR) return false;
    }
    return !pidfd::WaitForEnd(server_, 0);
  }

  bool WaitForServerEnd(std::chrono::milliseconds timeout) override {
    return pidfd::WaitForEnd(server_, static_cast<int>(timeout.count()));
  }

  void RequestServerStop() override { pidfd::Signal(server_, SIGTERM); }
  void KillServer() override { pidfd::Signal(server_, SIGKILL); }

 private:
  int launcher_;  // -1 when the launcher was gone before the guard looked
  int server_;
};

}  // namespace

std::unique_ptr<GuardedPair> HoldPair(TProcessId launcher, TProcessId server) {
  const int serverFd = pidfd::Open(static_cast<pid_t>(server));
  if (serverFd < 0) return nullptr;
  int launcherFd = pidfd::Open(static_cast<pid_t>(launcher));
  if (launcherFd >= 0 && getppid() != static_cast<pid_t>(launcher)) {
    close(launcherFd);
    launcherFd = -1;
  }
  return std::make_unique<PosixPair>(launcherFd, serverFd);
}

}  // namespace child_guard
