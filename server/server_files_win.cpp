#include "server/server_files.h"

#include "server/config_quoting.h"
#include "server/server_logs.h"
#include "util/command_line.h"
#include "util/hi.h"
#include "util/ini_file.h"

namespace server_files {

const char* const kApacheExe = "Apache\\Apache.exe";
const char* const kMySqlExe = "mysql\\bin\\mysqld.exe";
const char* const kMySqlLanguage = "mysql\\share\\english";
const char* const kSendmail = "Apache\\sendmail.exe";
const char* const kZendManager = "Zend\\ZendExtensionManager.dll";
const char* const kIonCubeLoader = "ionCube\\ioncube_loader_win_5.2.dll";

std::string PhpModuleLine(const std::string& binDir) {
  return "LoadModule php5_module " + server_config::ApacheQuoted(binDir + "\\php\\php5apache.dll");
}

std::vector<std::string> HttpdPreamble(const std::string&, const std::string&) { return {}; }

// The tree's Apache has the access and environment modules built in. It
// cannot test one variable against another, but admitting by one and
// refusing by the other needs neither.
std::vector<std::string> LocalOnlyAccess(const std::string& localClient, const std::string& otherName) {
  return {"Order Allow,Deny", "Allow from env=" + localClient, "Deny from env=" + otherName};
}

// This server has no answer for a misdirected request: it refuses the whole
// site as forbidden.
std::vector<std::string> RefuseOtherNames(const std::string&, const std::vector<std::string>& localAccess,
                                          const std::string& reason) {
  std::vector<std::string> lines = {"<Location />"};
  lines.insert(lines.end(), localAccess.begin(), localAccess.end());
  lines.push_back("ErrorDocument 403 \"" + reason + "\"");
  lines.push_back("</Location>");
  return lines;
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

void WritePhpIniExtras(TIniFile&, const std::string&, int, const std::string&) {}

}  // namespace server_files
