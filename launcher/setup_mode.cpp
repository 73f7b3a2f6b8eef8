#include "launcher/setup_mode.h"

#include <chrono>
#include <exception>
#include <thread>

#include "launcher/mode_services.h"
#include "packaging/patch_mode.h"
#include "util/command_line.h"
#include "util/hi.h"
#include "util/message_pump.h"
#include "util/notice.h"

namespace {

// The launcher that handed over needs this long at most to stop its
// servers and let its program file go.
constexpr auto kTargetLimit = std::chrono::seconds(60);

// Empty once the target is free; otherwise why it is not.
std::string WaitUntilFree(const std::string& target) {
  const auto deadline = std::chrono::steady_clock::now() + kTargetLimit;
  while (THi::IsFileInUse(target)) {
    if (std::chrono::steady_clock::now() >= deadline) {
      const std::string why = THi::WhyNotWritable(target);
      return "The settings could not be stored in " + target + ": " +
             (why.empty() ? "the program is still running." : why);
    }
    try {
      ProcessPendingMessages();
      std::this_thread::sleep_for(std::chrono::milliseconds(60));
      // A read-only file counts as in use: clearing the attribute lets a
      // target copied from a CD pass.
      THi::SetReadOnlyTree(target, false);
    } catch (const std::exception&) {
    }
  }
  return {};
}

// Runs one patch child on the target when the source file was given and
// exists; the failure's text when the target does not hold it afterwards.
std::string Patch(const TArgs& args, std::size_t sourceIndex, const char* modeWord) {
  if (args.size() <= sourceIndex || !THi::FileExists(args[sourceIndex])) return {};
  const std::string& target = args[2];
  const std::string& source = args[sourceIndex];
  THi::RunProgramAndWait(args[0], std::string(modeWord) + " " + QuoteArguments({target, source}),
                         "", kShowNormal);
  if (PatchIsStored(modeWord, target, source)) return {};
  return "The settings could not be stored in " + target + ": " + source + " is not in it.";
}

}  // namespace

TSetupResult RunSetup(const TArgs& args) {
  std::string failure;
  try {
    const std::string& target = args.at(2);
    failure = WaitUntilFree(target);
    if (failure.empty()) {
      for (const auto& [index, mode] : {std::pair{3u, "/config"}, {4u, "/icon"}, {5u, "/splash"}}) {
        failure = Patch(args, index, mode);
        if (!failure.empty()) break;
      }
    }
    // The argument count leaves out argument 0.
    if (args.size() - 1 < 6) {
      HandOnNotice(failure);
      ReopenProgram(target);
      return {failure, true};
    }
  } catch (const std::exception& e) {
    failure = e.what();
  }
  return {failure, false};
}
