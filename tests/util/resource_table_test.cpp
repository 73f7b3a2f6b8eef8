// The resource table a Linux program file carries after its last byte: what
// is written reads back unchanged, a damaged table is refused rather than
// misread, and names match as resource names do, without regard to case.
#include <gtest/gtest.h>

#include "support/resource_support.h"
#include "util/resource_editor.h"
#include "util/resource_table.h"
#include "util/resource_update.h"

namespace {

ResourceFile SampleFile() {
  ResourceFile file;
  file.image = std::string("\x7f" "ELF program bytes\0with a NUL", 29);
  file.entries.push_back({kResData, ResourceName::Named("RES_CONFIG_INI"), kLangNeutral,
                          "[INI]\r\nport=80"});
  file.entries.push_back({kResData, ResourceName::Named("RES_SPLASH"), kLangNeutral,
                          std::string("BM\0\xff\x01", 5)});
  file.entries.push_back({kResIcon, ResourceName::Numbered(7), kLangEnglishUs, "image seven"});
  file.entries.push_back({kResGroupIcon, ResourceName::Named("MAINICON"), 1031, "group"});
  file.entries.push_back({kResData, ResourceName::Named("EMPTY"), kLangNeutral, ""});
  return file;
}

void ExpectSameEntries(const std::vector<ResourceEntry>& actual,
                       const std::vector<ResourceEntry>& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t i = 0; i < actual.size(); ++i) {
    SCOPED_TRACE("entry " + std::to_string(i));
    EXPECT_EQ(actual[i].type, expected[i].type);
    EXPECT_EQ(actual[i].language, expected[i].language);
    EXPECT_EQ(actual[i].name.name, expected[i].name.name);
    EXPECT_EQ(actual[i].name.IsNumber(), expected[i].name.IsNumber());
    EXPECT_EQ(actual[i].name.id, expected[i].name.id);
    EXPECT_EQ(actual[i].data, expected[i].data);
  }
}

// Offsets into a serialized table: the footer is the last 20 bytes
// (count, offset of the first entry, magic).
std::size_t FooterAt(const std::string& bytes) { return bytes.size() - 20; }

TEST(ResourceTable, WhatIsWrittenReadsBackUnchanged) {
  const ResourceFile file = SampleFile();
  const auto parsed = restable::Parse(restable::Serialize(file));
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->image, file.image);
  ExpectSameEntries(parsed->entries, file.entries);
}

TEST(ResourceTable, RewritingATableKeepsTheProgramAndReplacesTheTable) {
  // The patch modes parse, change and serialize again: the program before the
  // table must come through untouched, however often.
  ResourceFile file = SampleFile();
  std::string bytes = restable::Serialize(file);
  for (int round = 0; round < 3; ++round) {
    auto parsed = restable::Parse(bytes);
    ASSERT_TRUE(parsed);
    const std::string data = "round " + std::to_string(round);
    restable::Update(parsed->entries, kResData, ResourceName::Named("RES_CONFIG_INI"),
                     kLangNeutral, &data);
    bytes = restable::Serialize(*parsed);
  }
  const auto parsed = restable::Parse(bytes);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->image, file.image);
  ASSERT_EQ(parsed->entries.size(), file.entries.size());
  EXPECT_EQ(restable::Find(parsed->entries, kResData, ResourceName::Named("RES_CONFIG_INI"))->data,
            "round 2");
}

TEST(ResourceTable, AFileWithoutATableIsAllProgramAndNoResources) {
  const std::string program = "\x7f" "ELF just a program, nothing appended";
  const auto parsed = restable::Parse(program);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->image, program);
  EXPECT_TRUE(parsed->entries.empty());
  // Adding the first resource keeps the program in front of the new table.
  ResourceFile file = *parsed;
  const std::string data = "x";
  restable::Update(file.entries, kResData, ResourceName::Named("A"), kLangNeutral, &data);
  EXPECT_EQ(restable::Serialize(file).compare(0, program.size(), program), 0);
}

TEST(ResourceTable, ADamagedTableIsRefused) {
  const std::string good = restable::Serialize(SampleFile());
  const std::size_t footer = FooterAt(good);

  std::string moreEntriesThanThere = good;
  test::PutLe32(moreEntriesThanThere, footer, test::Le32(good, footer) + 1);
  EXPECT_FALSE(restable::Parse(moreEntriesThanThere)) << "an entry count larger than the table";

  std::string fewerEntriesThanThere = good;
  test::PutLe32(fewerEntriesThanThere, footer, test::Le32(good, footer) - 1);
  EXPECT_FALSE(restable::Parse(fewerEntriesThanThere)) << "bytes left over after the last entry";

  std::string offsetPastTheFooter = good;
  test::PutLe32(offsetPastTheFooter, footer + 4, static_cast<std::uint32_t>(good.size()));
  EXPECT_FALSE(restable::Parse(offsetPastTheFooter)) << "a table starting after its footer";

  std::string hugeOffset = good;
  test::PutLe32(hugeOffset, footer + 8, 0xffffffffu);
  EXPECT_FALSE(restable::Parse(hugeOffset)) << "an offset beyond any file";

  // The first entry's size field says more bytes than the table holds.
  const std::size_t first = static_cast<std::size_t>(test::Le32(good, footer + 4));
  const std::size_t nameLength = test::Le16(good, first + 4);
  std::string entryPastTheEnd = good;
  test::PutLe32(entryPastTheEnd, first + 6 + nameLength, 0x7fffffffu);
  EXPECT_FALSE(restable::Parse(entryPastTheEnd)) << "an entry reaching past the table";
}

