// The guard on Windows. The launcher creates the server suspended and the
// guard, both in a kill-on-close job named after the launcher. The guard
// opens that job, which keeps it (and the server) alive past the launcher's
// death, and only then lets the server run. Should the launcher die before
// the guard holds the job, the job ends the guard and the server, which has
// not yet run a single instruction.
#include <windows.h>
// The Win32 headers above must come first.
#include <tlhelp32.h>

#include "util/child_guard_internal.h"
#include "util/hi_internal.h"
#include "util/scoped_handle_win.h"
#include "util/wide.h"

namespace child_guard {
namespace {

void ResumeAllThreads(DWORD pid) {
  ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  if (!snapshot.IsValid()) return;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot.Get(), &entry); more;
       more = Thread32Next(snapshot.Get(), &entry)) {
    if (entry.th32OwnerProcessID != pid) continue;
    ScopedHandle thread(OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID));
    if (thread.IsValid()) ResumeThread(thread.Get());
  }
}

// The launcher runs the guard's own program file; any other process with
// the launcher's old id is not the launcher.
bool IsLauncher(DWORD pid) {
  const std::string path = hi_internal::ReadProcessPath(pid);
  return !path.empty() &&
         hi_internal::PathIdentity(path) == hi_internal::PathIdentity(THi::GetProgramFile());
}

class WinPair : public GuardedPair {
 public:
  WinPair(HANDLE launcher, HANDLE server, TProcessId serverId)
      : launcher_(launcher), server_(server), serverId_(serverId) {}

  bool WaitForLauncherEnd() override {
    if (!launcher_.IsValid()) return !WaitForServerEnd(std::chrono::milliseconds(0));
    const HANDLE both[2] = {launcher_.Get(), server_.Get()};
    WaitForMultipleObjects(2, both, FALSE, INFINITE);
    return !WaitForServerEnd(std::chrono::milliseconds(0));
  }

  bool WaitForServerEnd(std::chrono::milliseconds timeout) override {
    return WaitForSingleObject(server_.Get(), static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
  }

  void RequestServerStop() override { THi::RequestStop(serverId_); }
  void KillServer() override { TerminateProcess(server_.Get(), 0); }

 private:
  ScopedHandle launcher_;
  ScopedHandle server_;
  TProcessId serverId_;
};

}  // namespace

std::unique_ptr<GuardedPair> HoldPair(TProcessId launcher, TProcessId server) {
  // Held until the guard ends, so the job does not end the server with the
  // launcher. Never closed by hand: closing the last handle of a kill-on-close
  // job from inside it would end the guard itself (and crashes Wine's server);
  // the system closes it when the guard has ended.
  OpenJobObjectW(JOB_OBJECT_QUERY, FALSE, wide::FromUtf8(GuardJobName(launcher)).c_str());
  HANDLE serverHandle = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, server);
  if (!serverHandle) return nullptr;
  HANDLE launcherHandle = IsLauncher(launcher) ? OpenProcess(SYNCHRONIZE, FALSE, launcher) : nullptr;
  ResumeAllThreads(server);
  return std::make_unique<WinPair>(launcherHandle, serverHandle, server);
}

}  // namespace child_guard
