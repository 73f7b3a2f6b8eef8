#include "forms/web_origin.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace {

struct TOrigin {
  std::string scheme;
  std::string host;
  int port = 0;
  bool operator==(const TOrigin&) const = default;
};

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

int DefaultPort(const std::string& scheme) {
  if (scheme == "http") return 80;
  if (scheme == "https") return 443;
  return -1;
}

// "scheme://[user@]host[:port][/...]"; nothing for any other form.
std::optional<TOrigin> OriginOf(const std::string& address) {
  const std::size_t separator = address.find("://");
  if (separator == std::string::npos || separator == 0) return std::nullopt;
  TOrigin origin{Lower(address.substr(0, separator)), "", 0};
  for (char c : origin.scheme)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.') return std::nullopt;

  std::string authority = address.substr(separator + 3);
  authority = authority.substr(0, authority.find_first_of("/?#\\"));
  // What stands before the last "@" is a user name, never the host.
  if (const std::size_t at = authority.rfind('@'); at != std::string::npos) authority.erase(0, at + 1);
  // A bracketed IPv6 address holds colons of its own.
  const std::size_t hostEnd = authority.rfind(']');
  const std::size_t colon = authority.find(':', hostEnd == std::string::npos ? 0 : hostEnd);
  origin.host = Lower(authority.substr(0, colon));
  if (origin.host.empty()) return std::nullopt;
  const std::string port = colon == std::string::npos ? "" : authority.substr(colon + 1);
  if (port.empty()) {
    origin.port = DefaultPort(origin.scheme);
  } else if (port.size() <= 5 &&
             std::all_of(port.begin(), port.end(), [](unsigned char c) { return std::isdigit(c); })) {
    origin.port = std::stoi(port);
  } else {
    return std::nullopt;
  }
  return origin;
}

}  // namespace

bool SameOrigin(const std::string& address, const std::string& other) {
  const std::optional<TOrigin> one = OriginOf(address);
  return one && one == OriginOf(other);
}