TEST(ResourceTable, ALookupReadsTheTableFromTheEndAndNothingOfTheProgram) {
  ResourceFile file = SampleFile();
  file.image.append(4 << 20, '\x90');  // a program of some megabytes
  const std::string bytes = restable::Serialize(file);
  std::size_t read = 0;
  const restable::TReadAt readAt = [&](std::uint64_t offset, std::size_t length, std::string& out) {
    if (offset + length > bytes.size()) return false;
    read += length;
    out = bytes.substr(static_cast<std::size_t>(offset), length);
    return true;
  };
  const auto entries = restable::ReadEntries(bytes.size(), readAt);
  ASSERT_TRUE(entries);
  ExpectSameEntries(*entries, file.entries);
  EXPECT_EQ(read, bytes.size() - file.image.size()) << "the table and its footer, nothing else";

  read = 0;
  const auto none = restable::ReadEntries(file.image.size(), [&](std::uint64_t offset, std::size_t length,
                                                                 std::string& out) {
    read += length;
    out = file.image.substr(static_cast<std::size_t>(offset), length);
    return true;
  });
  ASSERT_TRUE(none);
  EXPECT_TRUE(none->empty());
  EXPECT_EQ(read, 20u) << "a file without a table costs one look at its end";

  std::string damaged = bytes;
  test::PutLe32(damaged, FooterAt(damaged), test::Le32(bytes, FooterAt(bytes)) + 1);
  EXPECT_FALSE(restable::ReadEntries(damaged.size(), [&](std::uint64_t offset, std::size_t length,
                                                         std::string& out) {
    out = damaged.substr(static_cast<std::size_t>(offset), length);
    return true;
  }));
}

#ifndef _WIN32
TEST(ResourceTable, ADamagedTableIsNeitherRewrittenNorUsed) {
  test::TempFolder temp;
  const std::string file = temp / "program";
  std::string damaged = restable::Serialize(SampleFile());
  test::PutLe32(damaged, FooterAt(damaged), 99);
  test::WriteFile(file, damaged);

  EXPECT_FALSE(THi::WriteDataResource(file, "RES_CONFIG_INI", "[INI]"));
  const auto editor = ResourceEditor::Create();
  EXPECT_FALSE(editor->OpenView(file));
  EXPECT_EQ(test::ReadFile(file), damaged);
}
#else
TEST(ResourceTable, ADamagedTableIsNeitherRewrittenNorUsed) {
  GTEST_SKIP() << "Windows program files carry PE resources, not the appended table";
}
#endif

TEST(ResourceTable, NamesMatchWithoutRegardToCase) {
  ResourceFile file = SampleFile();
  const ResourceEntry* found =
      restable::Find(file.entries, kResData, ResourceName::Named("res_Config_ini"));
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->data, "[INI]\r\nport=80");
  EXPECT_NE(restable::Find(file.entries, kResGroupIcon, ResourceName::Named("mainicon")), nullptr);

  // Writing under another spelling replaces the one resource.
  const std::string data = "new";
  restable::Update(file.entries, kResData, ResourceName::Named("Res_Config_INI"), kLangNeutral,
                   &data);
  EXPECT_EQ(file.entries.size(), SampleFile().entries.size());
  EXPECT_EQ(restable::Find(file.entries, kResData, ResourceName::Named("RES_CONFIG_INI"))->data,
            "new");

  // ... and so does deleting.
  restable::Update(file.entries, kResData, ResourceName::Named("res_splash"), kLangNeutral,
                   nullptr);
  EXPECT_EQ(restable::Find(file.entries, kResData, ResourceName::Named("RES_SPLASH")), nullptr);
}

TEST(ResourceTable, TypeNumberAndLanguageKeepResourcesApart) {
  ResourceFile file = SampleFile();
  // A name is never a number, even when it spells one.
  EXPECT_EQ(restable::Find(file.entries, kResIcon, ResourceName::Named("7")), nullptr);
  EXPECT_NE(restable::Find(file.entries, kResIcon, ResourceName::Numbered(7)), nullptr);
  // Same name, other type.
  EXPECT_EQ(restable::Find(file.entries, kResGroupIcon, ResourceName::Named("RES_CONFIG_INI")),
            nullptr);

  // Another language adds a resource; deleting one language keeps the other.
  const std::string english = "english group";
  restable::Update(file.entries, kResGroupIcon, ResourceName::Named("MAINICON"), kLangEnglishUs,
                   &english);
  EXPECT_EQ(file.entries.size(), SampleFile().entries.size() + 1);
  restable::Update(file.entries, kResGroupIcon, ResourceName::Named("MAINICON"), 1031, nullptr);
  const ResourceEntry* left =
      restable::Find(file.entries, kResGroupIcon, ResourceName::Named("MAINICON"));
  ASSERT_NE(left, nullptr);
  EXPECT_EQ(left->language, kLangEnglishUs);
  EXPECT_EQ(left->data, english);
  // Deleting what is not there changes nothing.
  restable::Update(file.entries, kResGroupIcon, ResourceName::Named("MAINICON"), 1031, nullptr);
  EXPECT_EQ(file.entries.size(), SampleFile().entries.size());
}

}  // namespace
