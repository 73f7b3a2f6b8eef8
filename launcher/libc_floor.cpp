#include "launcher/libc_floor.h"

#include <cctype>
#include <vector>

namespace {

// The numbers of a dotted version; parsing stops at the first other character.
std::vector<unsigned long> Numbers(const std::string& version) {
  std::vector<unsigned long> numbers;
  std::size_t at = 0;
  while (at < version.size() && std::isdigit(static_cast<unsigned char>(version[at]))) {
    unsigned long number = 0;
    for (; at < version.size() && std::isdigit(static_cast<unsigned char>(version[at])); ++at)
      number = number * 10 + static_cast<unsigned long>(version[at] - '0');
    numbers.push_back(number);
    if (at < version.size() && version[at] == '.') ++at;
  }
  return numbers;
}

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

}  // namespace

bool VersionBelow(const std::string& have, const std::string& floor) {
  const std::vector<unsigned long> a = Numbers(have);
  const std::vector<unsigned long> b = Numbers(floor);
  for (std::size_t i = 0; i < a.size() || i < b.size(); ++i) {
    const unsigned long x = i < a.size() ? a[i] : 0;
    const unsigned long y = i < b.size() ? b[i] : 0;
    if (x != y) return x < y;
  }
  return false;
}

std::string LibcFloorRefusal(const std::string& program, const std::string& libcVersion,
                             const std::string& floorText) {
  const std::string floor = Trimmed(floorText);
  if (Numbers(floor).empty() || !VersionBelow(libcVersion, floor)) return {};
  return program + ": this system's C library is glibc " + libcVersion + "; the stack needs glibc " +
         floor + " or newer";
}
