#include "forms/port_edit.h"

#include <algorithm>
#include <charconv>

namespace port_edit {

namespace {

std::string Trim(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

}  // namespace

int Value(const std::string& text) {
  std::string digits = Trim(text);
  if (!digits.empty() && digits[0] == '+') digits.erase(0, 1);
  long long value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (digits.empty() || end != digits.data() + digits.size()) return kMin;
  // A number too long for any integer is still far above the range.
  if (error == std::errc::result_out_of_range) return digits[0] == '-' ? kMin : kMax;
  if (error != std::errc()) return kMin;
  return static_cast<int>(std::clamp<long long>(value, kMin, kMax));
}

std::string ExitText(const std::string& text, const std::string& previous) {
  return Trim(text).empty() ? previous : std::to_string(Value(text));
}

}  // namespace port_edit
