#include "server/server_files.h"

#include "server/config_quoting.h"
#include "server/server_logs.h"
#include "util/command_line.h"
#include "util/hi.h"
#include "util/ini_file.h"

namespace server_files {

const char* const kMySqlLanguage = "mysql\\share\\english";
const char* const kSendmail = "Apache\\sendmail.exe";
const char* const kZendManager = "Zend\\ZendExtensionManager.dll";
const char* const kIonCubeLoader = "ionCube\\ioncube_loader_win_5.2.dll";

std::optional<TServerNames> ClassicServers() {
  return TServerNames{{"Apache\\Apache.exe"}, "php\\php5apache.dll", "mysql\\bin\\mysqld.exe"};
}

// Apache Lounge's "Apache24" folder becomes "Apache"; some copy its programs
// up to the folder itself.
TServerNames CurrentServers() {
  return {{"Apache\\bin\\httpd.exe", "Apache\\httpd.exe"}, "php\\php8apache2_4.dll",
          "mysql\\bin\\mariadbd.exe"};
}

const char* const kApache24ModuleDir = "modules/";
const char* const kApache24MimeTypes = "conf/mime.types";

// Its process model (winnt) is built in, and it serves as the launcher's user.
std::vector<std::pair<std::string, std::string>> Apache24PlatformModules() { return {}; }
std::vector<std::string> WebServerUserLines() { return {}; }

// ionCube ships one loader for each PHP 8 version, and only PHP's own would
// load: with several there is no telling which one fits, and none is written.
std::string CurrentIonCubeLoader(const std::string& phpDir) {
  const std::string folder = phpDir + "\\ionCube";
  std::string found;
  for (const std::string& name : THi::ListFiles(folder)) {
    std::string lower = name;
    for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (lower.rfind("ioncube_loader_win_8.", 0) != 0 || !lower.ends_with(".dll")) continue;
    if (!found.empty()) return {};
    found = folder + "\\" + name;
  }
  return found;
}

// This server (2.0 and later) expands "${NAME}" from the environment and
// has no way of writing it literally.
std::string WhyApacheCannotName(const std::string& folder) {
  return folder.find("${") == std::string::npos ? std::string() : "its name holds \"${\"";
}

// The mail program and the mailbox have short paths, which hold no blank
// where the volume keeps short names; where it does not, the long path is
// quoted, as PHP hands the command to cmd.exe.
std::string MailCommand(const std::string& sendmail, const std::string& mailbox) {
  const auto word = [](const std::string& text) {
    return text.find_first_of(" \t") == std::string::npos ? text : QuoteArgument(text);
  };
  return word(sendmail) + " -t " + word("--mailbox=" + mailbox);
}

// The web server runs as the launcher's own user.
bool LetWebServerWrite(const std::string&) { return true; }

// The web server runs as the user who started the stack.
void LetWebServerRead(const std::vector<std::string>&) {}

std::string ApacheParams(const std::string& httpdConf) { return "-f " + QuoteArgument(httpdConf); }

// The database server writes its errors to a file of its own choosing
// unless told: the same log its output goes to. Option files take
// backslashes as escapes, so the path has forward ones.
void WriteMyIniExtras(TIniFile& myIni, const std::string& workDir) {
  std::string log = workDir + "/" + server_logs::kDatabaseOutput;
  for (char& c : log)
    if (c == '\\') c = '/';
  myIni.Write("mysqld", "log-error", server_config::MySqlQuoted(log));
}

std::string MySqlSocket(const std::string&) { return {}; }

void PrepareServerEnvironment() {}

// PHP's extensions need the DLLs beside PHP itself, which Windows finds
// only on the PATH (or beside the web server's own program).
void PrepareWebServerEnvironment(const std::string& binDir) {
  const std::string php = binDir + "\\php";
  const std::string path = THi::GetEnvVar("PATH");
  if (path == php || path.rfind(php + ";", 0) == 0) return;
  THi::SetEnvVar("PATH", path.empty() ? php : php + ";" + path);
}

void WritePhpIniExtras(TIniFile&, const std::string&, int, const std::string&) {}

}  // namespace server_files
