#include "util/child_guard.h"

#include <charconv>

#include "util/child_guard_internal.h"

namespace {

// As long as the launcher's own shut-down gives the database server.
constexpr auto kStopLimit = std::chrono::seconds(15);
constexpr auto kRequestInterval = std::chrono::seconds(1);

TProcessId ParseId(const std::string& text) {
  TProcessId id = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id);
  return error == std::errc() && end == text.data() + text.size() ? id : 0;
}

}  // namespace

std::string child_guard::GuardJobName(TProcessId launcher) {
  return "LodestackGuard" + std::to_string(launcher);
}

std::string GuardParams(TProcessId launcher, TProcessId server) {
  return std::string(kGuardModeWord) + " " + std::to_string(launcher) + " " + std::to_string(server);
}

void RunChildGuard(const std::vector<std::string>& args) {
  if (args.size() < 4) return;
  const TProcessId launcher = ParseId(args[2]);
  const TProcessId server = ParseId(args[3]);
  if (launcher == 0 || server == 0) return;
  const std::unique_ptr<child_guard::GuardedPair> pair = child_guard::HoldPair(launcher, server);
  if (!pair || !pair->WaitForLauncherEnd()) return;

  // A server still starting up may not take the first request: it is
  // repeated until the server ends or the time is up.
  const auto deadline = std::chrono::steady_clock::now() + kStopLimit;
  while (std::chrono::steady_clock::now() < deadline) {
    pair->RequestServerStop();
    if (pair->WaitForServerEnd(kRequestInterval)) return;
  }
  pair->KillServer();
}
