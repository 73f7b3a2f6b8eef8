// Paths held as UTF-8 text (as the program keeps every path) and the
// filesystem library's paths, converted without the system's code page.
#pragma once

#include <filesystem>
#include <string>

inline std::filesystem::path U8Path(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string Utf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}
