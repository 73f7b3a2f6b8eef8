#include "mail/message.h"

#include <algorithm>
#include <cctype>

namespace mail {

namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

bool IsBlankLine(const std::string& line) { return line.empty() || line == "\r"; }

// A header's name is printable ASCII without blanks or colons.
bool IsHeaderName(const std::string& name) {
  if (name.empty()) return false;
  return std::all_of(name.begin(), name.end(),
                     [](unsigned char c) { return c > 32 && c < 127 && c != ':'; });
}

// The value with its comments "(...)" and quoted strings removed, the
// separators kept: what is left names the addresses.
std::string WithoutCommentsAndQuotes(const std::string& value) {
  std::string out;
  int depth = 0;
  bool quoted = false;
  for (std::size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    if (c == '\\' && i + 1 < value.size()) {
      ++i;
      if (!quoted && depth == 0) out += value[i];
      continue;
    }
    if (quoted) {
      if (c == '"') quoted = false;
      continue;
    }
    if (depth > 0) {
      if (c == '(') ++depth;
      if (c == ')') --depth;
      continue;
    }
    if (c == '"') quoted = true;
    else if (c == '(') depth = 1;
    else out += c;
  }
  return out;
}

}  // namespace

Options ParseArguments(const std::vector<std::string>& args, std::string& error) {
  Options options;
  error.clear();
  bool addressesOnly = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (addressesOnly || arg.empty() || arg[0] != '-') {
      options.recipients.push_back(arg);
      continue;
    }
    // The value of -f and --mailbox follows, or is joined to the option.
    auto value = [&](const std::string& option) -> std::string {
      if (arg.size() > option.size()) {
        const std::string rest = arg.substr(option.size());
        return rest[0] == '=' && option.size() > 2 ? rest.substr(1) : rest;
      }
      if (i + 1 < args.size()) return args[++i];
      error = "the option " + option + " needs a value";
      return {};
    };
    if (arg == "--") addressesOnly = true;
    else if (arg == "-t") options.recipientsFromHeaders = true;
    // The whole input is the message: a line with a lone dot never ends it,
    // so -i (and its older spellings) changes nothing.
    else if (arg == "-i" || arg == "-oi" || arg == "-odi" || arg == "-odb") continue;
    // The launcher names the mailbox first; a later one comes from what an
    // application passed along (a sender "x --mailbox=..."), and would move the mail.
    else if (arg.rfind("--mailbox", 0) == 0) {
      const std::string folder = value("--mailbox");
      if (options.mailbox.empty()) options.mailbox = folder;
    }
    else if (arg.rfind("-f", 0) == 0) options.sender = value("-f");
    else if (arg.rfind("-r", 0) == 0) options.sender = value("-r");
    // Options of other mail programs that PHP applications pass along
    // (-F full name, -o options, -B body type) change nothing here.
    else if (arg == "-F" || arg == "-B" || arg == "-N" || arg == "-R" || arg == "-V") ++i;
    else if (arg.rfind("-o", 0) == 0 || arg.rfind("-F", 0) == 0 || arg.rfind("-B", 0) == 0) continue;
    else error = "unknown option " + arg;
    if (!error.empty()) return options;
  }
  if (options.mailbox.empty()) error = "no mailbox folder given (--mailbox FOLDER)";
  // An address is one line of the stored envelope and one word to the relay.
  for (const std::string& address : options.recipients)
    if (address.find_first_of("\r\n") != std::string::npos) error = "an address holds a line break";
  if (options.sender.find_first_of("\r\n<>") != std::string::npos) error = "the sender address is not one";
  return options;
}

std::vector<Header> ReadHeaders(const std::string& message) {
  std::vector<Header> headers;
  bool inHeader = false;  // whether a folded line continues the last header
  std::size_t at = 0;
  while (at < message.size()) {
    std::size_t end = message.find('\n', at);
    if (end == std::string::npos) end = message.size();
    std::string line = message.substr(at, end - at);
    at = end + 1;
    if (IsBlankLine(line)) break;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line[0] == ' ' || line[0] == '\t') {
      if (inHeader) headers.back().value += " " + Trimmed(line);
      continue;
    }
    const auto colon = line.find(':');
    inHeader = colon != std::string::npos && IsHeaderName(line.substr(0, colon));
    if (inHeader) headers.push_back({line.substr(0, colon), Trimmed(line.substr(colon + 1))});
  }
  return headers;
}

std::vector<std::string> Addresses(const std::string& value) {
  std::vector<std::string> addresses;
  std::string part;
  const std::string plain = WithoutCommentsAndQuotes(value);
  auto take = [&] {
    std::string address = Trimmed(part);
    part.clear();
    const auto open = address.find('<');
    if (open != std::string::npos) {
      const auto close = address.find('>', open);
      address = Trimmed(address.substr(open + 1, close == std::string::npos ? std::string::npos : close - open - 1));
    }
    // A route ("@relay:user@host") names its last host.
    const auto route = address.rfind(':');
    if (route != std::string::npos) address = Trimmed(address.substr(route + 1));
    if (address.find('@') != std::string::npos && address.find_first_of(" \t") == std::string::npos)
      addresses.push_back(address);
  };
  bool inBrackets = false;
  for (const char c : plain) {
    if (c == '<') inBrackets = true;
    if (c == '>') inBrackets = false;
    // A group "name: a, b;" lists its members; its name is no address.
    if (!inBrackets && c == ':' && part.find('@') == std::string::npos) {
      part.clear();
      continue;
    }
    if (!inBrackets && (c == ',' || c == ';')) {
      take();
      continue;
    }
    part += c;
  }
  take();
  return addresses;
}

std::vector<std::string> Recipients(const std::string& message, const Options& options) {
  std::vector<std::string> all;
  auto add = [&](const std::string& address) {
    const auto same = [&](const std::string& known) { return Lower(known) == Lower(address); };
    if (!address.empty() && std::none_of(all.begin(), all.end(), same)) all.push_back(address);
  };
  for (const std::string& address : options.recipients)
    for (const std::string& one : Addresses(address)) add(one);
  if (options.recipientsFromHeaders) {
    for (const Header& header : ReadHeaders(message)) {
      const std::string name = Lower(header.name);
      if (name == "to" || name == "cc" || name == "bcc")
        for (const std::string& address : Addresses(header.value)) add(address);
    }
  }
  return all;
}

std::string Sender(const std::string& message, const Options& options) {
  if (!options.sender.empty()) return options.sender;
  for (const Header& header : ReadHeaders(message)) {
    if (Lower(header.name) != "from") continue;
    const std::vector<std::string> from = Addresses(header.value);
    if (!from.empty()) return from.front();
  }
  return {};
}

std::string WithoutHeader(const std::string& message, const std::string& name) {
  std::string out;
  const std::string wanted = Lower(name) + ":";
  bool dropping = false;
  std::size_t at = 0;
  while (at < message.size()) {
    std::size_t end = message.find('\n', at);
    end = end == std::string::npos ? message.size() : end + 1;
    const std::string line = message.substr(at, end - at);
    if (IsBlankLine(line.substr(0, line.find('\n')))) return out + message.substr(at);
    const bool folded = line[0] == ' ' || line[0] == '\t';
    if (!folded) dropping = Lower(line.substr(0, wanted.size())) == wanted;
    if (!dropping) out += line;
    at = end;
  }
  return out;
}

}  // namespace mail
