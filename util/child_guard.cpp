#include "util/child_guard.h"

#include <charconv>

#include "util/child_guard_internal.h"
#include "util/server_stop.h"

namespace {

TProcessId ParseId(const std::string& text) {
  TProcessId id = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id);
  return error == std::errc() && end == text.data() + text.size() ? id : 0;
}

}  // namespace

std::string child_guard::GuardJobName(TProcessId launcher) {
  return "LodestackGuard" + std::to_string(launcher);
}

std::string GuardParams(TProcessId launcher, TProcessId server, int port) {
  return std::string(kGuardModeWord) + " " + std::to_string(launcher) + " " + std::to_string(server) +
         " " + std::to_string(port);
}

void RunChildGuard(const std::vector<std::string>& args) {
  if (args.size() < 4) return;
  const TProcessId launcher = ParseId(args[2]);
  const TProcessId server = ParseId(args[3]);
  if (launcher == 0 || server == 0) return;
  const std::unique_ptr<child_guard::GuardedPair> pair = child_guard::HoldPair(launcher, server);
  if (!pair || !pair->WaitForLauncherEnd()) return;
  const int port = args.size() > 4 ? static_cast<int>(ParseId(args[4])) : 0;
  StopServerGently({[&](std::chrono::milliseconds time) { return pair->WaitForServerEnd(time); },
                    [&] { pair->RequestServerStop(); }, [&] { pair->KillServer(); }, port});
}
