#include "server/server_logs.h"

#include <algorithm>
#include <fstream>
#include <vector>

namespace server_logs {

namespace {

// Enough for the last lines of any log; a long one is read from its end.
constexpr std::streamoff kTailBytes = 16384;
constexpr std::size_t kLineLimit = 400;

std::string Tail(const std::string& file) {
  std::ifstream in(file, std::ios::binary | std::ios::ate);
  if (!in) return {};
  const std::streamoff size = in.tellg();
  const std::streamoff start = std::max<std::streamoff>(0, size - kTailBytes);
  in.seekg(start);
  std::string text(static_cast<std::size_t>(size - start), '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<std::size_t>(in.gcount()));
  // A tail that starts inside a line leaves out the rest of that line.
  const std::size_t firstEnd = text.find('\n');
  if (start > 0 && firstEnd != std::string::npos) text.erase(0, firstEnd + 1);
  return text;
}

}  // namespace

std::string LastLines(const std::string& file, int count) {
  const std::string text = Tail(file);
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t end = std::min(text.find('\n', pos), text.size());
    std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    line.erase(line.find_last_not_of(" \t\r") + 1);
    if (line.find_first_not_of(" \t") == std::string::npos) continue;
    if (line.size() > kLineLimit) line = line.substr(0, kLineLimit) + "...";
    lines.push_back(line);
  }
  std::string last;
  const std::size_t first = lines.size() > static_cast<std::size_t>(count) ? lines.size() - count : 0;
  for (std::size_t i = first; i < lines.size(); ++i) last += (last.empty() ? "" : "\n") + lines[i];
  return last;
}

}  // namespace server_logs
