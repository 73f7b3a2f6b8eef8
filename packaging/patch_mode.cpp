#include "packaging/patch_mode.h"

#include <chrono>
#include <exception>
#include <thread>

#include "util/hi.h"

namespace {

void WaitUntilWritable(const std::string& target, const std::function<void()>& pumpMessages) {
  while (THi::IsFileInUse(target)) {
    pumpMessages();
    THi::SetReadOnlyTree(target, false);
    // A short pause keeps the wait from taking a whole processor while the
    // launcher shuts down.
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

}  // namespace

std::string RunPatchMode(const std::string& modeWord, const std::string& target,
                         const std::string& source, const std::function<void()>& pumpMessages) {
  if (!THi::FileExists(target) || !THi::FileExists(source)) return {};
  try {
    WaitUntilWritable(target, pumpMessages);
    if (modeWord == "/config") {
      THi::WriteDataResource(target, "RES_CONFIG_INI", THi::LoadFile(source));
    } else if (modeWord == "/splash") {
      THi::WriteDataResource(target, "RES_SPLASH", THi::LoadFile(source));
    } else if (modeWord == "/icon") {
      THi::ReplaceIcon(target, source);
    }
  } catch (const std::exception& e) {
    return e.what();
  }
  return {};
}
