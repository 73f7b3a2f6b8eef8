#include "server/server_set.h"

#include <optional>

#include "server/server_files.h"
#include "util/hi.h"
#include "util/hi_error.h"
#include "util/platform.h"

namespace {

std::string InBin(const std::string& binDir, const std::string& relative) {
  return binDir + platform::kPathDelim + relative;
}

bool Has(const std::string& binDir, const std::string& relative) {
  return !binDir.empty() && THi::FileExists(InBin(binDir, relative));
}

}  // namespace

namespace server_set {

TServerSet Default() {
  const std::optional<server_files::TServerNames> classic = server_files::ClassicServers();
  const server_files::TServerNames names = classic ? *classic : server_files::CurrentServers();
  const TServerGeneration generation = classic ? TServerGeneration::kClassic : TServerGeneration::kCurrent;
  return {generation, generation, generation, names.webServers.front(), names.phpModule, names.databaseServer};
}

TServerSet Find(const std::string& binDir) {
  TServerSet set = Default();
  const std::optional<server_files::TServerNames> classic = server_files::ClassicServers();
  const server_files::TServerNames current = server_files::CurrentServers();
  const auto hasClassic = [&](const std::string server_files::TServerNames::*name) {
    return classic && Has(binDir, (*classic).*name);
  };

  if (!classic || !Has(binDir, classic->webServers.front())) {
    for (const std::string& program : current.webServers) {
      if (!Has(binDir, program)) continue;
      set.web = TServerGeneration::kCurrent;
      set.webServer = program;
      break;
    }
  }
  // Each web server takes its own PHP module where both are there; with
  // only the other's, the pair is refused below; with none, PHP follows the
  // web server.
  const bool hasOlderModule = hasClassic(&server_files::TServerNames::phpModule);
  const bool hasNewerModule = Has(binDir, current.phpModule);
  if (set.web == TServerGeneration::kCurrent ? hasNewerModule || !hasOlderModule
                                             : hasNewerModule && !hasOlderModule) {
    set.php = TServerGeneration::kCurrent;
    set.phpModule = current.phpModule;
  }
  // MariaDB's own build also holds a mysqld.exe: its mariadbd tells it apart.
  if (Has(binDir, current.databaseServer)) {
    set.database = TServerGeneration::kCurrent;
    set.databaseServer = current.databaseServer;
  }

  if (set.web != set.php) {
    const std::string web = InBin(binDir, set.webServer);
    const std::string module = InBin(binDir, set.phpModule);
    throw EHiError("The web server " + web + " cannot load the PHP module " + module + ": " +
                   (set.web == TServerGeneration::kClassic
                        ? "that module is for Apache 2.4. Put Apache 2.4 into " + InBin(binDir, "Apache") +
                              " in place of " + web + ", or use the PHP module built for this web server."
                        : "that module is for the older web server. Use PHP 8's module for Apache 2.4, " +
                              InBin(binDir, current.phpModule) + ", in its place."));
  }
  return set;
}

}  // namespace server_set
