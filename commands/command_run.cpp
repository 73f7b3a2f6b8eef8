#include "commands/command_run.h"

#include "server/server_config.h"
#include "util/hi.h"
#include "util/platform.h"

namespace commands {

TStack FindStack() {
  TStack stack;
  stack.appPath = THi::GetAppPath();
  stack.programFile = THi::GetProgramFile();
  stack.shell = THi::GetEnvVar("SHELL");
  stack.path = THi::GetEnvVar("PATH");
  stack.comSpec = THi::GetEnvVar("ComSpec");
  stack.fileExists = [](const std::string& file) { return THi::FileExists(file); };
  // The work folder counts once the launcher that holds it has written
  // php.ini there; asking GetWorkDir would create it for a stopped stack.
  const std::string hash = THi::GetInstanceHash();
  if (!THi::InstanceMutexHeld(hash)) return stack;
  const std::string work = THi::GetTempDir() + platform::kPathDelim + hash;
  if (!THi::FileExists(work + platform::kPathDelim + "php.ini")) return stack;
  stack.workDir = work;
  const std::string options = work + platform::kPathDelim + server_config::kClientOptionsFile;
  if (THi::FileExists(options)) stack.clientOptions = options;
  return stack;
}

}  // namespace commands
