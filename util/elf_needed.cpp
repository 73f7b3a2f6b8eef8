#include "util/elf_needed.h"

#include <filesystem>
#include <fstream>

namespace {

constexpr std::uint32_t kLoad = 1;     // PT_LOAD
constexpr std::uint32_t kDynamic = 2;  // PT_DYNAMIC
constexpr std::uint64_t kNull = 0;     // DT_NULL
constexpr std::uint64_t kNeeded = 1;   // DT_NEEDED
constexpr std::uint64_t kStrTab = 5;   // DT_STRTAB
constexpr std::uint64_t kStrSize = 10; // DT_STRSZ
// Limits far above what real files hold, for damaged ones.
constexpr std::size_t kMaxDynamicEntries = 65536;
constexpr std::size_t kMaxName = 4096;

// Little-endian fields of the file, at offsets relative to a base.
class Reader {
 public:
  explicit Reader(const TReadAt& readAt) : readAt_(readAt) {}

  bool Bytes(std::uint64_t offset, void* out, std::size_t size) const {
    return readAt_(offset, out, size) == size;
  }
  bool Unsigned(std::uint64_t offset, std::size_t size, std::uint64_t& value) const {
    unsigned char bytes[8];
    if (!Bytes(offset, bytes, size)) return false;
    value = 0;
    for (std::size_t i = size; i-- > 0;) value = value << 8 | bytes[i];
    return true;
  }
  // The text at the offset up to its NUL; false when there is no NUL within reach.
  bool Text(std::uint64_t offset, std::size_t limit, std::string& text) const {
    std::string bytes(limit, '\0');
    bytes.resize(readAt_(offset, bytes.data(), limit));
    const auto nul = bytes.find('\0');
    if (nul == std::string::npos) return false;
    text = bytes.substr(0, nul);
    return true;
  }

 private:
  const TReadAt& readAt_;
};

// The layout of the two classes: field offsets and sizes.
struct Layout {
  std::size_t word;  // size of an address or offset
  std::size_t phOff, phEntSize, phNum;
  std::size_t pOffset, pVaddr, pFilesz;
  std::size_t dynEntry;
};
constexpr Layout kElf64 = {8, 32, 54, 56, 8, 16, 32, 16};
constexpr Layout kElf32 = {4, 28, 42, 44, 4, 8, 16, 8};

struct Segment {
  std::uint64_t offset, vaddr, filesz;
};

bool Add(std::uint64_t a, std::uint64_t b, std::uint64_t& sum) {
  sum = a + b;
  return sum >= a;
}

}  // namespace

std::optional<std::vector<std::string>> ReadElfNeeded(const TReadAt& readAt) {
  const Reader in(readAt);
  unsigned char ident[16];
  if (!in.Bytes(0, ident, sizeof ident) || ident[0] != 0x7f || ident[1] != 'E' || ident[2] != 'L' ||
      ident[3] != 'F' || ident[5] != 1 || (ident[4] != 1 && ident[4] != 2))
    return std::nullopt;
  const Layout& l = ident[4] == 2 ? kElf64 : kElf32;

  std::vector<std::string> needed;
  std::uint64_t phOff = 0, phEntSize = 0, phNum = 0;
  if (!in.Unsigned(l.phOff, l.word, phOff) || !in.Unsigned(l.phEntSize, 2, phEntSize) ||
      !in.Unsigned(l.phNum, 2, phNum) || phEntSize < l.pFilesz + l.word)
    return needed;

  std::vector<Segment> loads;
  std::optional<Segment> dynamic;
  for (std::uint64_t i = 0; i < phNum; ++i) {
    std::uint64_t header = 0, type = 0;
    Segment s{};
    if (!Add(phOff, i * phEntSize, header) || !in.Unsigned(header, 4, type) ||
        !in.Unsigned(header + l.pOffset, l.word, s.offset) ||
        !in.Unsigned(header + l.pVaddr, l.word, s.vaddr) ||
        !in.Unsigned(header + l.pFilesz, l.word, s.filesz))
      return needed;
    if (type == kLoad) loads.push_back(s);
    if (type == kDynamic && !dynamic) dynamic = s;
  }
  if (!dynamic) return needed;

  std::vector<std::uint64_t> names;
  std::optional<std::uint64_t> strTab;
  std::uint64_t strSize = kMaxName;
  const std::uint64_t entries = dynamic->filesz / l.dynEntry;
  for (std::uint64_t i = 0; i < entries && i < kMaxDynamicEntries; ++i) {
    std::uint64_t entry = 0, tag = 0, value = 0;
    if (!Add(dynamic->offset, i * l.dynEntry, entry) || !in.Unsigned(entry, l.word, tag) ||
        !in.Unsigned(entry + l.word, l.word, value) || tag == kNull)
      break;
    if (tag == kNeeded) names.push_back(value);
    if (tag == kStrTab) strTab = value;
    if (tag == kStrSize) strSize = value;
  }
  if (!strTab) return needed;

  // The string table is given as an address: the loaded segment holding it
  // tells where it is in the file.
  std::optional<std::uint64_t> tableOffset;
  for (const Segment& s : loads) {
    if (*strTab >= s.vaddr && *strTab - s.vaddr < s.filesz) {
      tableOffset = s.offset + (*strTab - s.vaddr);
      break;
    }
  }
  if (!tableOffset) return needed;
  for (const std::uint64_t name : names) {
    std::uint64_t at = 0;
    std::string text;
    if (name >= strSize || !Add(*tableOffset, name, at)) continue;
    const std::uint64_t limit = strSize - name < kMaxName ? strSize - name : kMaxName;
    if (in.Text(at, static_cast<std::size_t>(limit), text) && !text.empty()) needed.push_back(text);
  }
  return needed;
}

std::optional<std::vector<std::string>> ElfNeededOf(const std::string& file) {
  std::ifstream in(std::filesystem::path(std::u8string(file.begin(), file.end())), std::ios::binary);
  if (!in) return std::nullopt;
  return ReadElfNeeded([&in](std::uint64_t offset, void* out, std::size_t size) -> std::size_t {
    in.clear();
    if (!in.seekg(static_cast<std::streamoff>(offset))) return 0;
    in.read(static_cast<char*>(out), static_cast<std::streamsize>(size));
    return static_cast<std::size_t>(in.gcount());
  });
}
