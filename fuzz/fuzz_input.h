// What the fuzz targets share: the input as text, split into fields at NUL
// bytes, and a check that stops the run with a message when a promise of
// the code under test is broken (libFuzzer keeps the input that did it).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace fuzz {

inline std::string AsText(const std::uint8_t* data, std::size_t size) {
  return std::string(reinterpret_cast<const char*>(data), size);
}

// "a\0b\0c" gives {"a", "b", "c"}; an input without NUL is one field.
inline std::vector<std::string> Fields(const std::string& input) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  while (true) {
    const std::size_t nul = input.find('\0', start);
    fields.push_back(input.substr(start, nul == std::string::npos ? std::string::npos : nul - start));
    if (nul == std::string::npos) return fields;
    start = nul + 1;
  }
}

[[noreturn]] inline void Fail(const char* what, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: broken promise: %s\n", file, line, what);
  std::abort();
}

}  // namespace fuzz

#define FUZZ_CHECK(condition) \
  ((condition) ? static_cast<void>(0) : fuzz::Fail(#condition, __FILE__, __LINE__))
