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
std::string ApacheQuoted(const std::string& text) { return BackslashQuoted(text, "\\\""); }

// PHP reads \" \\ \$ inside double quotes as escapes, and expands "${...}".
std::string PhpIniQuoted(const std::string& text) { return BackslashQuoted(text, "\\\"$", true); }

// MariaDB reads \n \t \r \b \s \" \' \\ as escapes, and a double quote
// without a backslash would end the value early (a "#" after it starts a comment).
std::string MySqlQuoted(const std::string& text) { return BackslashQuoted(text, "\\\"'ntrbs"); }

}  // namespace server_config
