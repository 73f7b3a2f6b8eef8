// The reader of an ELF file's needs on any bytes: it reads only inside the
// bytes (the sanitizers watch), and what it finds are names.
#include <cstring>

#include "fuzz/fuzz_input.h"
#include "util/elf_needed.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto needed = ReadElfNeeded([&](std::uint64_t offset, void* out, std::size_t n) -> std::size_t {
    if (offset >= size) return 0;
    const std::size_t count = n < size - offset ? n : static_cast<std::size_t>(size - offset);
    std::memcpy(out, data + offset, count);
    return count;
  });
  if (!needed) return 0;
  FUZZ_CHECK(size >= 16 && std::memcmp(data, "\x7f" "ELF", 4) == 0);
  for (const std::string& name : *needed) {
    FUZZ_CHECK(!name.empty() && name.size() < 4096);
    FUZZ_CHECK(name.find('\0') == std::string::npos);
  }
  return 0;
}
