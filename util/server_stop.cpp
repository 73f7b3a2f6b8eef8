#include "util/server_stop.h"

#include "util/hi.h"

namespace {

constexpr auto kStopLimit = std::chrono::seconds(15);
constexpr auto kRequestInterval = std::chrono::seconds(1);
constexpr auto kReadyPoll = std::chrono::milliseconds(100);
constexpr int kGreetingWaitMs = 200;

}  // namespace

TServerStop StopServerGently(const TStoppingServer& server) {
  const auto deadline = std::chrono::steady_clock::now() + kStopLimit;
  const auto timeLeft = [&] { return std::chrono::steady_clock::now() < deadline; };
  if (server.port > 0) {
    while (!THi::PortGreets(server.port, kGreetingWaitMs)) {
      if (server.waitForEnd(kReadyPoll)) return TServerStop::kStopped;
      if (!timeLeft()) break;
    }
  }
  // MariaDB takes a request once it is ready; another comes each second in
  // case one is lost all the same.
  while (timeLeft()) {
    server.requestStop();
    if (server.waitForEnd(kRequestInterval)) return TServerStop::kStopped;
  }
  server.kill();
  return TServerStop::kKilled;
}
