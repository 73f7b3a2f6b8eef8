// TMainRun's configuration: the working Config.ini, the bin folder, and the
// hand-over of a changed configuration to the program file.
#include "launcher/main_run.h"

#include "launcher/config.h"
#include "packaging/brand_ini.h"
#include "server/server_config.h"
#include "util/command_line.h"
#include "util/platform.h"

std::string TMainRun::PrepareConfigIni() {
  const std::string path = THi::GetWorkDir() + platform::kPathDelim + "Config.ini";
  THi::SaveResourceToFile(kConfigResource, path);
  return path;
}

std::string TMainRun::ReadConfig(const std::string& key) const {
  return THi::ReadIniValue(FConfigIni, kConfigSection, key);
}

void TMainRun::WriteConfig(const std::string& key, const std::string& value) {
  THi::WriteIniValue(FConfigIni, kConfigSection, key, value);
}

bool TMainRun::ConfigIsOn(const std::string& key) const { return IsOn(ReadConfig(key)); }

std::string TMainRun::WriteDefaultBrandIni() {
  const std::string path = THi::GetWorkDir() + platform::kPathDelim + "Brand.ini";
  ::WriteDefaultBrandIni(path);
  return path;
}

std::string TMainRun::WriteHttpdConf() {
  return server_config::WriteHttpdConf(FBinDir, FServers, FHttpPort, ReadConfig("ip"),
                                       ConfigIsOn("copyfilestoharddisk"));
}

std::string TMainRun::WritePhpIni() { return server_config::WritePhpIni(FBinDir, FServers, FMySqlPort); }

std::string TMainRun::WriteMyIni() {
  const std::string file = server_config::WriteMyIni(FBinDir, FServers, FMySqlPort);
  // For the stack's command line: its client and dump reach this server.
  server_config::WriteClientOptions(FMySqlPort);
  return file;
}

std::string TMainRun::ResolveBinDir() {
  const std::string bin = THi::GetAppPath() + "bin";
  if (!THi::IsCdRom()) return bin;
  // The work folder dies at shut-down, so the copy is made at every start.
  const std::string work = THi::GetWorkDir();
  THi::CopyFolder(bin, work);
  const std::string copy = work + platform::kPathDelim + "bin";
  THi::SetReadOnlyTree(copy, false);
  return copy;
}

std::string TMainRun::MakeCommandCopy() {
  const std::string copy = THi::MakeUniqueFileName("tnlt_cmd", "", 0, ".tmp");
  // A copy that could not be written completely is none.
  if (!THi::CopyFile(THi::GetProgramFile(), copy)) THi::DeleteFile(copy);
  THi::SetReadOnlyTree(copy, false);
  return copy;
}

// The configuration goes into the program file by a new file written beside
// it (Linux) or by rewriting it (Windows): both need its folder writable.
std::string TMainRun::WhyConfigCannotBeStored() const {
  std::string why = THi::WhyNotWritable(THi::GetAppDir());
  if (why.empty()) return {};
  if (why.back() == '.') why.pop_back();
  return "The settings cannot be stored in " + THi::GetProgramFile() + ": " + why +
         ". Copy the stack to a folder you can write to and change them there.";
}

std::string TMainRun::HandOverConfig() {
  const std::string copy = MakeCommandCopy();
  const std::string ini = copy + ".ini";
  if (!THi::FileExists(copy) || !THi::CopyFile(FConfigIni, ini))
    return "Unable to write " + (THi::FileExists(copy) ? ini : copy) + ". The settings were not changed.";
  if (THi::RunProgram(copy, "/setup " + QuoteArguments({THi::GetProgramFile(), ini}), "",
                      kShowNormal) == 0)
    return "Unable to start " + copy + ". The settings were not changed.";
  QuitApplication();
  return {};
}
