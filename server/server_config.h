// The server configurations written into the work folder at every start,
// for wherever the stack now is: httpd.conf, php.ini and my.ini. Each returns
// the path of the file it wrote; a file that cannot be written raises EHiError.
#pragma once

#include <initializer_list>
#include <string>

#include "server/server_set.h"

namespace server_config {

// Set by the web server for requests from this computer (a loopback
// address). The stack's own requests are those that also name it by one of
// its own names (127.0.0.1, localhost, [::1], with no port or this run's):
// phpMyAdmin and the pages under /lodestack/ answer only those, and the
// start and help pages show their database details only to them.
inline constexpr char kLocalClientVariable[] = "LODESTACK_LOCAL_CLIENT";
// The port this run serves on, for the pages' own check of the Host.
inline constexpr char kHttpPortVariable[] = "LODESTACK_HTTP_PORT";
// The php.ini key naming the folder of the stack's own pages, where every
// page finds local.php, the PHP half of the rule above.
inline constexpr char kPagesSetting[] = "lodestack.pages";
// The php.ini key naming the mailbox, for the mail page.
inline constexpr char kMailboxSetting[] = "lodestack.mailbox";

// Raises EHiError, naming the folder, when a folder's name cannot be written
// into the servers' configurations so that they read it back as it is. The
// launcher asks before it starts anything: a server never serves another folder.
void RefuseUnwritableFolders(std::initializer_list<std::string> folders);

// Each writer fits the configuration to the generation of its server in `servers`.
// The web server's configuration, listening on `ip` ("127.0.0.1" means the
// loopback address only, anything else all interfaces) and `httpPort`. On a
// CD-ROM with `copySiteFromCd`, the site is copied into the work folder and
// served from there. The site's folder "phpmyadmin" and the bin folder's
// "pages" (as /lodestack/) answer only the stack's own requests; served on
// loopback only, every other request is refused before any PHP runs.
std::string WriteHttpdConf(const std::string& binDir, const TServerSet& servers, int httpPort,
                           const std::string& ip, bool copySiteFromCd);
// The template php.ini of the bin folder with the paths and the database port
// of this run, and the folder of the stack's own pages (kPagesSetting).
std::string WritePhpIni(const std::string& binDir, const TServerSet& servers, int mySqlPort);
// The same php.ini, written into another folder (a command's own, while the stack is stopped).
std::string WritePhpIniInto(const std::string& folder, const std::string& binDir, const TServerSet& servers,
                            int mySqlPort);
// The option file of the database client and dump (--defaults-file), beside
// my.ini: this run's socket and port, as the database's root user.
inline constexpr char kClientOptionsFile[] = "client.cnf";
std::string WriteClientOptions(int mySqlPort);
// The mailbox the mail program keeps every message in: the program folder's
// "mail", kept across runs; the work folder's, for the run, when the program
// folder cannot be written. Made when missing, writable by the web server.
std::string MailboxFolder();
// The database server's options; on a CD-ROM the data folder is copied into
// the work folder and used from there.
std::string WriteMyIni(const std::string& binDir, const TServerSet& servers, int mySqlPort);

}  // namespace server_config
