// Processes on Linux. Children start in a session of their own with the
// show state in LODESTACK_SHOWCMD. Each is held as a pidfd from the moment
// it exists, so its id is never confused with a later process, and reaped
// by the thread that started it once it is seen to have ended: no signal
// handler reaps, which any thread of the toolkit's could run.
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

#include "util/child_guard.h"
#include "util/command_line.h"
#include "util/hi.h"
#include "util/hi_internal.h"
#include "util/pidfd.h"
#include "util/product.h"

extern char** environ;

namespace {

// pidfds of our children that have not been reaped yet, by id.
std::map<pid_t, int>& ChildPidfds() {
  static std::map<pid_t, int> pidfds;
  return pidfds;
}

bool PidfdEnded(int fd) { return pidfd::WaitForEnd(fd, 0); }

// A child of ours stays a zombie until it is reaped here, so its id cannot
// pass to another process before its pidfd is closed.
void Reap(std::map<pid_t, int>::iterator child) {
  waitpid(child->first, nullptr, WNOHANG);
  close(child->second);
  ChildPidfds().erase(child);
}

// Reaps the children that have ended.
void ReapEnded() {
  auto& pidfds = ChildPidfds();
  for (auto it = pidfds.begin(); it != pidfds.end();) {
    const auto next = std::next(it);
    if (PidfdEnded(it->second)) Reap(it);
    it = next;
  }
}

// A program name without a folder is looked up in PATH, as a shell would.
std::string ResolveProgram(const std::string& name) {
  if (name.empty() || name.find('/') != std::string::npos) return name;
  const char* path = std::getenv("PATH");
  std::stringstream folders(path ? path : "/usr/bin:/bin");
  for (std::string folder; std::getline(folders, folder, ':');) {
    const std::string candidate = (folder.empty() ? "." : folder) + "/" + name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return name;
}

std::vector<std::string> ChildEnvironment(int show) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    if (std::strncmp(*e, "LODESTACK_SHOWCMD=", 18) != 0) env.emplace_back(*e);
  }
  env.push_back("LODESTACK_SHOWCMD=" + std::to_string(show));
  return env;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (auto& s : strings) pointers.push_back(s.data());
  pointers.push_back(nullptr);
  return pointers;
}

int DeathSignal(TChildTie tie) {
  switch (tie) {
    case TChildTie::kEndWithLauncher: return SIGKILL;
    case TChildTie::kStopWithLauncher:
    case TChildTie::kShutDownWithLauncher: return SIGTERM;
    case TChildTie::kNone: break;
  }
  return 0;
}

// What the launcher writes on a gated child's gate once the child may run.
constexpr char kGuarded = 1;    // its guard runs and will ask it to stop
constexpr char kUnguarded = 2;  // no guard could be started

// Ends the child when the launcher dies; false when it has died already.
bool TieToLauncher(int deathSignal, pid_t launcher) {
  prctl(PR_SET_PDEATHSIG, deathSignal);
  return getppid() == launcher;
}

// Runs in the child between fork and exec: async-signal-safe calls only.
// A gated child waits for one byte on `gate` before it runs the program,
// and ends instead when the launcher dies first (the pipe closes unwritten).
// A guarded server gets no death signal: a stop request that reaches
// MariaDB during its own start-up can hang it for good, so its guard asks
// only once it is ready.
[[noreturn]] void ExecChild(const char* file, char** argv, char** envp, const char* workDir,
                            bool hidden, int outputFd, int deathSignal, pid_t launcher,
                            int errorPipe, int gate) {
  // The child starts with no signal blocked, whatever the launcher blocks.
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  setsid();
  if (deathSignal != 0 && gate < 0 && !TieToLauncher(deathSignal, launcher)) _exit(127);
  if (gate >= 0) {
    char go = 0;
    ssize_t got;
    do {
      got = read(gate, &go, 1);
    } while (got < 0 && errno == EINTR);
    if (got != 1) _exit(127);
    if (go == kUnguarded && deathSignal != 0 && !TieToLauncher(deathSignal, launcher)) _exit(127);
  }
  if (hidden) {
    const int devNull = open("/dev/null", O_RDWR);
    if (devNull >= 0) dup2(devNull, 0);
    const int output = outputFd >= 0 ? outputFd : devNull;
    if (output >= 0) {
      dup2(output, 1);
      dup2(output, 2);
    }
    if (devNull > 2) close(devNull);
  }
  if (workDir) (void)chdir(workDir);
  // No handle of ours reaches the child.
  close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
  execve(file, argv, envp);
  const int error = errno;
  (void)write(errorPipe, &error, sizeof error);
  _exit(127);
}

