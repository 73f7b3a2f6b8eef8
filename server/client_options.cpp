#include "server/config_quoting.h"
#include "server/server_config.h"
#include "server/server_files.h"
#include "util/hi.h"
#include "util/platform.h"

namespace server_config {

// The client reads only this file (the machine's /etc/mysql files would
// otherwise win over any environment variable and name another server).
std::string WriteClientOptions(int mySqlPort) {
  const std::string work = THi::GetWorkDir();
  const std::string file = work + platform::kPathDelim + kClientOptionsFile;
  std::string text = std::string("[client]") + platform::kEol + "user=root" + platform::kEol +
                     "port=" + std::to_string(mySqlPort) + platform::kEol;
  const std::string socket = server_files::MySqlSocket(work);
  // Without a socket the client goes by TCP to this run's port.
  text += socket.empty() ? std::string("host=127.0.0.1")
                         : "host=localhost" + std::string(platform::kEol) + "socket=" + MySqlQuoted(socket);
  text += platform::kEol;
  THi::SaveFile(file, text);
  return file;
}

}  // namespace server_config
