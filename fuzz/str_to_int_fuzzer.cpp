// The integer conversion on any text: it either gives the number the text
// spells (blanks or tabs, an optional sign, decimal digits, within int) or
// raises the conversion error with the text in its message, nothing else.
#include <cstdint>
#include <cstring>
#include <optional>

#include "fuzz/fuzz_input.h"
#include "launcher/config.h"

namespace {

// An independent reading of the same rule, digit by digit.
std::optional<int> Expected(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return std::nullopt;
  std::int64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > std::int64_t(INT32_MAX) + 1) return std::nullopt;
  }
  const std::int64_t value = negative ? -magnitude : magnitude;
  if (value > INT32_MAX || value < INT32_MIN) return std::nullopt;
  return static_cast<int>(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text = fuzz::AsText(data, size);
  const std::optional<int> expected = Expected(text);
  try {
    const int value = StrToInt(text);
    FUZZ_CHECK(expected.has_value());
    FUZZ_CHECK(value == *expected);
  } catch (const EConvertError& error) {
    FUZZ_CHECK(!expected.has_value());
    // what() is a C string: a text with a NUL in it ends there.
    const std::string message = "'" + text + "' is not a valid integer value";
    FUZZ_CHECK(std::strcmp(error.what(), message.c_str()) == 0);
  }
  return 0;
}
