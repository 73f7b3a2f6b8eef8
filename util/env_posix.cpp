// Environment, locale and network on Linux. The temporary folder is private
// to the user: /tmp is shared, and a work folder there would let another
// user plant the configuration our servers run with.
#include <arpa/inet.h>
#include <langinfo.h>
#include <locale.h>
#include <netinet/in.h>
#include <poll.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <map>

#include "util/hi.h"
#include "util/hi_internal.h"
#include "util/private_folder_posix.h"

namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string StripTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// A folder is private when it is a real folder (not a link), ours, and
// closed to everyone else (see PrivateFolderMode).
bool IsPrivateFolder(const std::string& folder) {
  struct stat st {};
  return lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() &&
         (st.st_mode & 077) == (PrivateFolderMode() & 077) &&
         access(folder.c_str(), W_OK | X_OK) == 0;
}

// ${TMPDIR:-/tmp}/lodestack-<uid>, created private; refused when something
// else already holds the name.
std::string OwnTempFolder() {
  std::string base = StripTrailingSlashes(Env("TMPDIR"));
  if (base.empty()) base = "/tmp";
  const std::string folder = base + "/lodestack-" + std::to_string(geteuid());
  if (mkdir(folder.c_str(), PrivateFolderMode()) != 0 && errno != EEXIST) return {};
  struct stat st {};
  if (lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != geteuid()) return {};
  // Ours but with other permissions (set by ourselves, since nobody else can
  // own it as us, or by the umask): set them again.
  if ((st.st_mode & 0777) != PrivateFolderMode() && chmod(folder.c_str(), PrivateFolderMode()) != 0)
    return {};
  return IsPrivateFolder(folder) ? folder : std::string();
}

std::string HomeDir() {
  std::string home = Env("HOME");
  if (home.empty()) {
    if (const passwd* pw = getpwuid(geteuid())) home = pw->pw_dir;
  }
  return StripTrailingSlashes(home);
}

// A folder named in the XDG user-dirs file, e.g. XDG_DESKTOP_DIR="$HOME/Desktop".
std::string XdgUserDir(const std::string& key, const std::string& fallback) {
  const std::string home = HomeDir();
  std::string config = Env("XDG_CONFIG_HOME");
  if (config.empty()) config = home + "/.config";
  std::ifstream in(config + "/user-dirs.dirs");
  for (std::string line; std::getline(in, line);) {
    if (line.rfind(key + "=", 0) != 0) continue;
    std::string value = line.substr(key.size() + 1);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
      value = value.substr(1, value.size() - 2);
    if (value.rfind("$HOME", 0) == 0) value = home + value.substr(5);
    if (!value.empty() && value.front() == '/') return StripTrailingSlashes(value);
  }
  return home + "/" + fallback;
}

// The locale that decides the language of messages.
std::string MessagesLocaleName() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const std::string value = Env(name);
    if (!value.empty()) return value;
  }
  return "C";
}

// For a locale whose data is not installed: the language of its code.
std::string LanguageOfCode(const std::string& locale) {
  static const std::map<std::string, std::string> names = {
      {"ar", "Arabic"},   {"cs", "Czech"},     {"da", "Danish"},    {"de", "German"},
      {"el", "Greek"},    {"en", "English"},   {"es", "Spanish"},   {"fi", "Finnish"},
      {"fr", "French"},   {"he", "Hebrew"},    {"hu", "Hungarian"}, {"it", "Italian"},
      {"ja", "Japanese"}, {"ko", "Korean"},    {"nb", "Norwegian"}, {"nl", "Dutch"},
      {"pl", "Polish"},   {"pt", "Portuguese"}, {"ru", "Russian"},  {"sv", "Swedish"},
      {"tr", "Turkish"},  {"uk", "Ukrainian"}, {"zh", "Chinese"}};
  const auto it = names.find(locale.substr(0, locale.find_first_of("_.@")));
  return it == names.end() ? "English" : it->second;
}

}  // namespace

std::string THi::GetTempDir() {
  const std::string runtime = StripTrailingSlashes(Env("XDG_RUNTIME_DIR"));
  if (!runtime.empty() && runtime.front() == '/' && IsPrivateFolder(runtime)) return runtime;
  return OwnTempFolder();
}

std::string THi::GetWindowsDir() { return {}; }

std::string THi::GetSpecialFolder(int id) {
  switch (id) {
    case 16: return XdgUserDir("XDG_DESKTOP_DIR", "Desktop");
    case 5: return XdgUserDir("XDG_DOCUMENTS_DIR", "Documents");
    default: return {};
  }
}

std::string THi::GetDownloadsDir() {
  const std::string folder = XdgUserDir("XDG_DOWNLOAD_DIR", "Downloads");
  return DirectoryExists(folder) ? folder : HomeDir();
}

std::string THi::GetSystemLanguage() {
  const std::string name = MessagesLocaleName();
  if (name == "C" || name == "POSIX" || name.rfind("C.", 0) == 0) return "English";
  const locale_t locale = newlocale(LC_ALL_MASK, name.c_str(), static_cast<locale_t>(nullptr));
  if (!locale) return LanguageOfCode(name);
  std::string language = nl_langinfo_l(_NL_IDENTIFICATION_LANGUAGE, locale);
  freelocale(locale);
  return language.empty() ? LanguageOfCode(name) : language;
}

namespace hi_internal {

bool SetEnv(const std::string& name, const std::string& value) {
  return setenv(name.c_str(), value.c_str(), 1) == 0;
}

std::string GetEnv(const std::string& name) { return Env(name.c_str()); }

bool CanListen(int port, bool loopback) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  // As the servers do: a port whose old connections linger in TIME_WAIT is
  // free for them, so it counts as free here too.
  const int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(loopback ? INADDR_LOOPBACK : INADDR_ANY);
  const bool ok = bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
                  listen(fd, 1) == 0;
  close(fd);
  return ok;
}

bool ProbeLoopback(int port, int greetingMs) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bool ok = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  if (ok && greetingMs >= 0) {
    pollfd p{fd, POLLIN, 0};
    char first = 0;
    ok = poll(&p, 1, greetingMs) > 0 && recv(fd, &first, 1, MSG_DONTWAIT) == 1;
  }
  close(fd);
  return ok;
}

}  // namespace hi_internal
