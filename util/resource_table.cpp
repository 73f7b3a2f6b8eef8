#include "util/resource_table.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr char kMagic[] = "LDSTKRES";
constexpr std::size_t kMagicSize = 8;
constexpr std::size_t kFooterSize = 4 + 8 + kMagicSize;

class Reader {
 public:
  Reader(const std::string& bytes, std::size_t pos, std::size_t end)
      : bytes_(bytes), pos_(pos), end_(end) {}
  bool Take(std::size_t n, std::uint64_t& value) {
    if (end_ - pos_ < n) return false;
    value = 0;
    for (std::size_t i = 0; i < n; ++i)
      value |= std::uint64_t(static_cast<unsigned char>(bytes_[pos_ + i])) << (8 * i);
    pos_ += n;
    return true;
  }
  bool U16(std::uint16_t& v) {
    std::uint64_t x;
    if (!Take(2, x)) return false;
    v = static_cast<std::uint16_t>(x);
    return true;
  }
  bool Bytes(std::size_t n, std::string& out) {
    if (end_ - pos_ < n) return false;
    out = bytes_.substr(pos_, n);
    pos_ += n;
    return true;
  }
  bool AtEnd() const { return pos_ == end_; }

 private:
  const std::string& bytes_;
  std::size_t pos_;
  std::size_t end_;
};

void Put(std::string& out, std::uint64_t value, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) out += static_cast<char>((value >> (8 * i)) & 0xff);
}

}  // namespace

bool ResourceName::Matches(const ResourceName& other) const {
  if (IsNumber() || other.IsNumber()) return IsNumber() && other.IsNumber() && id == other.id;
  return std::equal(name.begin(), name.end(), other.name.begin(), other.name.end(),
                    [](char a, char b) {
                      return std::toupper(static_cast<unsigned char>(a)) ==
                             std::toupper(static_cast<unsigned char>(b));
                    });
}

namespace restable {

namespace {

struct TFooter {
  std::uint64_t count = 0;
  std::uint64_t offset = 0;
};

// The footer at the end of `tail` (the file's last kFooterSize bytes); false
// when there is no table.
bool ReadFooter(const std::string& tail, TFooter& footer) {
  if (tail.size() != kFooterSize || tail.compare(kFooterSize - kMagicSize, kMagicSize, kMagic) != 0)
    return false;
  Reader in(tail, 0, 12);
  in.Take(4, footer.count);
  in.Take(8, footer.offset);
  return true;
}

// The entries, which fill `table` exactly.
std::optional<std::vector<ResourceEntry>> ParseEntries(const std::string& table, std::uint64_t count) {
  std::vector<ResourceEntry> entries;
  Reader in(table, 0, table.size());
  for (std::uint64_t i = 0; i < count; ++i) {
    ResourceEntry entry;
    std::uint16_t nameLength = 0;
    std::uint64_t size = 0;
    if (!in.U16(entry.type) || !in.U16(entry.language) || !in.U16(nameLength)) return std::nullopt;
    if (nameLength == 0 ? !in.U16(entry.name.id) : !in.Bytes(nameLength, entry.name.name))
      return std::nullopt;
    if (!in.Take(4, size) || !in.Bytes(static_cast<std::size_t>(size), entry.data))
      return std::nullopt;
    entries.push_back(std::move(entry));
  }
  if (!in.AtEnd()) return std::nullopt;
  return entries;
}

}  // namespace

std::optional<ResourceFile> Parse(const std::string& bytes) {
  ResourceFile file;
  TFooter footer;
  if (bytes.size() < kFooterSize || !ReadFooter(bytes.substr(bytes.size() - kFooterSize), footer)) {
    file.image = bytes;
    return file;
  }
  const std::size_t end = bytes.size() - kFooterSize;
  if (footer.offset > end) return std::nullopt;
  const std::size_t offset = static_cast<std::size_t>(footer.offset);
  auto entries = ParseEntries(bytes.substr(offset, end - offset), footer.count);
  if (!entries) return std::nullopt;
  file.entries = std::move(*entries);
  file.image = bytes.substr(0, offset);
  return file;
}

std::optional<std::vector<ResourceEntry>> ReadEntries(std::uint64_t fileSize, const TReadAt& readAt) {
  if (fileSize < kFooterSize) return std::vector<ResourceEntry>{};
  const std::uint64_t end = fileSize - kFooterSize;
  std::string tail;
  if (!readAt(end, kFooterSize, tail)) return std::nullopt;
  TFooter footer;
  if (!ReadFooter(tail, footer)) return std::vector<ResourceEntry>{};
  if (footer.offset > end) return std::nullopt;
  std::string table;
  if (!readAt(footer.offset, static_cast<std::size_t>(end - footer.offset), table)) return std::nullopt;
  return ParseEntries(table, footer.count);
}

std::string Serialize(const ResourceFile& file) {
  std::string out = file.image;
  const std::uint64_t offset = out.size();
  for (const ResourceEntry& entry : file.entries) {
    Put(out, entry.type, 2);
    Put(out, entry.language, 2);
    Put(out, entry.name.name.size(), 2);
    if (entry.name.IsNumber()) {
      Put(out, entry.name.id, 2);
    } else {
      out += entry.name.name;
    }
    Put(out, entry.data.size(), 4);
    out += entry.data;
  }
  Put(out, file.entries.size(), 4);
  Put(out, offset, 8);
  out.append(kMagic, kMagicSize);
  return out;
}

const ResourceEntry* Find(const std::vector<ResourceEntry>& entries, std::uint16_t type,
                          const ResourceName& name) {
  for (const ResourceEntry& entry : entries) {
    if (entry.type == type && entry.name.Matches(name)) return &entry;
  }
  return nullptr;
}

void Update(std::vector<ResourceEntry>& entries, std::uint16_t type, const ResourceName& name,
            std::uint16_t language, const std::string* data) {
  const auto it = std::find_if(entries.begin(), entries.end(), [&](const ResourceEntry& e) {
    return e.type == type && e.language == language && e.name.Matches(name);
  });
  if (!data) {
    if (it != entries.end()) entries.erase(it);
  } else if (it != entries.end()) {
    it->data = *data;
  } else {
    entries.push_back({type, name, language, *data});
  }
}

}  // namespace restable
