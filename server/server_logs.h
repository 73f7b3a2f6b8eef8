// What the servers say. Their standard output and error go to log files in
// the work folder (the database server's is its error log); a server that
// fails is told with the last lines of them.
#pragma once

#include <string>

namespace server_logs {

// File names in the work folder. The start page reads the database
// server's log under this name (tools/stack/index.php).
inline constexpr char kWebServerOutput[] = "apache.log";
inline constexpr char kWebServerErrors[] = "error.log";  // Apache's own ErrorLog
inline constexpr char kDatabaseOutput[] = "mysqld.log";

// The last `count` lines of a log that hold any text, each on its own line
// and cut to a readable length; empty when the file is missing or empty.
std::string LastLines(const std::string& file, int count);

}  // namespace server_logs
