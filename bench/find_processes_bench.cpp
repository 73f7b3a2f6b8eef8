// How long THi::FindProcessesByPath takes with many processes running: it
// reads every process's program file, and the launcher asks it at every
// 330 ms step of its wait for the web server and at every stop.
//
//   bench_find_processes [PROCESSES]   (default 500)
//
// Starts that many `sleep` processes, then times calls for a program none of
// them runs and for the one they all run, and prints the time per call.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "util/hi.h"

namespace {

double MicrosecondsPerCall(const std::string& program, int calls, std::size_t& found) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < calls; ++i) found = THi::FindProcessesByPath(program).size();
  const std::chrono::duration<double, std::micro> spent = std::chrono::steady_clock::now() - start;
  return spent.count() / calls;
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 500;
  const char* sleeper = "/bin/sleep";
  std::vector<pid_t> children;
  for (int i = 0; i < count; ++i) {
    const pid_t pid = fork();
    if (pid == 0) {
      execl(sleeper, "sleep", "600", static_cast<char*>(nullptr));
      _exit(127);
    }
    if (pid > 0) children.push_back(pid);
  }
  // Every child has exec'd once each runs the sleeper.
  std::size_t found = 0;
  for (int tries = 0; tries < 500 && found < children.size(); ++tries) {
    found = THi::FindProcessesByPath(sleeper).size();
    usleep(10000);
  }

  const int calls = 50;
  std::size_t none = 0;
  std::size_t all = 0;
  const double other = MicrosecondsPerCall(THi::GetProgramFile(), calls, none);
  const double theirs = MicrosecondsPerCall(sleeper, calls, all);
  std::printf("FindProcessesByPath with %zu extra processes running (%d calls each):\n",
              children.size(), calls);
  std::printf("  a program that %zu of them run  %8.0f us per call\n", none, other);
  std::printf("  the program %zu of them run   %8.0f us per call\n", all, theirs);

  for (pid_t pid : children) kill(pid, SIGKILL);
  for (pid_t pid : children) waitpid(pid, nullptr, 0);
  return 0;
}
