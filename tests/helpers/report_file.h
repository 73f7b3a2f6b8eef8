// A helper program's report: written beside its file and renamed into place,
// so the test that reads it never sees half. Returns 0, or 3 when it fails.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

inline int WriteReport(const std::string& file, const std::string& text) {
  const std::filesystem::path target(std::u8string(file.begin(), file.end()));
  std::filesystem::path part = target;
  part += ".part";
  {
    std::ofstream out(part, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out) return 3;
  }
  std::error_code error;
  std::filesystem::rename(part, target, error);
  return error ? 3 : 0;
}
