// The Linux half of the test support.
#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "support/test_support.h"

extern char** environ;

namespace test {

const char kSep = '/';
const char* const kExeSuffix = "";
const bool kChildSeesRawCommandLine = false;
const int kRelaunchProcesses = 1;
const char* const kAwkwardFolderName = "my \"t\xC3\xABst\" stack";

fs::path SystemTempRoot() {
  const char* tmp = std::getenv("TMPDIR");
  return tmp && *tmp ? fs::path(tmp) : fs::path("/tmp");
}

int CurrentProcessId() { return static_cast<int>(getpid()); }

bool RunningAsRoot() { return geteuid() == 0; }

std::string RunUnprivileged(const std::function<std::string()>& body) {
  if (!RunningAsRoot()) return "only root can start a child as another user";
  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) return "no pipe";
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child < 0) return "cannot fork";
  if (child == 0) {
    close(out[0]);
    std::string result;
    if (setgroups(0, nullptr) != 0 || setgid(kUnprivilegedId) != 0 || setuid(kUnprivilegedId) != 0) {
      result = "cannot give up root";
    } else {
      try {
        result = body();
      } catch (const std::exception& e) {
        result = std::string("exception: ") + e.what();
      }
    }
    (void)!write(out[1], result.data(), result.size());
    _exit(0);
  }
  close(out[1]);
  std::string result;
  char buffer[4096];
  for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) != 0;) {
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) break;
    result.append(buffer, static_cast<std::size_t>(n));
  }
  close(out[0]);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) result += " (the child did not end normally)";
  return result;
}

bool ReadOnlyFilesAreWritable() {
  const TempFolder temp;
  const std::string file = temp / "probe.txt";
  WriteFile(file, "x");
  chmod(file.c_str(), 0444);
  const int fd = open(file.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  close(fd);
  return true;
}

std::optional<std::string> GetEnv(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  if (!value) return std::nullopt;
  return std::string(value);
}

void SetEnv(const std::string& name, const std::optional<std::string>& value) {
  if (value)
    setenv(name.c_str(), value->c_str(), 1);
  else
    unsetenv(name.c_str());
}

Listener::Listener(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return;
  socket_ = fd;
  // Like a server: a port whose old connections linger in TIME_WAIT is
  // still taken, so the listener must get it.
  const int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  socklen_t length = sizeof address;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 || listen(fd, 4) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
    return;
  port_ = ntohs(address.sin_port);
}

Listener::~Listener() {
  if (socket_ >= 0) close(static_cast<int>(socket_));
}

bool MakeFolderLink(const std::string& target, const std::string& link, std::string& whyNot) {
  if (symlink(target.c_str(), link.c_str()) == 0) return true;
  whyNot = std::strerror(errno);
  return false;
}

std::string AnotherSpelling(const std::string& file) {
  const fs::path path(file);
  const fs::path link = path.parent_path().string() + "-link";
  std::error_code ignored;
  fs::create_directory_symlink(path.parent_path(), link, ignored);
  return (link / path.filename()).string();
}

std::string PathAsItsProgramSeesIt(const std::string& program) {
  return fs::canonical(program).string();
}

std::string MapDriveToFolder(const std::string&, std::string& whyNot) {
  whyNot = "there are no drive letters on this system";
  return {};
}

void UnmapDrive(const std::string&, const std::string&) {}

namespace {

// Our direct children (orphans of the tree are re-parented to us).
std::vector<pid_t> DirectChildren() {
  std::vector<pid_t> children;
  DIR* proc = opendir("/proc");
  if (!proc) return children;
  const pid_t self = getpid();
  while (dirent* entry = readdir(proc)) {
    const pid_t pid = static_cast<pid_t>(std::atoi(entry->d_name));
    if (pid <= 0) continue;
    std::ostringstream path;
    path << "/proc/" << pid << "/stat";
    FILE* stat = fopen(path.str().c_str(), "r");
    if (!stat) continue;
    char buffer[512] = {};
    const size_t got = fread(buffer, 1, sizeof buffer - 1, stat);
    fclose(stat);
    const char* close = std::strrchr(buffer, ')');
    if (got == 0 || !close) continue;
    char state = 0;
    int parent = 0;
    if (std::sscanf(close + 1, " %c %d", &state, &parent) == 2 && parent == self)
      children.push_back(pid);
  }
  closedir(proc);
  return children;
}

// Runs in a forked process of its own: a child subreaper that starts the
// program, collects every process of the tree as it ends and writes one
// line per process to `out`. It does not share the test process's handling
// of SIGCHLD, so no ended process escapes it.
[[noreturn]] void CollectTree(const std::string& program, const std::vector<std::string>& args,
                              std::optional<int> showCommand, int out) {
  signal(SIGCHLD, SIG_DFL);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  prctl(PR_SET_CHILD_SUBREAPER, 1);
  if (showCommand)
    setenv("LODESTACK_SHOWCMD", std::to_string(*showCommand).c_str(), 1);
  else
    unsetenv("LODESTACK_SHOWCMD");

  std::vector<std::string> argvText{program};
  argvText.insert(argvText.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : argvText) argv.push_back(a.data());
  argv.push_back(nullptr);

  const pid_t first = fork();
  if (first == 0) {
    close(out);
    execve(program.c_str(), argv.data(), environ);
    _exit(127);
  }
  std::ostringstream lines;
  if (first < 0) {
    lines << "error fork failed\n";
  } else {
    // A generous limit: the tree of a healthy program ends within moments.
    int waitedMs = 0;
    bool timedOut = false;
    while (true) {
      int status = 0;
      const pid_t pid = waitpid(-1, &status, WNOHANG);
      if (pid < 0 && errno == ECHILD) break;
      if (pid > 0) {
        const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        lines << (pid == first ? "first " : "other ") << code << "\n";
        continue;
      }
      if (waitedMs > 60000) {
        timedOut = true;
        for (pid_t child : DirectChildren()) kill(child, SIGKILL);
      }
      usleep(10000);
      waitedMs += 10;
    }
    if (timedOut) lines << "timeout\n";
  }
  const std::string text = lines.str();
  (void)!write(out, text.data(), text.size());
  close(out);
  _exit(0);
}

}  // namespace

ProcessTree RunProcessTree(const std::string& program, const std::vector<std::string>& args,
                           std::optional<int> showCommand) {
  ProcessTree tree;
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) {
    tree.skipReason = "no pipe";
    return tree;
  }
  const pid_t collector = fork();
  if (collector == 0) {
    close(pipeFds[0]);
    CollectTree(program, args, showCommand, pipeFds[1]);
  }
  close(pipeFds[1]);
  std::string text;
  char buffer[256];
  while (true) {
    const ssize_t got = read(pipeFds[0], buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    text.append(buffer, static_cast<std::size_t>(got));
  }
  close(pipeFds[0]);
  if (collector > 0) waitpid(collector, nullptr, 0);

  tree.finished = true;
  std::istringstream lines(text);
  for (std::string kind; lines >> kind;) {
    int code = -1;
    if (kind == "timeout") {
      tree.finished = false;
    } else if (kind == "first" && lines >> code) {
      ++tree.processCount;
      tree.firstExitCode = code;
    } else if (kind == "other" && lines >> code) {
      ++tree.processCount;
      tree.otherExitCodes.push_back(code);
    } else {
      std::getline(lines, kind);
      tree.skipReason = "cannot follow the process tree:" + kind;
    }
  }
  return tree;
}

}  // namespace test
