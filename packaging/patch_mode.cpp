#include "packaging/patch_mode.h"

#include <chrono>
#include <exception>
#include <memory>
#include <thread>

#include "util/hi.h"
#include "util/icon_file.h"
#include "util/resource_editor.h"
#include "util/resource_types.h"

namespace {

// Long enough for a program that is still ending; a file that cannot be
// written for another reason never will be.
constexpr auto kWriteLimit = std::chrono::seconds(10);

// Empty once the target can be written; otherwise why not.
std::string WaitUntilWritable(const std::string& target, const std::function<void()>& pumpMessages) {
  const auto deadline = std::chrono::steady_clock::now() + kWriteLimit;
  while (THi::IsFileInUse(target)) {
    pumpMessages();
    THi::SetReadOnlyTree(target, false);
    if (std::chrono::steady_clock::now() >= deadline) {
      const std::string why = THi::WhyNotWritable(target);
      return "Unable to write to " + target + ": " + (why.empty() ? "it is in use." : why);
    }
    // A short pause keeps the wait from taking a whole processor while the
    // launcher shuts down.
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return {};
}

const char* DataResourceOf(const std::string& modeWord) {
  if (modeWord == "/config") return "RES_CONFIG_INI";
  if (modeWord == "/splash") return "RES_SPLASH";
  return nullptr;
}

// One resource of a program file as it is now; empty when it is not there.
std::string ReadResource(const std::string& program, std::uint16_t type, const std::string& name) {
  std::unique_ptr<ResourceEditor> view = ResourceEditor::Create();
  std::string bytes;
  if (!view->OpenView(program)) return bytes;
  if (view->Read(type, ResourceName::Named(name), bytes) != ResourceEditor::Lookup::kFound) bytes.clear();
  view->CloseView();
  return bytes;
}

std::uint16_t Le16(const std::string& bytes, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                    static_cast<unsigned char>(bytes[at + 1]) << 8);
}

}  // namespace

bool PatchIsStored(const std::string& modeWord, const std::string& target, const std::string& source) {
  try {
    const std::string bytes = THi::LoadFile(source);
    if (const char* name = DataResourceOf(modeWord)) return ReadResource(target, kResData, name) == bytes;
    const std::string group = ReadResource(target, kResGroupIcon, "MAINICON");
    return group.size() >= 6 && group == icon_file::Group(bytes, Le16(group, 0), Le16(group, 2));
  } catch (const std::exception&) {
    return false;
  }
}

std::string RunPatchMode(const std::string& modeWord, const std::string& target,
                         const std::string& source, const std::function<void()>& pumpMessages) {
  if (!THi::FileExists(target) || !THi::FileExists(source)) return {};
  if (!DataResourceOf(modeWord) && modeWord != "/icon") return {};
  try {
    if (const std::string why = WaitUntilWritable(target, pumpMessages); !why.empty()) return why;
    if (const char* name = DataResourceOf(modeWord)) {
      THi::WriteDataResource(target, name, THi::LoadFile(source));
    } else {
      THi::ReplaceIcon(target, source);
    }
  } catch (const std::exception& e) {
    return e.what();
  }
  if (!PatchIsStored(modeWord, target, source))
    return "Unable to store " + source + " in " + target + ": the file was not changed.";
  return {};
}
