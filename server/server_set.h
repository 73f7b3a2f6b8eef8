// Which server programs the bin folder holds. Each server's generation is
// decided once per start, from the files that are there, and everything
// after it (configuration, start, readiness, stop, the guard) uses it.
#pragma once

#include <string>

enum class TServerGeneration {
  kClassic,  // Apache.exe, php5apache.dll and mysqld.exe: the names the stack has always used
  kCurrent,  // Apache 2.4, PHP 8 and MariaDB, laid out as their own builds unpack
};

struct TServerSet {
  TServerGeneration web;
  TServerGeneration php;
  TServerGeneration database;
  // Relative to the bin folder.
  std::string webServer;
  std::string phpModule;
  std::string databaseServer;
};

namespace server_set {

// What a bin folder without any server program is taken to hold.
TServerSet Default();
// The servers of the bin folder: the older names first, each server's own
// newer layout when they are absent. Raises EHiError, naming both files,
// for a web server and a PHP module that cannot work together.
TServerSet Find(const std::string& binDir);

}  // namespace server_set
