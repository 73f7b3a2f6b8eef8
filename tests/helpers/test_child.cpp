// test_child: a small program the tests start to see what a started program
// receives. Verbs:
//   (none)                    report into the file named by LODESTACK_TEST_REPORT
//   report <file> [args...]   arguments, raw command line, current folder, show
//                             state and selected environment variables
//   sleep <ms> [<file>]       sleeps, then writes "done" into the file
//   exit <code>               ends with that exit code
//   say <text>                writes the text to standard output, and
//                             "error: <text>" to standard error
//   (anything else)           as (none), when LODESTACK_TEST_REPORT is set:
//                             a stand-in for a server started with its own options
//   apppath <file>            the program folder as THi sees it
//   mutex <name> <file> <ms>  takes the instance mutex, reports, holds it
#include "helpers/test_child.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

#include "helpers/report_file.h"
#include "util/hi.h"

namespace {

namespace fs = std::filesystem;

int Report(const std::string& file, const std::vector<std::string>& args,
           const std::string& rawCommandLine) {
  std::ostringstream text;
  for (const std::string& arg : args) text << "arg=" << arg << "\n";
  if (!rawCommandLine.empty()) text << "cmdline=" << rawCommandLine << "\n";
  const std::u8string cwd = fs::current_path().u8string();
  text << "cwd=" << std::string(cwd.begin(), cwd.end()) << "\n";
  text << "show=" << ChildShowState() << "\n";
  for (const char* name : {"LODESTACK_SHOWCMD", "PHPRC", "OS_LANGUAGE", "LODESTACK_TEST_VAR", "PATH"}) {
    if (const auto value = ChildEnv(name)) text << "env." << name << "=" << *value << "\n";
  }
  ChildPlatformReport(text);
  return WriteReport(file, text.str());
}

void SleepMs(const std::string& ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(std::atol(ms.c_str())));
}

}  // namespace

int RunChild(const std::vector<std::string>& args, const std::string& rawCommandLine) {
  if (args.empty()) {
    const auto file = ChildEnv("LODESTACK_TEST_REPORT");
    return file ? Report(*file, args, rawCommandLine) : 2;
  }
  const std::string& verb = args[0];
  if (verb == "report" && args.size() >= 2) return Report(args[1], args, rawCommandLine);
  if (verb == "sleep" && args.size() >= 2) {
    SleepMs(args[1]);
    return args.size() >= 3 ? WriteReport(args[2], "done\n") : 0;
  }
  if (verb == "exit" && args.size() >= 2) return std::atoi(args[1].c_str());
  if (verb == "say" && args.size() >= 2) {
    std::printf("%s\n", args[1].c_str());
    std::fprintf(stderr, "error: %s\n", args[1].c_str());
    return 0;
  }
  if (verb == "apppath" && args.size() >= 2) {
    return WriteReport(args[1], "appdir=" + THi::GetAppDir() + "\napppath=" + THi::GetAppPath() +
                                    "\nprogram=" + THi::GetProgramFile() + "\n");
  }
  if (verb == "mutex" && args.size() >= 4) {
    const bool taken = THi::CreateInstanceMutex(args[1]);
    const int written = WriteReport(args[2], std::string("taken=") + (taken ? "1" : "0") + "\n");
    SleepMs(args[3]);
    return written;
  }
  if (const auto file = ChildEnv("LODESTACK_TEST_REPORT")) return Report(*file, args, rawCommandLine);
  return 2;
}
