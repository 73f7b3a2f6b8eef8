#include "util/ini.h"

#include <cctype>
#include <optional>
#include <utility>

namespace ini {
namespace {

using Line = Document::Line;

std::vector<Line> SplitLines(const std::string& text) {
  std::vector<Line> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t nl = text.find('\n', start);
    if (nl == std::string::npos) {
      lines.push_back({text.substr(start), ""});
      break;
    }
    const bool crlf = nl > start && text[nl - 1] == '\r';
    lines.push_back({text.substr(start, nl - start - (crlf ? 1 : 0)), crlf ? "\r\n" : "\n"});
    start = nl + 1;
  }
  return lines;
}

std::string JoinLines(const std::vector<Line>& lines) {
  std::string text;
  for (const Line& line : lines) text += line.text + line.eol;
  return text;
}

std::string Trim(const std::string& s) {
  const std::size_t first = s.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  const std::size_t last = s.find_last_not_of(" \t");
  return s.substr(first, last - first + 1);
}

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

// The name of a "[section]" line, or nothing for any other line.
std::optional<std::string> SectionName(const std::string& line) {
  const std::string trimmed = Trim(line);
  if (trimmed.empty() || trimmed[0] != '[') return std::nullopt;
  const std::size_t close = trimmed.find(']');
  return Trim(trimmed.substr(1, close == std::string::npos ? std::string::npos : close - 1));
}

// The key of a "key=value" line, or nothing.
std::optional<std::string> KeyName(const std::string& line) {
  if (SectionName(line)) return std::nullopt;
  const std::size_t eq = line.find('=');
  if (eq == std::string::npos) return std::nullopt;
  const std::string key = Trim(line.substr(0, eq));
  if (key.empty()) return std::nullopt;
  return key;
}

// Where a section's lines lie: its header and the line after its last line.
struct SectionSpan {
  std::size_t header;
  std::size_t end;
};

std::optional<SectionSpan> FindSection(const std::vector<Line>& lines, const std::string& section) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const auto name = SectionName(lines[i].text);
    if (!name || !SameName(*name, section)) continue;
    std::size_t end = i + 1;
    while (end < lines.size() && !SectionName(lines[end].text)) ++end;
    return SectionSpan{i, end};
  }
  return std::nullopt;
}

std::optional<std::size_t> FindKey(const std::vector<Line>& lines, const SectionSpan& span,
                                   const std::string& key) {
  for (std::size_t i = span.header + 1; i < span.end; ++i) {
    const auto name = KeyName(lines[i].text);
    if (name && SameName(*name, key)) return i;
  }
  return std::nullopt;
}

std::string StyleOf(const std::vector<Line>& lines, const std::string& fallback) {
  for (const Line& line : lines) {
    if (!line.eol.empty()) return line.eol;
  }
  return fallback;
}

}  // namespace

Document::Document(const std::string& text, std::string eol) : lines_(SplitLines(text)), eol_(std::move(eol)) {}

// Puts the text with its line end in place of `count` lines at `at`, split
// as the joined text would split: a value or name holding a line break
// becomes lines of their own, as it would once written to a file and read back.
void Document::Put(std::size_t at, std::size_t count, const std::string& text, const std::string& eol) {
  const std::vector<Line> added = SplitLines(text + eol);
  const auto first = lines_.begin() + static_cast<std::ptrdiff_t>(at);
  lines_.insert(lines_.erase(first, first + static_cast<std::ptrdiff_t>(count)), added.begin(), added.end());
}

std::string Document::Read(const std::string& section, const std::string& key) const {
  const auto span = FindSection(lines_, section);
  if (!span) return {};
  const auto at = FindKey(lines_, *span, key);
  if (!at) return {};
  const std::string& line = lines_[*at].text;
  std::string value = Trim(line.substr(line.find('=') + 1));
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
    value = value.substr(1, value.size() - 2);
  if (value.size() > kMaxValueLength) value.resize(kMaxValueLength);
  return value;
}

void Document::Write(const std::string& section, const std::string& key, const std::string& value) {
  const std::string style = StyleOf(lines_, eol_);
  const std::string entry = key + "=" + value;
  const auto span = FindSection(lines_, section);
  if (!span) {
    if (!lines_.empty() && lines_.back().eol.empty()) Put(lines_.size() - 1, 1, lines_.back().text, style);
    Put(lines_.size(), 0, "[" + section + "]", style);
    Put(lines_.size(), 0, entry, style);
    return;
  }
  if (const auto at = FindKey(lines_, *span, key)) {
    Put(*at, 1, entry, lines_[*at].eol);
    return;
  }
  // A new key follows the section's last non-blank line.
  std::size_t insert = span->end;
  while (insert > span->header + 1 && Trim(lines_[insert - 1].text).empty()) --insert;
  if (lines_[insert - 1].eol.empty()) Put(insert - 1, 1, lines_[insert - 1].text, style);
  Put(insert, 0, entry, style);
}

bool Document::Delete(const std::string& section, const std::string& key) {
  const auto span = FindSection(lines_, section);
  if (!span) return false;
  const auto at = FindKey(lines_, *span, key);
  if (!at) return false;
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*at));
  return true;
}

std::vector<std::string> Document::SectionKeys(const std::string& section) const {
  std::vector<std::string> keys;
  const auto span = FindSection(lines_, section);
  if (!span) return keys;
  std::size_t used = 1;  // the NUL that ends the whole list
  for (std::size_t i = span->header + 1; i < span->end; ++i) {
    const auto name = KeyName(lines_[i].text);
    if (!name) continue;
    if (used + name->size() + 1 > kSectionBufferSize) break;
    used += name->size() + 1;
    keys.push_back(*name);
  }
  return keys;
}

std::string Document::Text() const { return JoinLines(lines_); }

std::string ReadValue(const std::string& text, const std::string& section, const std::string& key) {
  return Document(text).Read(section, key);
}

std::string WriteValue(const std::string& text, const std::string& section, const std::string& key,
                       const std::string& value, const std::string& eol) {
  Document document(text, eol);
  document.Write(section, key, value);
  return document.Text();
}

std::string DeleteKey(const std::string& text, const std::string& section, const std::string& key) {
  Document document(text);
  return document.Delete(section, key) ? document.Text() : text;
}

std::vector<std::string> SectionKeys(const std::string& text, const std::string& section) {
  return Document(text).SectionKeys(section);
}

}  // namespace ini
