// Stopping a database server without losing data. Terminating it can lose
// or corrupt data, so it is asked to shut down, and ended only when it has
// not within 15 seconds. A request that reaches MariaDB while it is still
// starting up can leave it hung for good, ignoring every later one: the
// first request waits until the server greets on its port.
#pragma once

#include <chrono>
#include <functional>

// The server being stopped, as the launcher or the guard holds it.
struct TStoppingServer {
  // True once the server has ended; waits at most the time.
  std::function<bool(std::chrono::milliseconds)> waitForEnd;
  std::function<void()> requestStop;
  std::function<void()> kill;
  int port = 0;  // where it greets once ready; 0: unknown, asked at once
};

// How a server that was to stop came to an end: a server that had to be
// ended may have left its files half written.
enum class TServerStop { kNotRunning, kStopped, kKilled };

// Returns once the server has ended, asked (kStopped) or, after the limit,
// ended (kKilled).
TServerStop StopServerGently(const TStoppingServer& server);
