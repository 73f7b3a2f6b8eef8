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

// An INI text split into lines once, so that many keys can be read and
// written without splitting and joining the whole text for each. Every
// change keeps the lines exactly as splitting the joined text would give
// them, so a series of writes here leaves the same text as the same writes
// made one by one through the functions below.
class Document {
 public:
  // `eol` is the line end of new lines while the text has none of its own.
  explicit Document(const std::string& text, std::string eol = "\r\n");

  std::string Read(const std::string& section, const std::string& key) const;
  void Write(const std::string& section, const std::string& key, const std::string& value);
  // True when the key was there.
  bool Delete(const std::string& section, const std::string& key);
  std::vector<std::string> SectionKeys(const std::string& section) const;
  std::string Text() const;

  struct Line {
    std::string text;
    std::string eol;  // "\r\n", "\n" or empty for a last line without one
  };

 private:
  void Put(std::size_t at, std::size_t count, const std::string& text, const std::string& eol);

  std::vector<Line> lines_;
  std::string eol_;
};

std::string ReadValue(const std::string& text, const std::string& section, const std::string& key);

// Returns the text with the key set. New lines use `eol` unless the text
// already has line ends, whose style is kept.
std::string WriteValue(const std::string& text, const std::string& section, const std::string& key,
                       const std::string& value, const std::string& eol);

std::string DeleteKey(const std::string& text, const std::string& section, const std::string& key);

std::vector<std::string> SectionKeys(const std::string& text, const std::string& section);

}  // namespace ini
