// Environment and network operations that are the same on every platform.
#include "util/hi.h"
#include "util/hi_internal.h"
#include "util/platform.h"

std::string THi::GetDesktopDir() { return GetSpecialFolder(16); }

std::string THi::GetDocumentsDir() { return GetSpecialFolder(5); }

std::string THi::GetInstanceHash(const std::string& text) {
  return Md5Hex(text.empty() ? GetProgramFile() : text);
}

std::string THi::GetWorkDir() {
  const std::string temp = GetTempDir();
  const std::string hash = GetInstanceHash();
  // Without either part the "work folder" would be the temporary folder
  // itself, or a relative one, and the shut-down deletes the work folder.
  if (temp.empty() || hash.empty()) return {};
  const std::string folder = temp + platform::kPathDelim + hash;
  if (!DirectoryExists(folder)) hi_internal::CreateFolder(folder);
  return DirectoryExists(folder) ? folder : std::string();
}

bool THi::SetOsLanguageEnv() { return hi_internal::SetEnv("OS_LANGUAGE", GetSystemLanguage()); }

bool THi::SetPhprcEnv(const std::string& folder) {
  return hi_internal::SetEnv("PHPRC", folder.empty() ? GetWorkDir() : folder);
}

bool THi::SetEnvVar(const std::string& name, const std::string& value) {
  return hi_internal::SetEnv(name, value);
}

std::string THi::GetEnvVar(const std::string& name) { return hi_internal::GetEnv(name); }

bool THi::IsPortInUse(int port, bool loopback) {
  if (port < 0 || port > 65535) return true;
  return !hi_internal::CanListen(port, loopback);
}

bool THi::PortAccepts(int port) {
  return port > 0 && port <= 65535 && hi_internal::ProbeLoopback(port, -1);
}

bool THi::PortGreets(int port, int timeoutMs) {
  return port > 0 && port <= 65535 && hi_internal::ProbeLoopback(port, timeoutMs < 0 ? 0 : timeoutMs);
}

int THi::FindFreePort(int startPort, bool loopback) {
  for (int port = startPort < 0 ? 0 : startPort; port <= 65535; ++port) {
    if (!IsPortInUse(port, loopback)) return port;
  }
  return -1;
}
