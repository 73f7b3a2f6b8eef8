// Files and folders through THi, on real files: the program folder, folder
// listings, copying and deleting trees, read-only trees and the in-use test,
// numbered file names, whole-file reads and writes, and path expansion.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/test_support.h"
#include "util/hi.h"
#include "util/hi_error.h"

namespace {

namespace fs = test::fs;
using test::ReadFile;
using test::WriteFile;

TNameList Sorted(TNameList names) {
  std::sort(names.begin(), names.end());
  return names;
}

class FileTest : public test::TempFolderTest {
 protected:
  void MakeFolder(const std::string& folder) { fs::create_directories(test::U8Path(folder)); }
  test::ChildReport AppPathOf(const std::string& program, const std::string& workDir = "") {
    const std::string report = Path("apppath.txt");
    fs::remove(test::U8Path(report));
    THi::RunProgramAndWait(program, "apppath \"" + report + "\"", workDir, kShowNormal);
    return test::ReadChildReport(report);
  }
};

TEST_F(FileTest, ProgramFolderWithAndWithoutSeparator) {
  const std::string dir = THi::GetAppDir();
  ASSERT_FALSE(dir.empty());
  EXPECT_NE(dir.back(), test::kSep);
  EXPECT_EQ(THi::GetAppPath(), dir + test::kSep);
  EXPECT_EQ(THi::GetProgramFile().rfind(THi::GetAppPath(), 0), 0u) << THi::GetProgramFile();
  EXPECT_TRUE(THi::FileExists(test::ChildProgram()));
}

TEST_F(FileTest, ProgramFolderOfAProgramInAFolderWithWideCharacters) {
  const std::string folder = Path("\xC3\xBCn\xC3\xAF \xE6\x97\xA5\xE6\x9C\xAC");
  MakeFolder(folder);
  const std::string program = folder + test::kSep + "child" + test::kExeSuffix;
  test::CopyProgram(test::ChildProgram(), program);
  const test::ChildReport got = AppPathOf(program);
  EXPECT_EQ(got.Get("appdir"), folder);
  EXPECT_EQ(got.Get("apppath"), folder + test::kSep);
  EXPECT_EQ(got.Get("program"), program);
}

#if defined(_WIN32)
TEST_F(FileTest, ProgramAtTheRootOfADrive) {
  std::string whyNot;
  const std::string root = test::MapDriveToFolder(temp_.path(), whyNot);
  if (root.empty()) GTEST_SKIP() << "cannot map a drive letter to a folder here: " << whyNot;
  test::CopyProgram(test::ChildProgram(), Path("child.exe"));
  const test::ChildReport got = AppPathOf(root + "child.exe");
  test::UnmapDrive(root, temp_.path());
  // Both keep the separator after the drive's colon.
  EXPECT_EQ(got.Get("appdir"), root);
  EXPECT_EQ(got.Get("apppath"), root);
}
#else
TEST_F(FileTest, ProgramAtTheRootOfADrive) {
  GTEST_SKIP() << "drive letters exist on Windows only";
}
#endif

TEST_F(FileTest, ListingsOfEmptyPopulatedAndMissingFolders) {
  const std::string empty = Path("empty");
  MakeFolder(empty);
  EXPECT_EQ(Sorted(THi::ListEntries(empty)), (TNameList{".", ".."}));
  EXPECT_TRUE(THi::ListFolders(empty).empty());
  EXPECT_TRUE(THi::ListFiles(empty).empty());

  const std::string full = Path("full");
  MakeFolder(full + test::kSep + "sub" + test::kSep + "deeper");
  WriteFile(full + test::kSep + "a.txt", "a");
  WriteFile(full + test::kSep + ".hidden", "h");
  EXPECT_EQ(Sorted(THi::ListFiles(full)), (TNameList{".hidden", "a.txt"}));
  EXPECT_EQ(THi::ListFolders(full), TNameList{"sub"});
  EXPECT_EQ(Sorted(THi::ListEntries(full)), (TNameList{".", "..", ".hidden", "a.txt", "sub"}));
  EXPECT_TRUE(THi::FileExists(full + test::kSep + "a.txt"));
  EXPECT_FALSE(THi::FileExists(full + test::kSep + "sub"));
  EXPECT_TRUE(THi::DirectoryExists(full + test::kSep + "sub"));
  EXPECT_FALSE(THi::DirectoryExists(full + test::kSep + "a.txt"));

  const std::string missing = Path("missing");
  EXPECT_TRUE(THi::ListEntries(missing).empty());
  EXPECT_TRUE(THi::ListFolders(missing).empty());
  EXPECT_TRUE(THi::ListFiles(missing).empty());
}

TEST_F(FileTest, DeleteFolderAndFile) {
  EXPECT_TRUE(THi::DeleteFolder(Path("missing")));
  EXPECT_TRUE(THi::DeleteFile(Path("missing.txt")));

  const std::string tree = Path("tree");
  MakeFolder(tree + test::kSep + "a" + test::kSep + "b");
  WriteFile(tree + test::kSep + "top.txt", "1");
  WriteFile(tree + test::kSep + "a" + test::kSep + "b" + test::kSep + "deep.txt", "2");
  const std::string neighbour = Path("neighbour.txt");
  WriteFile(neighbour, "stays");
  EXPECT_TRUE(THi::DeleteFolder(tree));
  EXPECT_FALSE(fs::exists(test::U8Path(tree)));
  EXPECT_EQ(ReadFile(neighbour), "stays");

  EXPECT_TRUE(THi::DeleteFile(neighbour));
  EXPECT_FALSE(fs::exists(test::U8Path(neighbour)));
}

TEST_F(FileTest, CopyFolderPutsTheFolderInsideTheDestination) {
  const std::string site = Path("src") + test::kSep + "site";
  MakeFolder(site + test::kSep + "help");
  WriteFile(site + test::kSep + "index.php", "<?php echo 1;");
  WriteFile(site + test::kSep + "help" + test::kSep + "index.php", "help");
  const std::string dest = Path("dest");
  MakeFolder(dest + test::kSep + "site");
  WriteFile(dest + test::kSep + "site" + test::kSep + "index.php", "old and longer content");

  THi::CopyFolder(site, dest);
  EXPECT_EQ(ReadFile(dest + test::kSep + "site" + test::kSep + "index.php"), "<?php echo 1;");
  EXPECT_EQ(ReadFile(dest + test::kSep + "site" + test::kSep + "help" + test::kSep + "index.php"),
            "help");

  // "folder" + separator + "*" copies the contents.
  const std::string flat = Path("flat");
  MakeFolder(flat);
  THi::CopyFolder(site + test::kSep + "*", flat);
  EXPECT_EQ(ReadFile(flat + test::kSep + "index.php"), "<?php echo 1;");
  EXPECT_EQ(ReadFile(flat + test::kSep + "help" + test::kSep + "index.php"), "help");
}

TEST_F(FileTest, ReadOnlyTreeMakesFilesCountAsInUse) {
  const std::string tree = Path("tree");
  const std::string inner = tree + test::kSep + "sub" + test::kSep + "file.txt";
  MakeFolder(tree + test::kSep + "sub");
  WriteFile(inner, "x");
  EXPECT_FALSE(THi::IsFileInUse(inner));
  EXPECT_FALSE(THi::IsFileInUse(Path("missing.txt")));

  ASSERT_TRUE(THi::SetReadOnlyTree(tree, true));
  EXPECT_TRUE(THi::IsFileInUse(inner));  // no process holds it

  ASSERT_TRUE(THi::SetReadOnlyTree(tree, false));
  EXPECT_FALSE(THi::IsFileInUse(inner));
  THi::SaveFile(inner, "written");
  EXPECT_EQ(ReadFile(inner), "written");

  EXPECT_FALSE(THi::SetReadOnlyTree(Path("missing"), false));
}

// A copied tree may hold links: to a folder outside it, and back to itself.
// The switch changes the tree's own entries only, and ends: two links to the
// top would otherwise branch at every level.
TEST_F(FileTest, ReadOnlyTreeFollowsNoLinkOutOfTheTreeOrRoundIt) {
  const char sep = test::kSep;
  const std::string tree = Path("tree");
  const std::string outside = Path("outside");
  const std::string inner = tree + sep + "a" + sep + "file.txt";
  const std::string kept = outside + sep + "kept.txt";
  MakeFolder(tree + sep + "a");
  MakeFolder(tree + sep + "b");
  MakeFolder(outside);
  WriteFile(inner, "x");
  WriteFile(kept, "x");
  std::string whyNot;
  const bool linked = test::MakeFolderLink(outside, tree + sep + "out", whyNot) &&
                      test::MakeFolderLink(tree, tree + sep + "a" + sep + "top", whyNot) &&
                      test::MakeFolderLink(tree, tree + sep + "b" + sep + "top", whyNot);
  if (!linked) GTEST_SKIP() << "this system makes no symbolic links: " << whyNot;

  ASSERT_TRUE(THi::SetReadOnlyTree(tree, true));
  EXPECT_TRUE(THi::IsFileInUse(inner));
  EXPECT_FALSE(THi::IsFileInUse(kept)) << "a folder outside the tree was made read-only";

  ASSERT_TRUE(THi::SetReadOnlyTree(outside, true));
  ASSERT_TRUE(THi::SetReadOnlyTree(tree, false));
  EXPECT_FALSE(THi::IsFileInUse(inner));
  EXPECT_TRUE(THi::IsFileInUse(kept)) << "a folder outside the tree was made writable";
  THi::SetReadOnlyTree(outside, false);
}

TEST_F(FileTest, UniqueFileNameSkipsOnlyFilesInUse) {
  const std::string first = Path("tnlt_cmd0.tmp");
  EXPECT_EQ(THi::MakeUniqueFileName("tnlt_cmd", temp_.path(), 0, ".tmp"), first);
  // An existing file nobody holds is reused.
  WriteFile(first, "stale");
  EXPECT_EQ(THi::MakeUniqueFileName("tnlt_cmd", temp_.path(), 0, ".tmp"), first);

  // A running program holds its file.
  test::CopyProgram(test::ChildProgram(), first);
  test::ProcessGuard guard;
  ASSERT_NE(guard.Add(THi::RunProgram(first, "sleep 60000", "", kShowNormal)), 0u);
  ASSERT_TRUE(test::WaitUntil([&] { return THi::IsFileInUse(first); }));
  EXPECT_EQ(THi::MakeUniqueFileName("tnlt_cmd", temp_.path(), 0, ".tmp"),
            Path("tnlt_cmd1.tmp"));

  // Without an existing folder the temporary folder is used.
  const std::string elsewhere = THi::MakeUniqueFileName("tnlt_x", Path("missing"), 5, ".tmp");
  EXPECT_EQ(elsewhere.rfind(THi::GetTempDir() + test::kSep, 0), 0u) << elsewhere;
  EXPECT_EQ(elsewhere.substr(elsewhere.size() - 11), "tnlt_x5.tmp");
}

TEST_F(FileTest, WholeFilesRoundTripByteForByte) {
  std::string bytes;
  for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
  bytes += "\r\n\n\r";
  const std::string file = Path("bytes.bin");
  THi::SaveFile(file, bytes);
  EXPECT_EQ(THi::LoadFile(file), bytes);
  THi::SaveFile(file, "short");
  EXPECT_EQ(THi::LoadFile(file), "short");
  THi::SaveFile(file, "");
  EXPECT_EQ(THi::LoadFile(file), "");

  EXPECT_THROW(THi::LoadFile(Path("missing.bin")), EHiError);
  EXPECT_THROW(THi::SaveFile(Path("missing") + test::kSep + "x.bin", "x"), EHiError);
}

TEST_F(FileTest, RelativePathsResolveAgainstTheProgramFolder) {
  test::ScopedCurrentFolder restore;
  fs::current_path(test::U8Path(temp_.path()));
  EXPECT_EQ(THi::ExpandPath(std::string("www") + test::kSep + "index.php"),
            THi::GetAppPath() + "www" + test::kSep + "index.php");
  EXPECT_EQ(THi::ExpandPath(test::ChildProgram()), test::ChildProgram());
}

TEST_F(FileTest, TheBuildFolderIsNoCdRom) { EXPECT_FALSE(THi::IsCdRom()); }

}  // namespace
