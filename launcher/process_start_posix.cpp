// Process start on Linux: the show value arrives in LODESTACK_SHOWCMD, and
// the command line is the one our own RunProgram split.
#include <gnu/libc-version.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <iterator>

#include "launcher/libc_floor.h"
#include "launcher/process_start.h"
#include "util/hi.h"

namespace {

// The tree's servers need the C library its floor names, or a newer one:
// said here in one line, before anything starts, instead of a server that
// fails later on a missing symbol.
void RequireLibcFloor() {
  const std::string floorFile = THi::GetAppPath() + kLibcFloorFile;
  if (!THi::FileExists(floorFile)) return;
  std::string floor;
  try {
    floor = THi::LoadFile(floorFile);
  } catch (...) {
    return;
  }
  const std::string program = THi::GetProgramFile();
  const std::string refusal =
      LibcFloorRefusal(program.substr(program.rfind('/') + 1), gnu_get_libc_version(), floor);
  if (refusal.empty()) return;
  std::fprintf(stderr, "%s\n", refusal.c_str());
  std::exit(1);
}

std::string g_startFolder;

}  // namespace

const std::string& StartFolder() { return g_startFolder; }

void ProcessStart() {
  RequireLibcFloor();
  if (char* here = getcwd(nullptr, 0)) {
    g_startFolder = here;
    std::free(here);
  }
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

// The program file runs again in this same process, with the marker: the
// launcher keeps the process id the shell started, so it stays the
// terminal's foreground program and Ctrl+C or a closed terminal reach it.
void RelaunchSelf() {
  std::string program = THi::GetProgramFile();
  setenv("LODESTACK_SHOWCMD", std::to_string(kRelaunchMarker).c_str(), 1);
  char* argv[] = {program.data(), nullptr};
  execv(program.c_str(), argv);
  // Not runnable in place: a second process, as on other systems.
  THi::RunProgram(program, "", "", kRelaunchMarker);
}
