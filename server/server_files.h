// Where the server programs sit in the bin folder, and what each platform's
// servers need beyond the configuration lines both platforms share.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

class TIniFile;

namespace server_files {

// Relative to the bin folder, with the platform's separators.
extern const char* const kMySqlLanguage;
extern const char* const kSendmail;
extern const char* const kZendManager;   // relative to the PHP folder
extern const char* const kIonCubeLoader; // relative to the PHP folder

// One generation's server programs, relative to the bin folder.
struct TServerNames {
  std::vector<std::string> webServers;  // the first one there is the web server
  std::string phpModule;
  std::string databaseServer;
};
// The names the stack has always used; none where the platform never had them.
std::optional<TServerNames> ClassicServers();
// Apache 2.4, PHP 8 and MariaDB as this platform's builds lay them out.
TServerNames CurrentServers();

// Apache 2.4 on this platform: where its modules and mime.types are, from
// its server root (the bin folder's "Apache"), with forward slashes.
extern const char* const kApache24ModuleDir;
extern const char* const kApache24MimeTypes;
// Modules (name, file) this platform's Apache 2.4 needs before the shared ones.
std::vector<std::pair<std::string, std::string>> Apache24PlatformModules();
// Lines after the modules: whom the web server serves as, where it is told.
std::vector<std::string> WebServerUserLines();
// PHP 8's ionCube loader in the PHP folder; empty when there is none to load.
std::string CurrentIonCubeLoader(const std::string& phpDir);
// Why this platform's web server cannot be given the folder's name as it is;
// empty when it can.
std::string WhyApacheCannotName(const std::string& folder);
// PHP's command for the mail program, keeping its messages in `mailbox`.
std::string MailCommand(const std::string& sendmail, const std::string& mailbox);
// Lets the web server's user write the folder; false when that failed.
bool LetWebServerWrite(const std::string& folder);
// Makes the logs (created when missing) readable by the web server, for the
// logs page, when it serves as another user than the launcher's.
void LetWebServerRead(const std::vector<std::string>& logs);
// The web server's command line after the program.
std::string ApacheParams(const std::string& httpdConf);
// The database server's socket in the work folder; empty where it has none.
std::string MySqlSocket(const std::string& workDir);
// Keys the database server needs besides the shared four and MariaDB's.
void WriteMyIniExtras(TIniFile& myIni, const std::string& workDir);
// Environment the servers need besides the launcher's own variables.
void PrepareServerEnvironment();
// Environment the web server needs, set once before it first starts.
void PrepareWebServerEnvironment(const std::string& binDir);
// Keys PHP needs besides the shared seven; phpDir is the bin folder's PHP folder.
void WritePhpIniExtras(TIniFile& phpIni, const std::string& phpDir, int mySqlPort,
                       const std::string& workDir);

}  // namespace server_files
