#include "launcher/mode_dispatcher.h"

#include <algorithm>
#include <cctype>

#include "commands/commands.h"
#include "util/child_guard.h"

std::string ModeWord(const TArgs& args) {
  if (args.size() < 2) return {};
  std::string word = args[1];
  std::transform(word.begin(), word.end(), word.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return word;
}

void DispatchMode(const TArgs& args, ModeHandlers& handlers) {
  // The argument count leaves out argument 0, the program file.
  const std::size_t count = args.empty() ? 0 : args.size() - 1;
  const std::string word = ModeWord(args);

  // The command words are new beside the modes and, as commands go, taken
  // as written.
  if (count >= 1 && commands::IsCommandWord(args[1])) {
    handlers.Command(args);
    return;
  }
  if (count >= 7 && word == "downsize") {
    // The dialog always sends sixteen flags; a shorter list is padded with
    // "0" (keep), so a missing flag never removes anything.
    TArgs flags(args.begin() + 2, args.begin() + std::min<std::size_t>(args.size(), 18));
    flags.resize(16, "0");
    handlers.DownSize(flags);
    return;
  }
  if (count >= 2 && word == "splash" && handlers.FileExists(args[2])) {
    handlers.Splash(args[2]);
    return;
  }
  if (count >= 3 && word == kGuardModeWord) {
    handlers.Guard(args);
    return;
  }
  if (word.empty() || std::string("/setup|/config|/icon|/splash|").find(word + "|") == std::string::npos)
    return;
  if (word == "/setup" && count >= 2 && handlers.FileExists(args[2])) handlers.Setup(args);
  if ((word == "/config" || word == "/icon" || word == "/splash") && count >= 3 &&
      handlers.FileExists(args[2]) && handlers.FileExists(args[3]))
    handlers.Patch(word, args[2], args[3]);
}
