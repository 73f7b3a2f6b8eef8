// The INI reader and writer on any text. The input is the text, optionally
// followed by NUL-separated section, key and value. Beyond not crashing: a
// read is at most the maximum length, a write of a well-formed key reads back
// and leaves the section's other keys as they were, and deleting a key that
// is not there changes nothing.
#include <algorithm>
#include <cctype>

#include "fuzz/fuzz_input.h"
#include "util/ini.h"

namespace {

bool HasLineBreak(const std::string& s) { return s.find_first_of("\r\n") != std::string::npos; }

bool IsTrimmed(const std::string& s) {
  return s.empty() || (s.front() != ' ' && s.front() != '\t' && s.back() != ' ' && s.back() != '\t');
}

// A section and key the file format can hold as they are: one line each, no
// blanks around them, no '=' in a key nor ']' in a section, and a key line
// that cannot pass for a section header.
bool CanBeStored(const std::string& section, const std::string& key) {
  return !HasLineBreak(section) && IsTrimmed(section) && section.find(']') == std::string::npos &&
         !key.empty() && !HasLineBreak(key) && IsTrimmed(key) &&
         key.find('=') == std::string::npos && key.front() != '[';
}

// A value that reads back unchanged: one line, no blanks around it, not
// wrapped in the quotes a read removes, and within the length a read returns.
bool ReadsBackUnchanged(const std::string& value) {
  const bool quoted = value.size() >= 2 && value.front() == '"' && value.back() == '"';
  return !HasLineBreak(value) && IsTrimmed(value) && !quoted &&
         value.size() <= ini::kMaxValueLength;
}

bool SameName(const std::string& a, const std::string& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string> fields = fuzz::Fields(fuzz::AsText(data, size));
  const std::string& text = fields[0];
  const std::string section = fields.size() > 1 ? fields[1] : "INI";
  const std::string key = fields.size() > 2 ? fields[2] : "port";
  const std::string value = fields.size() > 3 ? fields[3] : "8080";

  const std::string before = ini::ReadValue(text, section, key);
  FUZZ_CHECK(before.size() <= ini::kMaxValueLength);
  const std::vector<std::string> keys = ini::SectionKeys(text, section);
  std::size_t listSize = 1;
  for (const std::string& k : keys) listSize += k.size() + 1;
  FUZZ_CHECK(listSize <= ini::kSectionBufferSize);

  const std::string written = ini::WriteValue(text, section, key, value, "\r\n");
  const std::string deleted = ini::DeleteKey(text, section, key);
  const bool present = std::any_of(keys.begin(), keys.end(),
                                   [&](const std::string& k) { return SameName(k, key); });
  // A text shorter than the key list's buffer cannot have its list cut short.
  const bool allKeysListed = text.size() + 1 < ini::kSectionBufferSize;
  if (!present && allKeysListed) FUZZ_CHECK(deleted == text);

  // A lone CR at the very end is half a line end: the line end a write adds
  // after it completes the pair, and the last line, without its CR, may then
  // read differently (an unclosed "[INI\r" becomes the section "INI").
  const bool endsInHalfLineEnd = !text.empty() && text.back() == '\r';
  if (CanBeStored(section, key) && ReadsBackUnchanged(value) && !endsInHalfLineEnd) {
    FUZZ_CHECK(ini::ReadValue(written, section, key) == value);
    // Each read splits the whole text again: a sample of the keys keeps
    // the runs fast.
    const std::size_t sampled = std::min<std::size_t>(keys.size(), 32);
    for (std::size_t i = 0; i < sampled; ++i) {
      const std::string& other = keys[i];
      if (SameName(other, key)) continue;
      FUZZ_CHECK(ini::ReadValue(written, section, other) == ini::ReadValue(text, section, other));
    }
  }
  return 0;
}
