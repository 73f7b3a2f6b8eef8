// Process file descriptors (Linux): a pidfd names exactly one process, so a
// wait or a signal through it never reaches a later process that received
// the same id. glibc's own header for these lacks C++ linkage, hence the
// system calls.
#pragma once

#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>

namespace pidfd {

inline int Open(pid_t pid) { return static_cast<int>(syscall(SYS_pidfd_open, pid, 0)); }

inline bool Signal(int fd, int signal) {
  return syscall(SYS_pidfd_send_signal, fd, signal, nullptr, 0) == 0;
}

// True when the process ended within the time (-1: no limit).
inline bool WaitForEnd(int fd, int milliseconds) {
  pollfd p{fd, POLLIN, 0};
  int ready;
  do {
    ready = poll(&p, 1, milliseconds);
  } while (ready < 0 && errno == EINTR);
  return ready > 0;
}

}  // namespace pidfd
