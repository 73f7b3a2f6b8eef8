// Paths and text between double quotes, as each server's configuration
// language reads them back unchanged: blanks, double quotes, backslashes,
// dollar signs and line breaks included. Ordinary Windows paths come out as
// plain "C:\dir\file", since none of their backslashes would start an escape.
#pragma once

#include <string>

namespace server_config {

// Apache expands "${NAME}" anywhere in a line, quotes or not: a quoted
// argument writes the dollar of "${" as this variable, which the line
// kApacheDollarDefine must define first.
inline constexpr char kApacheDollar[] = "${LODESTACK_DOLLAR}";
inline constexpr char kApacheDollarDefine[] = "Define LODESTACK_DOLLAR $";

std::string ApacheQuoted(const std::string& text);  // an argument in httpd.conf
// A regular expression that matches exactly `text`, to be quoted as an argument.
std::string ApacheRegexLiteral(const std::string& text);
std::string PhpIniQuoted(const std::string& text);  // a value in php.ini
std::string MySqlQuoted(const std::string& text);   // a value in my.ini
// One word for a POSIX shell, whatever it holds.
std::string ShellQuoted(const std::string& text);

}  // namespace server_config
