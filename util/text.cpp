#include "util/text.h"

#include <cctype>

namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

std::string ReplacePlaceholder(std::string text, const std::string& placeholder,
                               const std::string& with) {
  const std::string key = Lower(placeholder);
  if (key.empty()) return text;
  for (std::size_t pos = Lower(text).find(key); pos != std::string::npos;
       pos = Lower(text).find(key, pos + with.size()))
    text.replace(pos, key.size(), with);
  return text;
}

std::string QuotedValue(const std::string& text) { return "\"" + text + "\""; }
