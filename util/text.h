// Small text helpers the layers share.
#pragma once

#include <string>

// Every occurrence of the placeholder, in any letter case, replaced.
std::string ReplacePlaceholder(std::string text, const std::string& placeholder,
                               const std::string& with);

// A value between double quotes, as configuration files write paths and
// free text: INI files read it back without the pair, httpd.conf takes it
// as one argument. Command lines quote with QuoteArgument instead.
std::string QuotedValue(const std::string& text);
