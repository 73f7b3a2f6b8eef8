// Debian's Apache, PHP 8 and MariaDB, copied into the folder tree.
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

const char* const kApacheExe = "Apache/Apache";
const char* const kMySqlExe = "mysql/bin/mysqld";
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

std::vector<std::string> RunAsLines() {
  const std::optional<WebServerUser> as = WebServerUserWhenRoot();
  if (!as) return {};
  return {"User " + as->user, "Group " + as->group};
}

}  // namespace

std::string PhpModuleLine(const std::string& binDir) {
  return "LoadModule php_module " + server_config::ApacheQuoted(binDir + "/php/libphp.so");
}

std::vector<std::string> HttpdPreamble(const std::string& binDir, const std::string& workDir) {
  std::vector<std::string> lines = {
      // Before any quoted path, which may name it.
      server_config::kApacheDollarDefine,
      "ServerRoot " + server_config::ApacheQuoted(binDir + "/Apache"),
      "DefaultRuntimeDir " + server_config::ApacheQuoted(workDir),
      "LoadModule mpm_prefork_module mod_mpm_prefork.so",
      "LoadModule authz_core_module mod_authz_core.so",
      "LoadModule mime_module mod_mime.so",
      "LoadModule dir_module mod_dir.so",
      "LoadModule setenvif_module mod_setenvif.so",
      "LoadModule alias_module mod_alias.so",
  };
  for (const std::string& line : RunAsLines()) lines.push_back(line);
  return lines;
}

std::vector<std::string> LocalOnlyAccess(const std::string& localClient, const std::string& otherName) {
  return {"<RequireAll>", "Require env " + localClient, "Require not env " + otherName, "</RequireAll>"};
}

// A name the server does not serve is answered as misdirected, before any
// page or PHP runs.
std::vector<std::string> RefuseOtherNames(const std::string& otherName, const std::vector<std::string>&,
                                          const std::string& reason) {
  return {"RewriteEngine On", "RewriteCond %{ENV:" + otherName + "} =1", "RewriteRule ^ - [R=421,L]",
          "ErrorDocument 421 \"" + reason + "\""};
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

// In the foreground the web server stays our child instead of detaching.
std::string ApacheParams(const std::string& httpdConf) {
  return "-f " + QuoteArgument(httpdConf) + " -DFOREGROUND";
}

// Debian's PHP also reads the machine's own extension settings, which would
// load every extension of the tree a second time: only php.ini counts.
void PrepareServerEnvironment() { THi::SetEnvVar("PHP_INI_SCAN_DIR", ""); }

std::string MySqlSocket(const std::string& workDir) { return workDir + "/mysql.sock"; }

// The socket and pid file would otherwise go to the machine's own folders
// (/run/mysqld) or into the data folder.
void WriteMyIniExtras(TIniFile& myIni, const std::string& workDir) {
  myIni.Write("mysqld", "socket", server_config::MySqlQuoted(MySqlSocket(workDir)));
  myIni.Write("mysqld", "pid-file", server_config::MySqlQuoted(workDir + "/mysqld.pid"));
  // Without InnoDB, MariaDB needs another engine for new tables.
  myIni.Write("mysqld", "default-storage-engine", "Aria");
  // Text in any language is stored as written.
  myIni.Write("mysqld", "character-set-server", "utf8mb4");
}

// PHP 8's mysqli takes its default port from its own key. PHP's drivers take
// the host "localhost" to mean a Unix socket, and most applications name
// that host: it must be this stack's socket, not the machine's.
// The tree carries its certificate authorities: a bundle the template names
// without a folder is the PHP folder's, and PHP needs its full path.
void WritePhpIniExtras(TIniFile& phpIni, const std::string& phpDir, int mySqlPort,
                       const std::string& workDir) {
  phpIni.Write("MySQLi", "mysqli.default_port", std::to_string(mySqlPort));
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
