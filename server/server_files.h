// Where the server programs sit in the bin folder, and what each platform's
// servers need beyond the configuration lines both platforms share.
#pragma once

#include <string>
#include <vector>

class TIniFile;

namespace server_files {

// Relative to the bin folder, with the platform's separators.
extern const char* const kApacheExe;
extern const char* const kMySqlExe;
extern const char* const kMySqlLanguage;
extern const char* const kSendmail;
extern const char* const kZendManager;   // relative to the PHP folder
extern const char* const kIonCubeLoader; // relative to the PHP folder

// The line that loads PHP into the web server.
std::string PhpModuleLine(const std::string& binDir);
// Lines the web server needs before the shared ones (empty on Windows).
std::vector<std::string> HttpdPreamble(const std::string& binDir, const std::string& workDir);
// The access rules, inside a folder's section, that admit only requests
// that carry the variable `localClient` and do not carry `otherName`.
std::vector<std::string> LocalOnlyAccess(const std::string& localClient, const std::string& otherName);
// Lines that refuse, with the reason, every request carrying `otherName`;
// `localAccess` are the LocalOnlyAccess lines, for a server that needs them.
std::vector<std::string> RefuseOtherNames(const std::string& otherName,
                                          const std::vector<std::string>& localAccess,
                                          const std::string& reason);
// Why this platform's web server cannot be given the folder's name as it is;
// empty when it can.
std::string WhyApacheCannotName(const std::string& folder);
// PHP's command for the mail program, keeping its messages in `mailbox`.
std::string MailCommand(const std::string& sendmail, const std::string& mailbox);
// Lets the web server's user write the folder; false when that failed.
bool LetWebServerWrite(const std::string& folder);
// The web server's command line after the program.
std::string ApacheParams(const std::string& httpdConf);
// The database server's socket in the work folder; empty where it has none.
std::string MySqlSocket(const std::string& workDir);
// Keys the database server needs besides the shared four.
void WriteMyIniExtras(TIniFile& myIni, const std::string& workDir);
// Environment the servers need besides the launcher's own variables.
void PrepareServerEnvironment();
// Keys PHP needs besides the shared seven; phpDir is the bin folder's PHP folder.
void WritePhpIniExtras(TIniFile& phpIni, const std::string& phpDir, int mySqlPort,
                       const std::string& workDir);

}  // namespace server_files
