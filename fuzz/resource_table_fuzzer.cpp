// The appended resource table reader on any bytes. A table that parses
// writes back to the same bytes and reads back to the same entries, so the
// patch modes, which parse, change and write again, lose nothing; and the
// lookup that reads only the table from the file's end agrees with the
// reading of the whole file.
#include "fuzz/fuzz_input.h"
#include "util/resource_table.h"

namespace {

bool SameEntry(const ResourceEntry& a, const ResourceEntry& b) {
  return a.type == b.type && a.language == b.language && a.name.name == b.name.name &&
         a.name.id == b.name.id && a.data == b.data;
}

bool SameFile(const ResourceFile& a, const ResourceFile& b) {
  if (a.image != b.image || a.entries.size() != b.entries.size()) return false;
  for (std::size_t i = 0; i < a.entries.size(); ++i) {
    if (!SameEntry(a.entries[i], b.entries[i])) return false;
  }
  return true;
}

bool EndsWithTable(const std::string& bytes) {
  static const std::string kMagic = "LDSTKRES";
  return bytes.size() >= 20 && bytes.compare(bytes.size() - kMagic.size(), kMagic.size(), kMagic) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes = fuzz::AsText(data, size);
  const std::optional<ResourceFile> parsed = restable::Parse(bytes);
  const auto fromTheEnd = restable::ReadEntries(
      bytes.size(), [&bytes](std::uint64_t offset, std::size_t length, std::string& out) {
        if (offset > bytes.size() || length > bytes.size() - offset) return false;
        out = bytes.substr(static_cast<std::size_t>(offset), length);
        return true;
      });
  FUZZ_CHECK(fromTheEnd.has_value() == parsed.has_value());
  if (!parsed) return 0;
  FUZZ_CHECK(SameFile({parsed->image, *fromTheEnd}, *parsed));
  FUZZ_CHECK(parsed->image.size() <= bytes.size());
  FUZZ_CHECK(bytes.compare(0, parsed->image.size(), parsed->image) == 0);
  if (!EndsWithTable(bytes)) FUZZ_CHECK(parsed->image == bytes && parsed->entries.empty());

  const std::string written = restable::Serialize(*parsed);
  if (EndsWithTable(bytes)) FUZZ_CHECK(written == bytes);
  const std::optional<ResourceFile> reread = restable::Parse(written);
  FUZZ_CHECK(reread.has_value());
  FUZZ_CHECK(SameFile(*reread, *parsed));
  return 0;
}
