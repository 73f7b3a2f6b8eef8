// The INI text rules, independent of files: section and key names compare
// without regard to ASCII case, a read returns the trimmed value without one
// enclosing pair of double quotes and at most 2047 characters, a write
// replaces a key in place or appends the key, its section or both.
#pragma once

#include <string>
#include <vector>

namespace ini {

inline constexpr std::size_t kMaxValueLength = 2047;
// The key names of one section are read through a buffer of this many bytes
// (each name followed by a NUL, the list by one more).
inline constexpr std::size_t kSectionBufferSize = 16384;

std::string ReadValue(const std::string& text, const std::string& section, const std::string& key);

// Returns the text with the key set. New lines use `eol` unless the text
// already has line ends, whose style is kept.
std::string WriteValue(const std::string& text, const std::string& section, const std::string& key,
                       const std::string& value, const std::string& eol);

std::string DeleteKey(const std::string& text, const std::string& section, const std::string& key);

std::vector<std::string> SectionKeys(const std::string& text, const std::string& section);

}  // namespace ini
