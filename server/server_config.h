// The server configurations written into the work folder at every start,
// for wherever the stack now is: httpd.conf, php.ini and my.ini. Each returns
// the path of the file it wrote; a file that cannot be written raises EHiError.
#pragma once

#include <string>

namespace server_config {

// The web server's configuration, listening on `ip` ("127.0.0.1" means the
// loopback address only, anything else all interfaces) and `httpPort`. On a
// CD-ROM with `copySiteFromCd`, the site is copied into the work folder and
// served from there.
std::string WriteHttpdConf(const std::string& binDir, int httpPort, const std::string& ip,
                           bool copySiteFromCd);
// The template php.ini of the bin folder with the paths and the database port of this run.
std::string WritePhpIni(const std::string& binDir, int mySqlPort);
// The database server's options; on a CD-ROM the data folder is copied into
// the work folder and used from there.
std::string WriteMyIni(const std::string& binDir, int mySqlPort);

}  // namespace server_config
