#include "launcher/config.h"

#include <charconv>

int StrToInt(const std::string& text) {
  const char* first = text.data();
  const char* last = text.data() + text.size();
  while (first < last && (*first == ' ' || *first == '\t')) ++first;
  if (first < last && *first == '+') ++first;
  int value = 0;
  const auto [end, error] = std::from_chars(first, last, value);
  if (text.empty() || error != std::errc() || end != last || first == last)
    throw EConvertError("'" + text + "' is not a valid integer value");
  return value;
}
