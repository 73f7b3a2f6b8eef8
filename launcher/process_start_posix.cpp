// Process start on Linux: the show value arrives in LODESTACK_SHOWCMD, and
// the command line is the one our own RunProgram split.
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "launcher/process_start.h"
#include "util/hi.h"

void ProcessStart() {
  const std::string folder = THi::GetAppDir();
  if (!folder.empty()) (void)chdir(folder.c_str());
}

void ProcessEnd() {}

TArgs ProgramArguments() {
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  const std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  TArgs args{THi::GetProgramFile()};
  std::size_t start = raw.find('\0');  // argument 0 is replaced by the real path
  while (start != std::string::npos && start + 1 < raw.size()) {
    const std::size_t end = raw.find('\0', start + 1);
    args.push_back(raw.substr(start + 1, end - start - 1));
    start = end;
  }
  return args;
}

int StartupShowCommand() {
  const char* value = std::getenv("LODESTACK_SHOWCMD");
  return value ? std::atoi(value) : kShowNormal;
}

// Started directly, not through the desktop: only the marker has to travel.
void RelaunchSelf() { THi::RunProgram(THi::GetProgramFile(), "", "", kRelaunchMarker); }

void ProcessPendingMessages() {}
