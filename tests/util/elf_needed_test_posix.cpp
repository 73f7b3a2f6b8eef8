// The needs of real ELF files, and of damaged ones.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string_view>

#include "support/test_support.h"
#include "util/elf_needed.h"
#include "util/hi.h"

namespace {

bool Has(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

std::optional<std::vector<std::string>> NeededOfBytes(std::string_view bytes) {
  return ReadElfNeeded([&bytes](std::uint64_t offset, void* out, std::size_t size) -> std::size_t {
    if (offset >= bytes.size()) return 0;
    const std::size_t n = std::min<std::uint64_t>(size, bytes.size() - offset);
    std::memcpy(out, bytes.data() + offset, n);
    return n;
  });
}

TEST(ElfNeededTest, AProgramNamesTheLibrariesItWasLinkedWith) {
  const auto needed = ElfNeededOf(THi::GetProgramFile());
  ASSERT_TRUE(needed.has_value());
  EXPECT_TRUE(Has(*needed, "libc.so.6"));
  EXPECT_TRUE(Has(*needed, "libstdc++.so.6"));
}

TEST(ElfNeededTest, OtherFilesAreNoElfFiles) {
  EXPECT_FALSE(NeededOfBytes("").has_value());
  EXPECT_FALSE(NeededOfBytes("#!/bin/sh\necho hello\n").has_value());
  EXPECT_FALSE(NeededOfBytes(std::string("\x7f" "ELF\x02\x02", 6) + std::string(58, '\0')).has_value())
      << "big-endian";
  EXPECT_FALSE(ElfNeededOf("/nonexistent/library.so").has_value());
}

// Cut off anywhere, a file yields at most what the whole one names, and
// nothing is read beyond its end (the sanitizers watch the reads).
TEST(ElfNeededTest, ADamagedFileYieldsWhatCouldBeRead) {
  const std::string whole = test::ReadFile(THi::GetProgramFile());
  const auto all = NeededOfBytes(whole);
  ASSERT_TRUE(all.has_value());
  for (std::size_t size = 16; size < whole.size(); size += size < 8192 ? 61 : whole.size() / 50) {
    const auto part = NeededOfBytes(std::string_view(whole).substr(0, size));
    ASSERT_TRUE(part.has_value()) << size;
    for (const std::string& name : *part) EXPECT_TRUE(Has(*all, name)) << name << " at " << size;
  }
  std::string scrambled = whole;
  for (std::size_t at = 16; at < 4096 && at < scrambled.size(); at += 7) scrambled[at] = '\xff';
  NeededOfBytes(scrambled);
}

}  // namespace
