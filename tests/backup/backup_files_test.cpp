// Backup files without a database: their names, which automatic ones are
// kept, and the checks that refuse a file that is not a whole backup.
#include <gtest/gtest.h>

#include "backup/backup.h"
#include "backup/backup_files.h"
#include "backup/gzip_file.h"
#include "support/test_support.h"

namespace {

class BackupFilesTest : public test::TempFolderTest {
 protected:
  void WriteGzip(const std::string& file, const std::string& text) {
    backup::TGzipWriter writer;
    std::string reason;
    ASSERT_TRUE(writer.Open(file, reason)) << reason;
    ASSERT_TRUE(writer.Write(text));
    ASSERT_TRUE(writer.Close());
  }
};

TEST(BackupNames, TheTitleAndTheTimeNameTheFileOnEveryPlatform) {
  std::tm when{};
  when.tm_year = 2026 - 1900;
  when.tm_mon = 0;
  when.tm_mday = 5;
  when.tm_hour = 7;
  when.tm_min = 8;
  when.tm_sec = 9;
  EXPECT_EQ(backup::BackupName("My Shop", when, false), "My Shop-2026-01-05-070809.sql.gz");
  EXPECT_EQ(backup::BackupName("My Shop", when, true), "My Shop-2026-01-05-070809-auto.sql.gz");
  EXPECT_EQ(backup::SafeTitle("a/b\\c:d*e?f\"g<h>i|j\tk. "), "a_b_c_d_e_f_g_h_i_j_k");
  EXPECT_EQ(backup::SafeTitle(" ... "), "backup");
  EXPECT_EQ(backup::SafeTitle("Grüße"), "Grüße");
  EXPECT_EQ(backup::SizeText(512), "512 bytes");
  EXPECT_EQ(backup::SizeText(1536 * 1024), "1.5 MB");
}

TEST_F(BackupFilesTest, TheTenNewestAutomaticBackupsAreKeptAndTheUsersAllOfThem) {
  const std::string folder = Path("backups");
  ASSERT_EQ(backup::PrepareFolder(folder), "");
  std::tm when{};
  when.tm_year = 126;
  for (int i = 0; i < 13; ++i) {
    when.tm_sec = i;
    test::WriteFile(folder + "/" + backup::BackupName("Shop", when, true), "x");
    test::WriteFile(folder + "/" + backup::BackupName("Shop", when, false), "x");
  }
  EXPECT_EQ(backup::PruneAutomatic(folder).size(), 3u);
  int automatic = 0, asked = 0;
  for (const std::string& name : THi::ListFiles(folder)) (backup::IsAutomatic(name) ? automatic : asked)++;
  EXPECT_EQ(automatic, 10);
  EXPECT_EQ(asked, 13);
  EXPECT_FALSE(THi::FileExists(folder + "/Shop-2026-01-00-000002-auto.sql.gz"));
  EXPECT_TRUE(THi::FileExists(folder + "/Shop-2026-01-00-000003-auto.sql.gz"));
}

TEST_F(BackupFilesTest, OnlyAWholeCompressedDumpCountsAsABackup) {
  const std::string dump = "/*M!999999\\- enable the sandbox mode */\n-- MariaDB dump 10.19\n"
                           "CREATE DATABASE /*!32312 IF NOT EXISTS*/ `shop` /*!40100 */;\n"
                           "CREATE DATABASE /*!32312 IF NOT EXISTS*/ `odd``name` /*!40100 */;\n" +
                           std::string(300000, '-') + "\n-- Dump completed on 2026-01-05\n";
  WriteGzip(Path("good.sql.gz"), dump);
  backup::TContents good = backup::Inspect(Path("good.sql.gz"));
  EXPECT_EQ(good.why, "");
  EXPECT_EQ(good.databases, (std::vector<std::string>{"shop", "odd`name"}));

  std::string read;
  EXPECT_EQ(backup::ReadGzip(Path("good.sql.gz"), [&](std::string_view piece) {
              read += piece;
              return true;
            }),
            "");
  EXPECT_EQ(read, dump);

  const std::string whole = test::ReadFile(Path("good.sql.gz"));
  test::WriteFile(Path("cut.sql.gz"), whole.substr(0, whole.size() - 10));
  EXPECT_EQ(backup::Inspect(Path("cut.sql.gz")).why, "is cut short");
  test::WriteFile(Path("plain.sql"), dump);
  EXPECT_EQ(backup::Inspect(Path("plain.sql")).why, "is not a gzip file");
  WriteGzip(Path("foreign.gz"), "a letter\n-- Dump completed\n");
  EXPECT_EQ(backup::Inspect(Path("foreign.gz")).why, "is not an SQL dump of the database");
  WriteGzip(Path("short.sql.gz"), dump.substr(0, dump.size() - 40));
  EXPECT_EQ(backup::Inspect(Path("short.sql.gz")).why, "is cut short (the dump's last line is missing)");
  EXPECT_EQ(backup::Inspect(Path("missing.sql.gz")).why, "cannot be read");
}

}  // namespace
