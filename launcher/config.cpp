#include "launcher/config.h"

#include <charconv>

int StrToInt(const std::string& text) {
  const char* first = text.data();
  const char* last = text.data() + text.size();
  while (first < last && (*first == ' ' || *first == '\t')) ++first;
  // from_chars reads a minus sign but not a plus, so a plus is skipped here;
  // a second sign after it ("+-5") is no number.
  const bool plus = first < last && *first == '+';
  if (plus) ++first;
  int value = 0;
  const auto [end, error] = std::from_chars(first, last, value);
  if (first == last || (plus && *first == '-') || error != std::errc() || end != last)
    throw EConvertError("'" + text + "' is not a valid integer value");
  return value;
}
