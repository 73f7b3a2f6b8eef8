#include "server/server_config.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <system_error>

#include "server/config_quoting.h"
#include "server/server_files.h"
#include "util/hi.h"
#include "util/hi_error.h"
#include "util/ini_file.h"
#include "util/platform.h"

namespace {

std::string InWorkDir(const std::string& name) {
  return THi::GetWorkDir() + platform::kPathDelim + name;
}


std::string ForwardSlashes(std::string path) {
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

// A folder that exists (made when missing) and that the web server may write.
bool UsableFolder(const std::string& folder) {
  std::error_code ec;
  std::filesystem::create_directory(std::filesystem::path(std::u8string(folder.begin(), folder.end())), ec);
  return THi::DirectoryExists(folder) && server_files::LetWebServerWrite(folder) &&
         THi::WhyNotWritable(folder).empty();
}

// A folder copied from read-only media into the work folder, made writable.
std::string CopyIntoWorkDir(const std::string& folder, const std::string& name) {
  THi::CopyFolder(folder, THi::GetWorkDir());
  const std::string copy = InWorkDir(name);
  THi::SetReadOnlyTree(copy, false);
  return copy;
}

// A folder as a pattern that matches it and everything below it, whatever
// its name holds: a plain folder section would take "[", "*" and "?" for
// wildcards. The web server compares paths with forward slashes.
std::string FolderPattern(std::string folder) {
  std::replace(folder.begin(), folder.end(), platform::kPathDelim, '/');
  return server_config::ApacheQuoted("^" + server_config::ApacheRegexLiteral(folder) + "(/|$)");
}

// Set for a request that does not name the stack by one of its own names.
constexpr char kOtherNameVariable[] = "LODESTACK_OTHER_NAME";

std::vector<std::string> LocalAccessLines() {
  return server_files::LocalOnlyAccess(server_config::kLocalClientVariable, kOtherNameVariable);
}

// A folder that answers only the stack's own requests.
std::vector<std::string> LocalFolderLines(const std::string& folder, const std::string& reason) {
  std::vector<std::string> lines = {"<DirectoryMatch " + FolderPattern(folder) + ">"};
  for (const std::string& line : LocalAccessLines()) lines.push_back(line);
  lines.push_back("ErrorDocument 403 \"" + reason + "\"");
  lines.push_back("</DirectoryMatch>");
  return lines;
}

// Only a request from this computer that also names the stack by one of its
// own names is the stack's own: a page of another site in the user's
// browser can point a name of its own at 127.0.0.1, but cannot make the
// browser send one of these for it. Served on the loopback address only,
// every other name is refused; shared on the network, only phpMyAdmin and
// the stack's own pages are kept to the stack's own requests. The PHP pages
// check the same themselves.
std::vector<std::string> LocalRequestLines(const std::string& documentRoot, const std::string& pagesDir,
                                           int httpPort, bool loopbackOnly) {
  const std::string other = kOtherNameVariable;
  const std::string port = std::to_string(httpPort);
  std::vector<std::string> lines = {
      "SetEnvIf Remote_Addr \"^(127\\.|::1$|::ffff:127\\.)\" " + std::string(server_config::kLocalClientVariable) +
          "=1",
      "SetEnvIf Remote_Addr ^ " + other + "=1",
      "SetEnvIfNoCase Host \"^(127\\.0\\.0\\.1|localhost|\\[::1\\])(:" + port + ")?$\" !" + other,
      // The pages' own check needs the port this run serves on: the one in
      // a request's Host is the client's to choose.
      "SetEnvIf Remote_Addr ^ " + std::string(server_config::kHttpPortVariable) + "=" + port,
      // Without a closing separator on either side, which would have to be
      // on both; a name that merely starts with "lodestack" stays the site's.
      "Alias /lodestack " + server_config::ApacheQuoted(pagesDir),
  };
  for (const std::string& line : LocalFolderLines(
           documentRoot + platform::kPathDelim + "phpmyadmin",
           "phpMyAdmin answers only on the computer that runs the stack: "
           "the database and its tools are not shared on the network."))
    lines.push_back(line);
  for (const std::string& line : LocalFolderLines(
           pagesDir, "The stack's own pages answer only on the computer that runs the stack, "
                     "opened as 127.0.0.1, localhost or [::1]."))
    lines.push_back(line);
  if (loopbackOnly) {
    for (const std::string& line : server_files::RefuseOtherNames(
             other, LocalAccessLines(), "This stack answers only to its own names: 127.0.0.1, localhost and [::1]."))
      lines.push_back(line);
  }
  return lines;
}

}  // namespace

namespace server_config {

void RefuseUnwritableFolders(std::initializer_list<std::string> folders) {
  for (const std::string& folder : folders) {
    const std::string why = folder.find_first_of("\r\n") != std::string::npos
                                ? "its name holds a line break"
                                : server_files::WhyApacheCannotName(folder);
    if (!why.empty())
      throw EHiError("The stack cannot run from the folder \"" + folder + "\": " + why +
                     ", which the web server's configuration cannot hold. Rename the folder or move "
                     "the stack to another one.");
  }
}

std::string WriteHttpdConf(const std::string& binDir, int httpPort, const std::string& ip,
                           bool copySiteFromCd) {
  const std::string work = THi::GetWorkDir();
  const std::string file = InWorkDir("httpd.conf");
  const std::string listen = ip == "127.0.0.1" ? "127.0.0.1" : "0.0.0.0";
  std::string documentRoot = THi::GetAppPath() + "www";
  RefuseUnwritableFolders({documentRoot, binDir, work});
  if (THi::IsCdRom() && copySiteFromCd) documentRoot = CopyIntoWorkDir(documentRoot, "www");

  std::vector<std::string> lines = server_files::HttpdPreamble(binDir, work);
  for (const std::string& line : {
           "PidFile " + ApacheQuoted(InWorkDir("httpd.pid")),
           "ErrorLog " + ApacheQuoted(InWorkDir("error.log")),
           "Listen " + listen + ":" + std::to_string(httpPort),
           std::string("ServerName 127.0.0.1"),
           "DocumentRoot " + ApacheQuoted(documentRoot),
           std::string("DirectoryIndex index.php index.html index.htm index.php5 index.php4 "
                       "index.php3 defult.htm default.html"),
           std::string("TypesConfig mime.types"),
           std::string("UseCanonicalName Off"),
           server_files::PhpModuleLine(binDir),
           std::string("AddType application/x-httpd-php .php"),
           std::string("LoadModule rewrite_module mod_rewrite.so"),
       })
    lines.push_back(line);
  // After the eleven lines, which load the rewrite module the rules may need.
  for (const std::string& line :
       LocalRequestLines(documentRoot, binDir + platform::kPathDelim + "pages", httpPort, listen == "127.0.0.1"))
    lines.push_back(line);

  std::string text;
  for (const std::string& line : lines) text += line + platform::kEol;
  THi::SaveFile(file, text);
  return file;
}

std::string WritePhpIni(const std::string& binDir, int mySqlPort) {
  return WritePhpIniInto(THi::GetWorkDir(), binDir, mySqlPort);
}

std::string WritePhpIniInto(const std::string& folder, const std::string& binDir, int mySqlPort) {
  const char sep = platform::kPathDelim;
  const std::string phpDir = binDir + sep + "php";
  const std::string file = folder + sep + "php.ini";
  THi::CopyFile(phpDir + sep + "php.ini", file);
  THi::SetReadOnlyTree(file, false);

  TIniFile ini(file);
  ini.Write("PHP", "extension_dir", PhpIniQuoted(phpDir + sep + "ext"));
  ini.Write("PHP", "mime_magic.magicfile", PhpIniQuoted(phpDir + sep + "ext" + sep + "magic.mime"));
  ini.Write("Zend", "zend_extension_manager.optimizer_ts", PhpIniQuoted(phpDir + sep + "Zend"));
  ini.Write("Zend", "zend_extension_ts", PhpIniQuoted(phpDir + sep + server_files::kZendManager));
  ini.Write("ionCube", "zend_extension_ts", PhpIniQuoted(phpDir + sep + server_files::kIonCubeLoader));
  ini.Write("MySQL", "mysql.default_port", std::to_string(mySqlPort));
  server_files::WritePhpIniExtras(ini, phpDir, mySqlPort, folder);
  ini.Write("Lodestack", kPagesSetting, PhpIniQuoted(binDir + sep + "pages"));
  try {
    const std::string sendmail =
        THi::GetShortPath(THi::ExpandPath(binDir + sep + server_files::kSendmail));
    // Without the tree's mail program PHP keeps its own default: a command
    // of just " -t" would make every mail() fail.
    if (!sendmail.empty()) {
      const std::string mailbox = MailboxFolder();
      ini.Write("mail function", "sendmail_path",
                PhpIniQuoted(server_files::MailCommand(sendmail, THi::GetShortPath(mailbox))));
      ini.Write("Lodestack", kMailboxSetting, PhpIniQuoted(mailbox));
    }
  } catch (const std::exception&) {
  }
  ini.Save();
  return file;
}

std::string MailboxFolder() {
  const std::string own = THi::GetAppPath() + "mail";
  if (!THi::IsCdRom() && UsableFolder(own)) return own;
  const std::string forTheRun = InWorkDir("mail");
  UsableFolder(forTheRun);
  return forTheRun;
}

std::string WriteMyIni(const std::string& binDir, int mySqlPort) {
  const std::string file = InWorkDir("my.ini");
  const char sep = platform::kPathDelim;
  TIniFile ini(file);
  ini.Write("mysqld", "basedir", MySqlQuoted(ForwardSlashes(binDir + sep + "mysql")));
  ini.Write("mysqld", "datadir", MySqlQuoted(ForwardSlashes(THi::GetAppPath() + "data")));
  ini.Write("mysqld", "bind-address", "127.0.0.1");
  ini.Write("mysqld", "port", std::to_string(mySqlPort));
  server_files::WriteMyIniExtras(ini, THi::GetWorkDir());
  if (THi::IsCdRom()) {
    // The database server needs to write its data: on a CD it works on a copy.
    const std::string copy = CopyIntoWorkDir(THi::GetAppPath() + "data", "data");
    ini.Write("mysqld", "datadir", MySqlQuoted(ForwardSlashes(copy)));
  }
  ini.Save();
  return file;
}

}  // namespace server_config