// How a child is started beside its command line.
struct TSpawn {
  std::string workDir;
  int show;
  TChildTie tie;
  std::string outputFile;  // hidden children only; empty: nowhere
  int port;                // a guarded server's port
};

// Starts the command line; returns the child's id and its pidfd, or 0.
pid_t Spawn(const std::string& program, const std::string& params, const TSpawn& how,
            int* pidfdOut) {
  // The path goes to the program as it is: a Linux folder name may hold a
  // double quote, which a command line would lose.
  std::vector<std::string> args = SplitParameters(params);
  args.insert(args.begin(), program);
  const std::string file = ResolveProgram(program);
  std::vector<std::string> env = ChildEnvironment(how.show);
  std::vector<char*> argv = Pointers(args);
  std::vector<char*> envp = Pointers(env);
  const bool useWorkDir = THi::DirectoryExists(how.workDir);
  const int outputFd =
      how.outputFile.empty()
          ? -1
          : open(how.outputFile.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);

  int errorPipe[2];
  if (pipe2(errorPipe, O_CLOEXEC) != 0) {
    if (outputFd >= 0) close(outputFd);
    return 0;
  }
  // A guarded server runs only once its guard is there.
  int gate[2] = {-1, -1};
  if (how.tie == TChildTie::kShutDownWithLauncher && pipe2(gate, O_CLOEXEC) != 0) gate[0] = gate[1] = -1;
  ReapEnded();
  const pid_t launcher = getpid();
  const pid_t pid = fork();
  if (pid == 0) {
    close(errorPipe[0]);
    if (gate[1] >= 0) close(gate[1]);
    ExecChild(file.c_str(), argv.data(), envp.data(), useWorkDir ? how.workDir.c_str() : nullptr,
              how.show == kShowHidden, outputFd, DeathSignal(how.tie), launcher, errorPipe[1],
              gate[0]);
  }
  // Held before anything else can see its id: nothing reaps a child of
  // ours but Reap, so the id still names it here.
  const int pidfd = pid > 0 ? pidfd::Open(pid) : -1;
  if (pidfd >= 0) ChildPidfds()[pid] = pidfd;
  if (outputFd >= 0) close(outputFd);
  close(errorPipe[1]);
  if (gate[1] >= 0) {
    close(gate[0]);
    const bool guarded =
        pid > 0 && Spawn(THi::GetProgramFile(),
                         GuardParams(static_cast<TProcessId>(launcher), pid, how.port),
                         {"", kShowHidden, TChildTie::kNone, "", 0}, nullptr) != 0;
    const char go = guarded ? kGuarded : kUnguarded;
    (void)write(gate[1], &go, 1);
    close(gate[1]);
  }
  if (pid < 0) {
    close(errorPipe[0]);
    return 0;
  }
  int error = 0;
  ssize_t got;
  do {
    got = read(errorPipe[0], &error, sizeof error);
  } while (got < 0 && errno == EINTR);
  close(errorPipe[0]);
  if (got > 0) {  // exec failed: the child has ended already
    waitpid(pid, nullptr, 0);
    if (pidfd >= 0) {
      close(pidfd);
      ChildPidfds().erase(pid);
    }
    return 0;
  }
  if (pidfdOut) *pidfdOut = pidfd;
  return pid;
}

// The fields of /proc/<pid>/stat after the command name: state, parent, ...
bool ReadStat(std::int64_t pid, char& state, TProcessId& parent) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(in, line)) return false;
  const std::size_t close = line.rfind(')');
  if (close == std::string::npos) return false;
  std::istringstream fields(line.substr(close + 1));
  long long ppid = 0;
  if (!(fields >> state >> ppid)) return false;
  parent = static_cast<TProcessId>(ppid);
  return true;
}

void OpenWithDesktop(const std::string& target) {
  THi::RunProgram("xdg-open", QuoteArgument(target), "", kShowNormal);
}

}  // namespace

TProcessId THi::RunProgram(const std::string& program, const std::string& params,
                           const std::string& workDir, int show, TChildTie tie) {
  return static_cast<TProcessId>(
      Spawn(program, params, {workDir, show, tie, "", 0}, nullptr));
}

TProcessId THi::RunServer(const std::string& program, const std::string& params, TChildTie tie,
                          const std::string& outputFile, int port) {
  return static_cast<TProcessId>(
      Spawn(program, params, {"", kShowHidden, tie, outputFile, port}, nullptr));
}

void THi::RunProgramAndWait(const std::string& program, const std::string& params,
                            const std::string& workDir, int show) {
  int pidfd = -1;
  if (Spawn(program, params, {workDir, show, TChildTie::kNone, "", 0}, &pidfd) == 0 || pidfd < 0)
    return;
  pidfd::WaitForEnd(pidfd, -1);
  ReapEnded();
}

