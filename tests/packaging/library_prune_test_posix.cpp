// The bundled libraries Down Size deletes once nothing needs them, on a tree
// of real libraries of this machine.
#include <gtest/gtest.h>

#include <filesystem>

#include "packaging/library_prune.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;

// A library of this machine, or empty.
std::string SystemLibrary(const std::string& name) {
  for (const char* folder : {"/usr/lib/x86_64-linux-gnu", "/lib/x86_64-linux-gnu", "/usr/lib64", "/usr/lib"}) {
    const fs::path path = fs::path(folder) / name;
    if (fs::exists(path)) return path.string();
  }
  return {};
}

class LibraryPruneTest : public test::TempFolderTest {
 protected:
  void SetUp() override {
    fs::create_directories(Path("bin/lib"));
    fs::create_directories(Path("bin/php/ext"));
    // freetype needs png (which needs z) and brotlidec (which needs brotlicommon); jpeg is needed by none.
    for (const char* name : {"libpng16.so.16", "libz.so.1", "libbrotlidec.so.1", "libbrotlicommon.so.1",
                             "libjpeg.so.62", "libfreetype.so.6"}) {
      const std::string library = SystemLibrary(name);
      if (library.empty()) SKIP_FOR_MISSING_TOOL(std::string(name) + " is not on this machine");
      fs::copy_file(library, Path(std::string("bin/lib/") + name));
    }
    fs::rename(Path("bin/lib/libfreetype.so.6"), Path("bin/php/ext/fonts.so"));
    test::WriteFile(Path("bin/lib/glibc-floor"), "2.36\n");
    test::WriteFile(Path("lodestack"), "#!/bin/sh\n");
  }
  bool Kept(const std::string& name) const { return fs::exists(Path("bin/lib/" + name)); }
  std::vector<std::string> Prune() {
    const TLibraryPrune pruned = DeleteUnneededLibraries(temp_.path() + "/", "bin", "bin/lib");
    EXPECT_EQ(pruned.stayed, std::vector<std::string>{});
    return pruned.deleted;
  }
};

TEST_F(LibraryPruneTest, WhatNothingNeedsGoesAndWhatIsNeededThroughOthersStays) {
  EXPECT_EQ(Prune(), std::vector<std::string>{"libjpeg.so.62"});
  for (const char* name : {"libpng16.so.16", "libz.so.1", "libbrotlidec.so.1", "libbrotlicommon.so.1"})
    EXPECT_TRUE(Kept(name)) << name;
  EXPECT_TRUE(Kept("glibc-floor")) << "only libraries go";

  // The program folder's own files count too.
  fs::copy_file(Path("bin/php/ext/fonts.so"), Path("fonts.so"));
  fs::remove(Path("bin/php/ext/fonts.so"));
  EXPECT_TRUE(Prune().empty());
  fs::remove(Path("fonts.so"));
  EXPECT_EQ(Prune().size(), 4u);
  EXPECT_TRUE(Kept("glibc-floor"));
}

TEST_F(LibraryPruneTest, ALinkedLibraryFolderIsAnotherTreesAndStays) {
  fs::rename(Path("bin/lib"), Path("elsewhere"));
  fs::create_directory_symlink(Path("elsewhere"), Path("bin/lib"));
  fs::remove(Path("bin/php/ext/fonts.so"));
  EXPECT_TRUE(Prune().empty());
  EXPECT_TRUE(fs::exists(Path("elsewhere/libjpeg.so.62")));
}

}  // namespace
