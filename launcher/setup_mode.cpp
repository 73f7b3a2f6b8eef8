#include "launcher/setup_mode.h"

#include <chrono>
#include <exception>
#include <thread>

#include "launcher/mode_services.h"
#include "util/command_line.h"
#include "util/hi.h"
#include "util/message_pump.h"

namespace {

void WaitUntilFree(const std::string& target) {
  while (THi::IsFileInUse(target)) {
    try {
      ProcessPendingMessages();
      std::this_thread::sleep_for(std::chrono::milliseconds(60));
      // A read-only file counts as in use: clearing the attribute lets a
      // target copied from a CD pass.
      THi::SetReadOnlyTree(target, false);
    } catch (const std::exception&) {
    }
  }
}

// Runs one patch child on the target when the source file was given and exists.
void Patch(const TArgs& args, std::size_t sourceIndex, const char* modeWord) {
  if (args.size() <= sourceIndex || !THi::FileExists(args[sourceIndex])) return;
  THi::RunProgramAndWait(args[0], std::string(modeWord) + " " + QuoteArguments({args[2], args[sourceIndex]}),
                         "", kShowNormal);
}

}  // namespace

void RunSetup(const TArgs& args) {
  try {
    const std::string& target = args.at(2);
    WaitUntilFree(target);
    Patch(args, 3, "/config");
    Patch(args, 4, "/icon");
    Patch(args, 5, "/splash");
    // The argument count leaves out argument 0.
    if (args.size() - 1 < 6) ReopenProgram(target);
  } catch (const std::exception&) {
  }
}