void THi::OpenFolder(const std::string& folder, int /*show*/) {
  if (DirectoryExists(folder)) OpenWithDesktop(folder);
}

void THi::OpenContactMail() { OpenWithDesktop(std::string("mailto:") + product::kContactMail); }

void THi::OpenAddress(const std::string& address) { OpenWithDesktop(address); }

void THi::EditTextFile(const std::string& file) {
  if (FileExists(file)) OpenWithDesktop(file);
}

bool THi::ProcessExists(std::int64_t pid) {
  if (pid < 0) return false;
  if (pid == 0) return true;  // the kernel's idle task, as the snapshot lists it
  ReapEnded();
  char state = 0;
  TProcessId parent = 0;
  // A zombie has ended; only its exit status is left.
  return ReadStat(pid, state, parent) && state != 'Z' && state != 'X';
}

namespace {

// Our own children are signalled through their pidfd, which names exactly
// that process and never a later one that received the same id.
bool SendSignal(TProcessId pid, int signal) {
  auto& pidfds = ChildPidfds();
  if (const auto it = pidfds.find(static_cast<pid_t>(pid)); it != pidfds.end()) {
    if (PidfdEnded(it->second)) {
      Reap(it);
      return false;
    }
    return pidfd::Signal(it->second, signal);
  }
  if (pid == 0 || !THi::ProcessExists(pid)) return false;
  return kill(static_cast<pid_t>(pid), signal) == 0;
}

}  // namespace

bool THi::KillProcess(TProcessId pid) { return SendSignal(pid, SIGKILL); }

bool THi::RequestStop(TProcessId pid) { return SendSignal(pid, SIGTERM); }

void THi::KillSelf(int exitCode) { _exit(exitCode); }

TProcessId THi::GetParentProcessId(TProcessId pid) {
  char state = 0;
  TProcessId parent = 0;
  return pid != 0 && ReadStat(pid, state, parent) ? parent : 0;
}

TProcessId THi::GetOwnProcessId() { return static_cast<TProcessId>(getpid()); }

bool THi::EnablePrivilege(const std::string&) { return false; }

// An abstract socket name: no file, and the kernel releases the name when
// the process ends, however it ends. The user id keeps the names of two
// users apart.
namespace {

// Binds the abstract socket that stands for the named mutex: its descriptor,
// or -1 when the name is taken or cannot be made (then `taken` tells which).
int BindInstanceSocket(const std::string& name, bool& taken) {
  taken = false;
  if (name.empty()) return -1;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string text = "lodestack-" + std::to_string(getuid()) + "-" + name;
  if (text.size() + 1 > sizeof address.sun_path) return -1;
  std::memcpy(address.sun_path + 1, text.data(), text.size());  // sun_path[0] = 0: abstract
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + text.size());
  if (bind(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
    taken = errno == EADDRINUSE;
    close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

bool THi::CreateInstanceMutex(const std::string& name) {
  bool taken = false;
  // The socket stays open until the process ends.
  return BindInstanceSocket(name, taken) >= 0;
}

bool THi::InstanceMutexHeld(const std::string& name) {
  bool taken = false;
  const int fd = BindInstanceSocket(name, taken);
  if (fd >= 0) close(fd);
  return taken;
}

bool THi::IsWindows2000OrLater() { return true; }

void THi::RequireWindows2000() {}

namespace hi_internal {

TProcessIdList SnapshotProcessIds() {
  TProcessIdList ids{0};
  for (const std::string& name : THi::ListFolders("/proc")) {
    if (name.find_first_not_of("0123456789") == std::string::npos)
      ids.push_back(static_cast<TProcessId>(std::stoul(name)));
  }
  return ids;
}

std::string ReadProcessPath(TProcessId pid) {
  if (pid == 0) return {};
  char buffer[4096];
  const std::string link = "/proc/" + std::to_string(pid) + "/exe";
  const ssize_t n = readlink(link.c_str(), buffer, sizeof buffer);
  if (n <= 0 || static_cast<std::size_t>(n) >= sizeof buffer) return {};
  std::string path(buffer, static_cast<std::size_t>(n));
  // A program whose file was deleted no longer matches any path.
  if (path.ends_with(" (deleted)")) return {};
  return path;
}

std::string PathIdentity(const std::string& path) {
  char* resolved = realpath(path.c_str(), nullptr);
  if (!resolved) return {};
  std::string identity(resolved);
  std::free(resolved);
  return identity;
}

}  // namespace hi_internal
