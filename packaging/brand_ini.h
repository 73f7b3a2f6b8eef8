// Brand.ini: the Rebrand settings, one section "INI", which become the
// configuration of the branded copy. Every start writes the defaults, so the
// Rebrand dialog opens with them the first time after a start.
#pragma once

#include <string>

inline constexpr char kBrandSection[] = "INI";

// Writes the fourteen keys with their defaults, in their order.
void WriteDefaultBrandIni(const std::string& file);
