#include "server/server_config.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#include "server/config_quoting.h"
#include "server/server_files.h"
#include "server/server_logs.h"
#include "server/server_set.h"
#include "util/hi.h"
#include "util/hi_error.h"
#include "util/ini_file.h"
#include "util/platform.h"

namespace {

std::string InWorkDir(const std::string& name) {
  return THi::GetWorkDir() + platform::kPathDelim + name;
}

// The logs the logs page shows, by the php.ini keys that name them.
constexpr std::pair<const char*, const char*> kLogSettings[] = {
    {"lodestack.web_server_errors", server_logs::kWebServerErrors},
    {"lodestack.database_log", server_logs::kDatabaseOutput},
    {"lodestack.servers_output", server_logs::kWebServerOutput},
};

// A log's path without links, as the page shows it.
std::string LogPath(const char* name) {
  const std::string path = InWorkDir(name);
  std::error_code ec;
  const std::u8string canonical =
      std::filesystem::weakly_canonical(std::filesystem::path(std::u8string(path.begin(), path.end())), ec)
          .u8string();
  return ec ? path : std::string(canonical.begin(), canonical.end());
}

std::vector<std::string> LogPaths() {
  std::vector<std::string> paths;
  for (const auto& [key, name] : kLogSettings) paths.push_back(LogPath(name));
  return paths;
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

bool IsApache24(const TServerSet& servers) { return servers.web == TServerGeneration::kCurrent; }

// The access rules, inside a folder's section, that admit only requests
// from this computer that name the stack by its own names. The older web
// server cannot test one variable against another, but admitting by one
// and refusing by the other needs neither.
std::vector<std::string> LocalAccessLines(const TServerSet& servers) {
  const std::string local = server_config::kLocalClientVariable;
  if (IsApache24(servers))
    return {"<RequireAll>", "Require env " + local, "Require not env " + std::string(kOtherNameVariable),
            "</RequireAll>"};
  return {"Order Allow,Deny", "Allow from env=" + local, "Deny from env=" + std::string(kOtherNameVariable)};
}

// Lines that refuse, with the reason, every request by another name. Apache
// 2.4 answers it as misdirected, before any page or PHP runs; the older web
// server has no such answer and refuses the whole site as forbidden.
std::vector<std::string> RefuseOtherNames(const TServerSet& servers, const std::string& reason) {
  if (IsApache24(servers))
    return {"RewriteEngine On", "RewriteCond %{ENV:" + std::string(kOtherNameVariable) + "} =1",
            "RewriteRule ^ - [R=421,L]", "ErrorDocument 421 \"" + reason + "\""};
  std::vector<std::string> lines = {"<Location />"};
  for (const std::string& line : LocalAccessLines(servers)) lines.push_back(line);
  lines.push_back("ErrorDocument 403 \"" + reason + "\"");
  lines.push_back("</Location>");
  return lines;
}

// A folder that answers only the stack's own requests.
std::vector<std::string> LocalFolderLines(const TServerSet& servers, const std::string& folder,
                                          const std::string& reason) {
  std::vector<std::string> lines = {"<DirectoryMatch " + FolderPattern(folder) + ">"};
  for (const std::string& line : LocalAccessLines(servers)) lines.push_back(line);
  lines.push_back("ErrorDocument 403 \"" + reason + "\"");
  lines.push_back("</DirectoryMatch>");
  return lines;
}

// What Apache 2.4 needs before the shared lines: its server root, a
// runtime folder of the run's own, and the modules the configuration uses.
std::vector<std::string> Apache24Preamble(const std::string& binDir, const std::string& workDir) {
  std::vector<std::string> lines = {
      // Before any quoted path, which may name it.
      server_config::kApacheDollarDefine,
      "ServerRoot " + server_config::ApacheQuoted(binDir + platform::kPathDelim + "Apache"),
      "DefaultRuntimeDir " + server_config::ApacheQuoted(workDir),
  };
  std::vector<std::pair<std::string, std::string>> modules = server_files::Apache24PlatformModules();
  for (const char* name : {"authz_core", "mime", "dir", "setenvif", "alias"})
    modules.emplace_back(std::string(name) + "_module", std::string("mod_") + name + ".so");
  for (const auto& [name, file] : modules)
    lines.push_back("LoadModule " + name + " " + server_files::kApache24ModuleDir + file);
  for (const std::string& line : server_files::WebServerUserLines()) lines.push_back(line);
  return lines;
}

// Only a request from this computer that also names the stack by one of its
// own names is the stack's own: a page of another site in the user's
// browser can point a name of its own at 127.0.0.1, but cannot make the
// browser send one of these for it. Served on the loopback address only,
// every other name is refused; shared on the network, only phpMyAdmin and
// the stack's own pages are kept to the stack's own requests. The PHP pages
// check the same themselves.
std::vector<std::string> LocalRequestLines(const TServerSet& servers, const std::string& documentRoot,
                                           const std::string& pagesDir, int httpPort, bool loopbackOnly) {
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
           servers, documentRoot + platform::kPathDelim + "phpmyadmin",
           "phpMyAdmin answers only on the computer that runs the stack: "
           "the database and its tools are not shared on the network."))
    lines.push_back(line);
  for (const std::string& line : LocalFolderLines(
           servers, pagesDir, "The stack's own pages answer only on the computer that runs the stack, "
                     "opened as 127.0.0.1, localhost or [::1]."))
    lines.push_back(line);
  if (loopbackOnly) {
    for (const std::string& line :
         RefuseOtherNames(servers, "This stack answers only to its own names: 127.0.0.1, localhost and [::1]."))
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

std::string WriteHttpdConf(const std::string& binDir, const TServerSet& servers, int httpPort,
                           const std::string& ip, bool copySiteFromCd) {
  const std::string work = THi::GetWorkDir();
  const std::string file = InWorkDir("httpd.conf");
  const std::string listen = ip == "127.0.0.1" ? "127.0.0.1" : "0.0.0.0";
  std::string documentRoot = THi::GetAppPath() + "www";
  RefuseUnwritableFolders({documentRoot, binDir, work});
  if (THi::IsCdRom() && copySiteFromCd) documentRoot = CopyIntoWorkDir(documentRoot, "www");

  std::vector<std::string> lines;
  if (IsApache24(servers)) lines = Apache24Preamble(binDir, work);
  // Apache 2.4's modules and types sit in folders of its server root.
  const std::string moduleDir = IsApache24(servers) ? server_files::kApache24ModuleDir : "";
  const std::string mimeTypes = IsApache24(servers) ? server_files::kApache24MimeTypes : "mime.types";
  for (const std::string& line : {
           "PidFile " + ApacheQuoted(InWorkDir("httpd.pid")),
           "ErrorLog " + ApacheQuoted(InWorkDir("error.log")),
           "Listen " + listen + ":" + std::to_string(httpPort),
           std::string("ServerName 127.0.0.1"),
           "DocumentRoot " + ApacheQuoted(documentRoot),
           std::string("DirectoryIndex index.php index.html index.htm index.php5 index.php4 "
                       "index.php3 defult.htm default.html"),
           "TypesConfig " + mimeTypes,
           std::string("UseCanonicalName Off"),
           std::string(servers.php == TServerGeneration::kCurrent ? "LoadModule php_module "
                                                                   : "LoadModule php5_module ") +
               ApacheQuoted(binDir + platform::kPathDelim + servers.phpModule),
           std::string("AddType application/x-httpd-php .php"),
           "LoadModule rewrite_module " + moduleDir + "mod_rewrite.so",
       })
    lines.push_back(line);
  // After the eleven lines, which load the rewrite module the rules may need.
  for (const std::string& line :
       LocalRequestLines(servers, documentRoot, binDir + platform::kPathDelim + "pages", httpPort, listen == "127.0.0.1"))
    lines.push_back(line);
  server_files::LetWebServerRead(LogPaths());

  std::string text;
  for (const std::string& line : lines) text += line + platform::kEol;
  THi::SaveFile(file, text);
  return file;
}

std::string WritePhpIni(const std::string& binDir, const TServerSet& servers, int mySqlPort) {
  return WritePhpIniInto(THi::GetWorkDir(), binDir, servers, mySqlPort);
}

std::string WritePhpIniInto(const std::string& folder, const std::string& binDir, const TServerSet& servers,
                            int mySqlPort) {
  const char sep = platform::kPathDelim;
  const std::string phpDir = binDir + sep + "php";
  const std::string file = folder + sep + "php.ini";
  THi::CopyFile(phpDir + sep + "php.ini", file);
  THi::SetReadOnlyTree(file, false);

  TIniFile ini(file);
  ini.Write("PHP", "extension_dir", PhpIniQuoted(phpDir + sep + "ext"));
  ini.Write("PHP", "mime_magic.magicfile",
                     PhpIniQuoted(phpDir + sep + "ext" + sep + "magic.mime"));
  ini.Write("Zend", "zend_extension_manager.optimizer_ts",
                     PhpIniQuoted(phpDir + sep + "Zend"));
  ini.Write("Zend", "zend_extension_ts",
                     PhpIniQuoted(phpDir + sep + server_files::kZendManager));
  ini.Write("ionCube", "zend_extension_ts",
                     PhpIniQuoted(phpDir + sep + server_files::kIonCubeLoader));
  ini.Write("MySQL", "mysql.default_port", std::to_string(mySqlPort));
  if (servers.php == TServerGeneration::kCurrent) {
    // PHP 8's mysqli takes its default port from its own key, and loads a
    // loader only as a zend_extension, which fails PHP's start when the
    // file is missing.
    ini.Write("MySQLi", "mysqli.default_port", std::to_string(mySqlPort));
    const std::string ionCube = server_files::CurrentIonCubeLoader(phpDir);
    if (!ionCube.empty()) ini.Write("ionCube", "zend_extension", PhpIniQuoted(ionCube));
  }
  server_files::WritePhpIniExtras(ini, phpDir, mySqlPort, folder);
  ini.Write("Lodestack", kPagesSetting, PhpIniQuoted(binDir + sep + "pages"));
  for (const auto& [key, name] : kLogSettings) ini.Write("Lodestack", key, PhpIniQuoted(LogPath(name)));
  try {
    const std::string expanded = THi::ExpandPath(binDir + sep + server_files::kSendmail);
    const std::string shortPath = THi::GetShortPath(expanded);
    // Without the tree's mail program (Down Size removed it) the command
    // still names it: mail() then fails, and the shell's "not found" names
    // what is missing, instead of PHP's own default handing the message to
    // a mail server of this machine, which would send it for real.
    const std::string sendmail = shortPath.empty() ? expanded : shortPath;
    const std::string mailbox = MailboxFolder();
    ini.Write("mail function", "sendmail_path",
                       PhpIniQuoted(server_files::MailCommand(sendmail, THi::GetShortPath(mailbox))));
    // The pages show the kept messages either way.
    ini.Write("Lodestack", kMailboxSetting, PhpIniQuoted(mailbox));
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

std::string WriteMyIni(const std::string& binDir, const TServerSet& servers, int mySqlPort) {
  const std::string file = InWorkDir("my.ini");
  const char sep = platform::kPathDelim;
  TIniFile ini(file);
  ini.Write("mysqld", "basedir", MySqlQuoted(ForwardSlashes(binDir + sep + "mysql")));
  ini.Write("mysqld", "datadir", MySqlQuoted(ForwardSlashes(THi::GetAppPath() + "data")));
  ini.Write("mysqld", "bind-address", "127.0.0.1");
  ini.Write("mysqld", "port", std::to_string(mySqlPort));
  server_files::WriteMyIniExtras(ini, THi::GetWorkDir());
  if (servers.database == TServerGeneration::kCurrent) {
    // The pid file would otherwise go into the data folder.
    ini.Write("mysqld", "pid-file",
                       MySqlQuoted(ForwardSlashes(InWorkDir("mysqld.pid"))));
    // Without InnoDB, MariaDB needs another engine for new tables.
    ini.Write("mysqld", "default-storage-engine", "Aria");
    // Text in any language is stored as written.
    ini.Write("mysqld", "character-set-server", "utf8mb4");
  }
  if (THi::IsCdRom()) {
    // The database server needs to write its data: on a CD it works on a copy.
    const std::string copy = CopyIntoWorkDir(THi::GetAppPath() + "data", "data");
    ini.Write("mysqld", "datadir", MySqlQuoted(ForwardSlashes(copy)));
  }
  ini.Save();
  return file;
}

}  // namespace server_config
