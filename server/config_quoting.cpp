#include "server/config_quoting.h"

#include <string_view>

namespace {

// Every double quote gets a backslash, and so does every backslash that
// would otherwise escape what follows it: one of `escapable` (which holds the
// backslash and the double quote), or the closing quote at the end.
// `escapeDollarBrace`: "${" would start a variable, so its dollar gets one too.
std::string BackslashQuoted(const std::string& text, std::string_view escapable,
                            bool escapeDollarBrace = false) {
  std::string quoted = "\"";
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const char next = i + 1 < text.size() ? text[i + 1] : '"';
    if (c == '"' || (c == '\\' && escapable.find(next) != std::string_view::npos) ||
        (escapeDollarBrace && c == '$' && next == '{'))
      quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

}  // namespace

namespace server_config {

// Apache reads \" and \\ inside quotes as escapes, any other backslash as itself.
std::string ApacheQuoted(const std::string& text) {
  const std::string plain = BackslashQuoted(text, "\\\"");
  std::string quoted;
  for (std::size_t i = 0; i < plain.size(); ++i) {
    if (plain[i] == '$' && i + 1 < plain.size() && plain[i + 1] == '{')
      quoted += kApacheDollar;
    else
      quoted += plain[i];
  }
  return quoted;
}

// Only what is special in both the extended POSIX and the Perl syntax gets
// a backslash: a backslash before anything else means nothing certain in
// the first.
std::string ApacheRegexLiteral(const std::string& text) {
  std::string pattern;
  for (const char c : text) {
    if (std::string_view(".[]()*+?{}|^$\\").find(c) != std::string_view::npos) pattern += '\\';
    pattern += c;
  }
  return pattern;
}

// PHP reads \" \\ \$ inside double quotes as escapes, and expands "${...}".
// A line break inside the quotes is part of the value.
std::string PhpIniQuoted(const std::string& text) { return BackslashQuoted(text, "\\\"$", true); }

// MariaDB reads \n \t \r \b \s \" \' \\ as escapes, and a double quote
// without a backslash would end the value early (a "#" after it starts a
// comment). A line break would end the line: it is written as its escape.
std::string MySqlQuoted(const std::string& text) {
  std::string quoted;
  for (const char c : BackslashQuoted(text, "\\\"'ntrbs"))
    quoted += c == '\n' ? std::string("\\n") : c == '\r' ? std::string("\\r") : std::string(1, c);
  return quoted;
}

std::string ShellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace server_config
