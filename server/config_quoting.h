// Paths and text between double quotes, as each server's configuration
// language reads them back unchanged: blanks, double quotes, backslashes and
// dollar signs included. Ordinary Windows paths come out as plain
// "C:\dir\file", since none of their backslashes would start an escape.
#pragma once

#include <string>

namespace server_config {

std::string ApacheQuoted(const std::string& text);  // an argument in httpd.conf
std::string PhpIniQuoted(const std::string& text);  // a value in php.ini
std::string MySqlQuoted(const std::string& text);   // a value in my.ini

}  // namespace server_config
