#include "mail/relay.h"

namespace mail {

std::string WhyNoRelay() { return "this mail program keeps mail only on Windows; nothing was sent"; }

std::string Relay(const RelaySettings&, const std::string&, const std::string&, const std::vector<std::string>&,
                  const std::string&) {
  return WhyNoRelay();
}

}  // namespace mail
