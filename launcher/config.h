// The configuration's shared rules: the section every key lives in, the
// on/off rule and the names of the stored configuration.
#pragma once

#include <stdexcept>
#include <string>

inline constexpr char kConfigSection[] = "INI";
inline constexpr char kConfigResource[] = "res_Config_ini";

// A setting is off only when its text is exactly "0"; anything else, the
// empty text and a missing key mean on.
inline bool IsOn(const std::string& value) { return value != "0"; }

// A conversion error with the application's own wording.
class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A decimal integer (blanks before it allowed); raises EConvertError
// "'<text>' is not a valid integer value" for anything else.
int StrToInt(const std::string& text);
