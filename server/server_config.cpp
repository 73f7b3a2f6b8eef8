#include "server/server_config.h"

#include <algorithm>
#include <exception>

#include "server/config_quoting.h"
#include "server/server_files.h"
#include "util/hi.h"
#include "util/platform.h"

namespace {

std::string InWorkDir(const std::string& name) {
  return THi::GetWorkDir() + platform::kPathDelim + name;
}


std::string ForwardSlashes(std::string path) {
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

// A folder copied from read-only media into the work folder, made writable.
std::string CopyIntoWorkDir(const std::string& folder, const std::string& name) {
  THi::CopyFolder(folder, THi::GetWorkDir());
  const std::string copy = InWorkDir(name);
  THi::SetReadOnlyTree(copy, false);
  return copy;
}

// Served on every interface the site is shared, but phpMyAdmin logs in as
// the database's root user: it answers only requests from this computer,
// which the web server marks for the pages too.
std::vector<std::string> LocalOnlyLines(const std::string& documentRoot) {
  using server_config::kLocalClientVariable;
  std::vector<std::string> lines = {
      std::string("SetEnvIf Remote_Addr \"^(127\\.|::1$|::ffff:127\\.)\" ") + kLocalClientVariable + "=1",
      "<Directory " + server_config::ApacheQuoted(documentRoot + platform::kPathDelim + "phpmyadmin") + ">",
  };
  for (const std::string& line : server_files::AccessOnlyWith(kLocalClientVariable)) lines.push_back(line);
  lines.push_back("ErrorDocument 403 \"phpMyAdmin answers only on the computer that runs the stack: "
                  "the database and its tools are not shared on the network.\"");
  lines.push_back("</Directory>");
  return lines;
}

}  // namespace

namespace server_config {

std::string WriteHttpdConf(const std::string& binDir, int httpPort, const std::string& ip,
                           bool copySiteFromCd) {
  const std::string work = THi::GetWorkDir();
  const std::string file = InWorkDir("httpd.conf");
  const std::string listen = ip == "127.0.0.1" ? "127.0.0.1" : "0.0.0.0";
  std::string documentRoot = THi::GetAppPath() + "www";
  if (THi::IsCdRom() && copySiteFromCd) documentRoot = CopyIntoWorkDir(documentRoot, "www");

  std::vector<std::string> lines = server_files::HttpdPreamble(binDir, work);
  for (const std::string& line : LocalOnlyLines(documentRoot)) lines.push_back(line);
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

  THi::WriteIniValue(file, "PHP", "extension_dir", PhpIniQuoted(phpDir + sep + "ext"));
  THi::WriteIniValue(file, "PHP", "mime_magic.magicfile",
                     PhpIniQuoted(phpDir + sep + "ext" + sep + "magic.mime"));
  THi::WriteIniValue(file, "Zend", "zend_extension_manager.optimizer_ts",
                     PhpIniQuoted(phpDir + sep + "Zend"));
  THi::WriteIniValue(file, "Zend", "zend_extension_ts",
                     PhpIniQuoted(phpDir + sep + server_files::kZendManager));
  THi::WriteIniValue(file, "ionCube", "zend_extension_ts",
                     PhpIniQuoted(phpDir + sep + server_files::kIonCubeLoader));
  THi::WriteIniValue(file, "MySQL", "mysql.default_port", std::to_string(mySqlPort));
  server_files::WritePhpIniExtras(file, phpDir, mySqlPort, folder);
  try {
    const std::string sendmail =
        THi::GetShortPath(THi::ExpandPath(binDir + sep + server_files::kSendmail));
    // Without the tree's mail program PHP keeps its own default: a command
    // of just " -t" would make every mail() fail.
    if (!sendmail.empty())
      THi::WriteIniValue(file, "mail function", "sendmail_path", PhpIniQuoted(sendmail + " -t"));
  } catch (const std::exception&) {
  }
  return file;
}

std::string WriteMyIni(const std::string& binDir, int mySqlPort) {
  const std::string file = InWorkDir("my.ini");
  const char sep = platform::kPathDelim;
  THi::WriteIniValue(file, "mysqld", "basedir", MySqlQuoted(ForwardSlashes(binDir + sep + "mysql")));
  THi::WriteIniValue(file, "mysqld", "datadir", MySqlQuoted(ForwardSlashes(THi::GetAppPath() + "data")));
  THi::WriteIniValue(file, "mysqld", "bind-address", "127.0.0.1");
  THi::WriteIniValue(file, "mysqld", "port", std::to_string(mySqlPort));
  server_files::WriteMyIniExtras(file, THi::GetWorkDir());
  if (THi::IsCdRom()) {
    // The database server needs to write its data: on a CD it works on a copy.
    const std::string copy = CopyIntoWorkDir(THi::GetAppPath() + "data", "data");
    THi::WriteIniValue(file, "mysqld", "datadir", MySqlQuoted(ForwardSlashes(copy)));
  }
  return file;
}

}  // namespace server_config
