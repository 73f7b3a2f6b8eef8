// Relaying a kept message to the mail server that bin/Apache/sendmail.ini
// names (section "sendmail"); without smtp_server nothing leaves the machine.
#pragma once

#include <string>
#include <vector>

namespace mail {

struct RelaySettings {
  std::string server;      // smtp_server; empty: mail is kept only
  int port = 0;            // smtp_port; 0: 465 with ssl, else 25
  std::string ssl = "auto";  // smtp_ssl: auto, ssl, tls or none
  std::string username;    // auth_username
  std::string password;    // auth_password
  std::string forceSender; // force_sender: the sender the server is told
  std::string hostname;    // hostname: the name this machine gives itself
  std::string caFile;      // smtp_cafile: authorities to trust besides the tree's
};

RelaySettings ReadRelaySettings(const std::string& iniFile);

// Why this platform's mail program keeps mail only; empty where it relays.
std::string WhyNoRelay();

// Sends `message` (its Bcc header already taken out) from `sender` to
// `recipients`, checking the server's certificate against the bundle
// `caBundle` and the settings' smtp_cafile. Empty when the server accepted
// the message; otherwise the server's own reason, or what went wrong on the way.
std::string Relay(const RelaySettings& settings, const std::string& caBundle, const std::string& sender,
                  const std::vector<std::string>& recipients, const std::string& message);

}  // namespace mail
