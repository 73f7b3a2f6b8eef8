// The refusal to start on a C library older than the tree needs.
#include <gtest/gtest.h>

#include "launcher/libc_floor.h"

namespace {

TEST(LibcFloorTest, VersionsCompareNumberByNumber) {
  EXPECT_TRUE(VersionBelow("2.35", "2.36"));
  EXPECT_TRUE(VersionBelow("2.4", "2.36"));
  EXPECT_TRUE(VersionBelow("1.99", "2.0"));
  EXPECT_FALSE(VersionBelow("2.36", "2.36"));
  EXPECT_FALSE(VersionBelow("2.36", "2.36.0"));
  EXPECT_FALSE(VersionBelow("2.40", "2.36"));
  EXPECT_FALSE(VersionBelow("3.0", "2.36"));
  EXPECT_TRUE(VersionBelow("2.36", "2.36.1"));
}

TEST(LibcFloorTest, AnOlderLibraryIsRefusedInOneLine) {
  const std::string refusal = LibcFloorRefusal("runme", "2.35", "2.36\n");
  EXPECT_EQ(refusal, "runme: this system's C library is glibc 2.35; the stack needs glibc 2.36 or newer");
  EXPECT_EQ(refusal.find('\n'), std::string::npos);
}

TEST(LibcFloorTest, TheFloorItselfANewerOneOrNoFloorStart) {
  EXPECT_EQ(LibcFloorRefusal("lodestack", "2.36", "2.36\n"), "");
  EXPECT_EQ(LibcFloorRefusal("lodestack", "2.41", " 2.36 \r\n"), "");
  EXPECT_EQ(LibcFloorRefusal("lodestack", "2.17", ""), "") << "a tree that names no floor";
  EXPECT_EQ(LibcFloorRefusal("lodestack", "2.17", "unknown"), "");
}

}  // namespace
