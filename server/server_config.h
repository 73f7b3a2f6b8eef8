// The server configurations written into the work folder at every start,
// for wherever the stack now is: httpd.conf, php.ini and my.ini. Each returns
// the path of the file it wrote; a file that cannot be written raises EHiError.
#pragma once

#include <string>

namespace server_config {

// Set by the web server for requests from this computer (a loopback
// address): phpMyAdmin answers only those, and the stack's pages show their
// database details only to them.
inline constexpr char kLocalClientVariable[] = "LODESTACK_LOCAL_CLIENT";

// The web server's configuration, listening on `ip` ("127.0.0.1" means the
// loopback address only, anything else all interfaces) and `httpPort`. On a
// CD-ROM with `copySiteFromCd`, the site is copied into the work folder and
// served from there. The site's folder "phpmyadmin" answers only this computer.
std::string WriteHttpdConf(const std::string& binDir, int httpPort, const std::string& ip,
                           bool copySiteFromCd);
// The template php.ini of the bin folder with the paths and the database port of this run.
std::string WritePhpIni(const std::string& binDir, int mySqlPort);
// The same php.ini, written into another folder (a command's own, while the stack is stopped).
std::string WritePhpIniInto(const std::string& folder, const std::string& binDir, int mySqlPort);
// The option file of the database client and dump (--defaults-file), beside
// my.ini: this run's socket and port, as the database's root user.
inline constexpr char kClientOptionsFile[] = "client.cnf";
std::string WriteClientOptions(int mySqlPort);
// The database server's options; on a CD-ROM the data folder is copied into
// the work folder and used from there.
std::string WriteMyIni(const std::string& binDir, int mySqlPort);

}  // namespace server_config
