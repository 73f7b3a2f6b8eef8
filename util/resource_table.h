// The resource table the Linux program file carries after its last byte
// (the loader ignores trailing bytes). Layout, all little-endian:
//   entries: u16 type, u16 language, u16 name length (0 = numeric), then the
//            name bytes or a u16 identifier, u32 size, the bytes
//   footer:  u32 entry count, u64 offset of the first entry, "LDSTKRES"
// A file without the footer has an empty table.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "util/resource_types.h"

struct ResourceEntry {
  std::uint16_t type = 0;
  ResourceName name;
  std::uint16_t language = 0;
  std::string data;
};

struct ResourceFile {
  std::string image;  // the program itself, everything before the table
  std::vector<ResourceEntry> entries;
};

namespace restable {

// Splits a program file's bytes; nothing when the table is damaged.
std::optional<ResourceFile> Parse(const std::string& fileBytes);

// Reads `length` bytes at `offset` of a file into `bytes`; false when it cannot.
using TReadAt = std::function<bool(std::uint64_t offset, std::size_t length, std::string& bytes)>;
// The table of a file of `fileSize` bytes, found from its end: the footer,
// then the entries, and nothing of the program before them. Empty when the
// file has no table; nothing when the table is damaged or cannot be read.
std::optional<std::vector<ResourceEntry>> ReadEntries(std::uint64_t fileSize, const TReadAt& readAt);
std::string Serialize(const ResourceFile& file);

// The first entry of that type and name (any language), or null.
const ResourceEntry* Find(const std::vector<ResourceEntry>& entries, std::uint16_t type,
                          const ResourceName& name);

// Replaces the entry of that type, name and language, adds it when missing,
// or deletes it when `data` is null (deleting nothing is no error).
void Update(std::vector<ResourceEntry>& entries, std::uint16_t type, const ResourceName& name,
            std::uint16_t language, const std::string* data);

}  // namespace restable
