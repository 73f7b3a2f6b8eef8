// Children are spawned, not forked: the window's process has threads of the
// toolkit's, which a fork would copy half-way.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "backup/piped_child.h"

extern char** environ;

namespace backup {

struct TPipedChild::TImpl {
  pid_t pid = -1;
  int pipe = -1;
  std::FILE* errors = nullptr;
};

TPipedChild::TPipedChild() : impl_(std::make_unique<TImpl>()) {}

TPipedChild::~TPipedChild() {
  if (impl_->pid > 0) kill(impl_->pid, SIGKILL);
  std::string ignored;
  Finish(ignored);
}

bool TPipedChild::Start(const std::vector<std::string>& argv, TDirection direction, std::string& reason) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    reason = std::strerror(errno);
    return false;
  }
  impl_->errors = std::tmpfile();
  const bool fromChild = direction == TDirection::kFromChild;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fromChild ? fds[1] : fds[0], fromChild ? 1 : 0);
  if (impl_->errors) posix_spawn_file_actions_adddup2(&actions, fileno(impl_->errors), 2);
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  // The child takes Ctrl+C and a closed pipe as a program normally does,
  // whatever this process itself ignores while it waits for it.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t defaults;
  sigemptyset(&defaults);
  for (int signal : {SIGINT, SIGQUIT, SIGPIPE}) sigaddset(&defaults, signal);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
  const int result = posix_spawn(&impl_->pid, argv[0].c_str(), &actions, &attributes, args.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  close(fromChild ? fds[1] : fds[0]);
  impl_->pipe = fromChild ? fds[0] : fds[1];
  if (result != 0) {
    impl_->pid = -1;
    reason = "could not run " + argv[0] + ": " + std::strerror(result);
    return false;
  }
  // A client that stops reading must end a write with an error, not this process.
  signal(SIGPIPE, SIG_IGN);
  return true;
}

bool TPipedChild::Read(std::string& piece) {
  piece.resize(256 * 1024);
  ssize_t got;
  while ((got = read(impl_->pipe, piece.data(), piece.size())) < 0 && errno == EINTR) {
  }
  piece.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  return got > 0;
}

bool TPipedChild::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t put = write(impl_->pipe, bytes.data(), bytes.size());
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(put));
  }
  return true;
}

int TPipedChild::Finish(std::string& errors) {
  if (impl_->pipe >= 0) close(impl_->pipe);
  impl_->pipe = -1;
  int status = -1;
  if (impl_->pid > 0) {
    int raw = 0;
    while (waitpid(impl_->pid, &raw, 0) < 0 && errno == EINTR) {
    }
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    impl_->pid = -1;
  }
  if (impl_->errors) {
    std::rewind(impl_->errors);
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, impl_->errors)) > 0) errors.append(buffer, got);
    std::fclose(impl_->errors);
    impl_->errors = nullptr;
  }
  if (errors.size() > 2000) errors.erase(0, errors.size() - 2000);
  return status;
}

}  // namespace backup
