#include "util/command_line.h"

std::string BuildCommandLine(const std::string& program, const std::string& params) {
  std::string path;
  for (char c : program) {
    if (c != '"') path += c;
  }
  return "\"" + path + "\" " + params;
}

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Argument 0 is read literally: backslashes mean nothing there, because a
// program path may end in one.
std::size_t ReadProgramName(const std::string& line, std::string& name) {
  std::size_t i = 0;
  if (i < line.size() && line[i] == '"') {
    for (++i; i < line.size() && line[i] != '"'; ++i) name += line[i];
    if (i < line.size()) ++i;  // the closing quote
  } else {
    for (; i < line.size() && !IsBlank(line[i]); ++i) name += line[i];
  }
  return i;
}

// Appends the arguments from position i on.
void SplitArgumentsFrom(const std::string& line, std::size_t i, std::vector<std::string>& args) {
  std::string arg;
  while (true) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i >= line.size()) break;
    arg.clear();
    bool inQuotes = false;
    while (i < line.size()) {
      const char c = line[i];
      if (c == '\\') {
        const std::size_t first = i;
        while (i < line.size() && line[i] == '\\') ++i;
        const std::size_t slashes = i - first;
        if (i < line.size() && line[i] == '"') {
          // 2n backslashes before a quote give n and the quote acts;
          // 2n+1 give n and a literal quote.
          arg.append(slashes / 2, '\\');
          if (slashes % 2 == 1) arg += line[i++];
        } else {
          arg.append(slashes, '\\');
        }
        continue;
      }
      if (c == '"') {
        if (inQuotes && i + 1 < line.size() && line[i + 1] == '"') {
          arg += '"';  // "" inside quotes is one literal quote
          i += 2;
        } else {
          inQuotes = !inQuotes;
          ++i;
        }
        continue;
      }
      if (!inQuotes && IsBlank(c)) break;
      arg += c;
      ++i;
    }
    args.push_back(arg);
  }
}

}  // namespace

std::vector<std::string> SplitCommandLine(const std::string& line) {
  std::vector<std::string> args;
  if (line.empty()) return args;
  std::string program;
  const std::size_t end = ReadProgramName(line, program);
  args.push_back(program);
  SplitArgumentsFrom(line, end, args);
  return args;
}

std::vector<std::string> SplitParameters(const std::string& params) {
  std::vector<std::string> args;
  SplitArgumentsFrom(params, 0, args);
  return args;
}

std::string QuoteArgument(const std::string& arg) {
  std::string quoted = "\"";
  std::size_t slashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++slashes;
    } else if (c == '"') {
      quoted.append(slashes + 1, '\\');  // double the run, then escape the quote
      slashes = 0;
    } else {
      slashes = 0;
    }
    quoted += c;
  }
  quoted.append(slashes, '\\');  // a run before the closing quote is doubled
  return quoted + "\"";
}

std::string QuoteArguments(std::initializer_list<std::string> args) {
  std::string text;
  for (const std::string& arg : args) {
    if (!text.empty()) text += ' ';
    text += QuoteArgument(arg);
  }
  return text;
}
