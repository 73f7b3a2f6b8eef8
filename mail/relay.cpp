#include "mail/relay.h"

#include <cstdlib>

#include "util/hi.h"

namespace mail {

RelaySettings ReadRelaySettings(const std::string& iniFile) {
  RelaySettings settings;
  if (!THi::FileExists(iniFile)) return settings;
  auto value = [&](const char* key) { return THi::ReadIniValue(iniFile, "sendmail", key); };
  settings.server = value("smtp_server");
  settings.port = std::atoi(value("smtp_port").c_str());
  const std::string ssl = value("smtp_ssl");
  if (!ssl.empty()) settings.ssl = ssl;
  settings.username = value("auth_username");
  settings.password = value("auth_password");
  settings.forceSender = value("force_sender");
  settings.hostname = value("hostname");
  settings.caFile = value("smtp_cafile");
  return settings;
}

}  // namespace mail
