// The commands on Linux: the tree's program takes this process's place where
// nothing is left to tidy, and runs as a child in the same process group
// (so Ctrl+C reaches it) where the command's private folder must go after.
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>

#include "commands/backup_command.h"
#include "commands/command_run.h"
#include "commands/commands.h"
#include "server/server_config.h"
#include "util/hi.h"

namespace commands {

const char* const kProgramSuffix = "";

namespace {

// The stopped stack's php.ini names this port; no server answers there.
constexpr int kDefaultMySqlPort = 3306;

std::string MakePrivateFolder() {
  std::string pattern = THi::GetTempDir() + "/lodestack-command-XXXXXX";
  return mkdtemp(pattern.data()) ? pattern : std::string();
}

bool WriteFiles(const TStack& stack, const TPlan& plan) {
  for (const auto& [name, text] : plan.files) {
    const std::string file = stack.privateDir + "/" + name;
    try {
      THi::SaveFile(file, text);
    } catch (const std::exception&) {
      return false;
    }
    if (plan.executable && chmod(file.c_str(), 0755) != 0) return false;
  }
  return true;
}

// In the child, or in place: the plan's environment and the user's folder,
// then the program. Returns only when the program cannot run.
void Exec(const TPlan& plan, const std::string& startFolder) {
  for (const auto& [name, value] : plan.env) setenv(name.c_str(), value.c_str(), 1);
  if (!startFolder.empty()) (void)chdir(startFolder.c_str());
  std::vector<char*> argv;
  for (const std::string& arg : plan.argv) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  execvp(argv[0], argv.data());
  std::fprintf(stderr, "lodestack: could not run %s: %s\n", argv[0], std::strerror(errno));
}

// Ctrl+C and Ctrl+\ ignored by this process, or handed to `handler`, while it lasts.
class TTerminalKeys {
 public:
  explicit TTerminalKeys(void (*handler)(int)) {
    struct sigaction taken {};
    taken.sa_handler = handler;
    sigaction(SIGINT, &taken, &old_[0]);
    sigaction(SIGQUIT, &taken, &old_[1]);
  }
  ~TTerminalKeys() {
    sigaction(SIGINT, &old_[0], nullptr);
    sigaction(SIGQUIT, &old_[1], nullptr);
  }
  TTerminalKeys(const TTerminalKeys&) = delete;
  TTerminalKeys& operator=(const TTerminalKeys&) = delete;

 private:
  struct sigaction old_[2];
};

volatile sig_atomic_t g_child = 0;
volatile sig_atomic_t g_stopKeys = 0;

void NoteStopKeys(int) { g_stopKeys = 1; }

void PassOn(int signal) {
  if (g_child > 0) kill(static_cast<pid_t>(g_child), signal);
}

// The shell's status as it would report the child: 128 plus the signal that killed it.
int RunAndWait(const TPlan& plan, const std::string& startFolder) {
  const pid_t pid = fork();
  if (pid < 0) {
    std::fprintf(stderr, "lodestack: could not start %s: %s\n", plan.argv[0].c_str(), std::strerror(errno));
    return 127;
  }
  if (pid == 0) {
    Exec(plan, startFolder);
    _exit(127);
  }
  // Ctrl+C and Ctrl+\ reach the child from the terminal; a closed terminal
  // or a request to end goes to this process, which hands it on. Either way
  // this process stays to tidy up after the child.
  g_child = pid;
  TTerminalKeys ignored(SIG_IGN);
  struct sigaction pass {}, old[2];
  pass.sa_handler = PassOn;
  sigaction(SIGHUP, &pass, &old[0]);
  sigaction(SIGTERM, &pass, &old[1]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  g_child = 0;
  sigaction(SIGHUP, &old[0], nullptr);
  sigaction(SIGTERM, &old[1], nullptr);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

}  // namespace

bool IsCommandWord(const std::string& word) {
  for (const char* known : {"php", "mysql", "mysqldump", "composer", "shell", "backup", "restore", "help"})
    if (word == known) return true;
  return false;
}

std::vector<std::string> TerminalStart() {
  return TerminalCommand(THi::GetEnvVar("TERMINAL"), THi::GetProgramFile());
}

int RunCommand(const std::vector<std::string>& args, const std::string& startFolder) {
  TStack stack = FindStack();
  const std::string word = args.size() > 1 ? args[1] : "";
  if (word == "backup" || word == "restore") {
    // Ctrl+C reaches the dump too, the terminal's foreground group, and
    // ends it; this process notes the keys and stays to remove the
    // unfinished file or to put the databases back as they were.
    TTerminalKeys noted(NoteStopKeys);
    return RunBackupCommand(args, stack, startFolder, [] { return g_stopKeys != 0; });
  }
  const bool ownIni = stack.workDir.empty() && NeedsPhpIni(word);
  if (ownIni || word == "shell") {
    stack.privateDir = MakePrivateFolder();
    if (stack.privateDir.empty()) {
      std::fprintf(stderr, "lodestack: could not make a folder in %s: %s\n", THi::GetTempDir().c_str(),
                   std::strerror(errno));
      return 1;
    }
  }
  const TPlan plan = PlanCommand(args, stack);
  int status = plan.status;
  std::fputs(plan.output.c_str(), stdout);
  std::fflush(stdout);
  if (!plan.message.empty()) std::fprintf(stderr, "%s\n", plan.message.c_str());
  if (!plan.argv.empty()) {
    bool ready = WriteFiles(stack, plan);
    if (ready && ownIni) {
      try {
        server_config::WritePhpIniInto(stack.privateDir, stack.appPath + "bin",
                                        server_set::Find(stack.appPath + "bin"), kDefaultMySqlPort);
      } catch (const std::exception& e) {
        std::fprintf(stderr, "lodestack: could not write php.ini into %s: %s\n", stack.privateDir.c_str(),
                     e.what());
        ready = false;
      }
    } else if (!ready) {
      std::fprintf(stderr, "lodestack: could not write into %s\n", stack.privateDir.c_str());
    }
    if (!ready) {
      status = 1;
    } else if (stack.privateDir.empty()) {
      Exec(plan, startFolder);
      return 127;
    } else {
      status = RunAndWait(plan, startFolder);
    }
  }
  if (!stack.privateDir.empty()) THi::DeleteFolder(stack.privateDir);
  return status;
}

}  // namespace commands
