// The shared libraries an ELF program or library needs (its DT_NEEDED
// names), read from its dynamic section the way the loader finds it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// Reads up to `size` bytes at `offset` into `out`; returns how many it read
// (fewer at the end of the file).
using TReadAt = std::function<std::size_t(std::uint64_t offset, void* out, std::size_t size)>;

// The names in the file's order; nullopt when the bytes are no ELF file
// (64- or 32-bit, little-endian). A damaged file yields the names that could
// be read, and nothing is read outside the offsets the file gives.
std::optional<std::vector<std::string>> ReadElfNeeded(const TReadAt& readAt);

// The same for a file (UTF-8 path); nullopt also when it cannot be opened.
std::optional<std::vector<std::string>> ElfNeededOf(const std::string& file);
