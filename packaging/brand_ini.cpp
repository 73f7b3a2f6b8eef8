#include "packaging/brand_ini.h"

#include <utility>

#include "util/ini_file.h"

void WriteDefaultBrandIni(const std::string& file) {
  static const std::pair<const char*, const char*> kDefaults[] = {
      {"splashfilename", ""}, {"title", "\"My Program\""}, {"iconfile", ""},
      {"toolbar", "1"},       {"statusbar", "1"},          {"trayicon", "0"},
      {"fullscreen", "0"},    {"ip", "127.0.0.1"},         {"port", "80"},
      {"datadir", ""},        {"srcdir", ""},              {"outputdir", ""},
      {"copyfilestoharddisk", "0"}, {"brand", "1"},
      // A branded copy has no inspector unless its maker allows one.
      {"devtools", "0"},
  };
  TIniFile ini(file);
  for (const auto& [key, value] : kDefaults) ini.Write(kBrandSection, key, value);
  ini.Save();
}
