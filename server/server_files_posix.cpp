// Debian's Apache, PHP 8 and MariaDB, copied into the folder tree.
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <utility>

#include "server/server_files.h"

#include "server/config_quoting.h"
#include "util/command_line.h"
#include "util/hi.h"
#include "util/ini_file.h"

namespace server_files {

const char* const kMySqlLanguage = "mysql/share/english";
const char* const kSendmail = "Apache/sendmail";
const char* const kZendManager = "Zend/ZendExtensionManager.so";
const char* const kIonCubeLoader = "ionCube/ioncube_loader_lin_8.2.so";

namespace {

// Apache refuses to serve as root: it then runs as the owner of the program
// file, or as nobody when root owns that too.
struct WebServerUser {
  std::string user = "nobody";
  std::string group = "nogroup";
  uid_t uid = static_cast<uid_t>(-1);
  gid_t gid = static_cast<gid_t>(-1);
};

std::optional<WebServerUser> WebServerUserWhenRoot() {
  if (geteuid() != 0) return std::nullopt;
  WebServerUser as;
  struct stat st {};
  const passwd* user = nullptr;
  if (stat(THi::GetProgramFile().c_str(), &st) == 0 && st.st_uid != 0) user = getpwuid(st.st_uid);
  if (!user) user = getpwnam("nobody");
  if (user && user->pw_uid != 0) {
    as.uid = user->pw_uid;
    as.gid = user->pw_gid;
    if (std::string(user->pw_name) != "nobody") {
      as.user = user->pw_name;
      const group* primary = getgrgid(user->pw_gid);
      as.group = primary ? primary->gr_name : "nogroup";
    }
  }
  if (as.user == "nobody")
    if (const group* none = getgrnam("nogroup")) as.gid = none->gr_gid;
  return as;
}

}  // namespace

std::vector<std::string> WebServerUserLines() {
  const std::optional<WebServerUser> as = WebServerUserWhenRoot();
  if (!as) return {};
  return {"User " + as->user, "Group " + as->group};
}

// Linux has only today's servers, under the names the Windows tree had.
std::optional<TServerNames> ClassicServers() { return std::nullopt; }
TServerNames CurrentServers() { return {{"Apache/Apache"}, "php/libphp.so", "mysql/bin/mysqld"}; }

const char* const kApache24ModuleDir = "";
const char* const kApache24MimeTypes = "mime.types";

// Debian builds the process model as a module.
std::vector<std::pair<std::string, std::string>> Apache24PlatformModules() {
  return {{"mpm_prefork_module", "mod_mpm_prefork.so"}};
}

std::string CurrentIonCubeLoader(const std::string& phpDir) {
  const std::string loader = phpDir + "/" + kIonCubeLoader;
  return THi::FileExists(loader) ? loader : std::string();
}

// Apache 2.4 can be given any name but one with a line break.
std::string WhyApacheCannotName(const std::string&) { return {}; }

// PHP hands the command to the shell.
std::string MailCommand(const std::string& sendmail, const std::string& mailbox) {
  return server_config::ShellQuoted(sendmail) + " -t --mailbox=" + server_config::ShellQuoted(mailbox);
}

// PHP runs the mail program as the web server's user, which must write the
// mailbox even when the launcher runs as root.
bool LetWebServerWrite(const std::string& folder) {
  const std::optional<WebServerUser> as = WebServerUserWhenRoot();
  return !as || chown(folder.c_str(), as->uid, as->gid) == 0;
}

// Started as root, the web server serves as another user, who may pass
// through the work folder (to the database socket) but not list it, and who
// can open only what is readable to it. Of the work folder's files the logs
// alone become readable to it, through its group, for the logs page; no one
// else can read them.
void LetWebServerRead(const std::vector<std::string>& logs) {
  const std::optional<WebServerUser> as = WebServerUserWhenRoot();
  if (!as) return;
  for (const std::string& log : logs) {
    const int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOFOLLOW, 0640);
    if (fd < 0) continue;
    if (fchown(fd, static_cast<uid_t>(-1), as->gid) == 0) fchmod(fd, 0640);
    close(fd);
  }
}

// In the foreground the web server stays our child instead of detaching.
std::string ApacheParams(const std::string& httpdConf) {
  return "-f " + QuoteArgument(httpdConf) + " -DFOREGROUND";
}

// Debian's PHP also reads the machine's own extension settings, which would
// load every extension of the tree a second time: only php.ini counts.
void PrepareServerEnvironment() { THi::SetEnvVar("PHP_INI_SCAN_DIR", ""); }

// Every program of the tree finds its libraries through its own RUNPATH.
void PrepareWebServerEnvironment(const std::string&) {}

std::string MySqlSocket(const std::string& workDir) { return workDir + "/mysql.sock"; }

// The socket would otherwise go to the machine's own folder (/run/mysqld).
void WriteMyIniExtras(TIniFile& myIni, const std::string& workDir) {
  myIni.Write("mysqld", "socket", server_config::MySqlQuoted(MySqlSocket(workDir)));
}

// PHP's drivers take the host "localhost" to mean a Unix socket, and most
// applications name that host: it must be this stack's socket, not the machine's.
// The tree carries its certificate authorities: a bundle the template names
// without a folder is the PHP folder's, and PHP needs its full path.
void WritePhpIniExtras(TIniFile& phpIni, const std::string& phpDir, int,
                       const std::string& workDir) {
  const std::string socket = server_config::PhpIniQuoted(MySqlSocket(workDir));
  phpIni.Write("MySQLi", "mysqli.default_socket", socket);
  phpIni.Write("Pdo_mysql", "pdo_mysql.default_socket", socket);
  for (const auto& [section, key] : {std::pair<const char*, const char*>{"curl", "curl.cainfo"},
                                     {"openssl", "openssl.cafile"}}) {
    const std::string bundle = phpIni.Read(section, key);
    if (!bundle.empty() && bundle.find('/') == std::string::npos)
      phpIni.Write(section, key, server_config::PhpIniQuoted(phpDir + "/" + bundle));
  }
}

}  // namespace server_files
