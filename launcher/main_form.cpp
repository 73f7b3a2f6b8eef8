#include "launcher/main_form.h"

#include "launcher/config.h"
#include "packaging/brand_ini.h"
#include "server/server_config.h"
#include "util/platform.h"

std::string TfrmMain::PrepareConfigIni() {
  const std::string path = THi::GetWorkDir() + platform::kPathDelim + "Config.ini";
  THi::SaveResourceToFile(kConfigResource, path);
  return path;
}

std::string TfrmMain::ReadConfig(const std::string& key) const {
  return THi::ReadIniValue(FConfigIni, kConfigSection, key);
}

void TfrmMain::WriteConfig(const std::string& key, const std::string& value) {
  THi::WriteIniValue(FConfigIni, kConfigSection, key, value);
}

bool TfrmMain::ConfigIsOn(const std::string& key) const { return IsOn(ReadConfig(key)); }

std::string TfrmMain::WriteDefaultBrandIni() {
  const std::string path = THi::GetWorkDir() + platform::kPathDelim + "Brand.ini";
  ::WriteDefaultBrandIni(path);
  return path;
}

std::string TfrmMain::WriteHttpdConf() {
  return server_config::WriteHttpdConf(FBinDir, FHttpPort, ReadConfig("ip"),
                                       ConfigIsOn("copyfilestoharddisk"));
}

std::string TfrmMain::WritePhpIni() { return server_config::WritePhpIni(FBinDir, FMySqlPort); }

std::string TfrmMain::WriteMyIni() { return server_config::WriteMyIni(FBinDir, FMySqlPort); }

std::string TfrmMain::ResolveBinDir() {
  const std::string bin = THi::GetAppPath() + "bin";
  if (!THi::IsCdRom()) return bin;
  // The work folder dies at shut-down, so the copy is made at every start.
  const std::string work = THi::GetWorkDir();
  THi::CopyFolder(bin, work);
  const std::string copy = work + platform::kPathDelim + "bin";
  THi::SetReadOnlyTree(copy, false);
  return copy;
}

std::string TfrmMain::MakeCommandCopy() {
  const std::string copy = THi::MakeUniqueFileName("tnlt_cmd", "", 0, ".tmp");
  THi::CopyFile(THi::GetProgramFile(), copy);
  THi::SetReadOnlyTree(copy, false);
  return copy;
}

void TfrmMain::HandOverConfig() {
  const std::string copy = MakeCommandCopy();
  const std::string ini = copy + ".ini";
  THi::CopyFile(FConfigIni, ini);
  THi::RunProgram(copy, "/setup \"" + THi::GetProgramFile() + "\" \"" + ini + "\"", "", kShowNormal);
  QuitApplication();
}
