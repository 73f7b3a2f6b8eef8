// The down-size worker on a real Linux folder tree: what each choice
// removes, the shared files that follow, the php.ini template, the wait for
// the launcher, and the restart.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "launcher/mode_dispatcher.h"
#include "packaging/down_size_worker.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;

const char kPhpIni[] =
    "[PHP]\n"
    "; extension=gd\n"
    "extension_dir = \"ext\"\r\n"
    "extension=mysqlnd\n"
    "extension=pdo\r\n"
    "  extension = \"mysqli.so\" ; the MySQL driver\n"
    "extension=pdo_mysql\n"
    "extension=pdo_sqlite\n"
    "extension=sqlite3\n"
    "zend_extension=opcache\n"
    "extension=/opt/elsewhere/missing.so\n"
    "extension=gd";

class DownSizeWorkerTest : public test::TempFolderTest {
 protected:
  DownSizeWorkerTest() {
    for (const char* folder : {"bin/mysql/bin", "bin/php/ext", "data/mysql", "data/phpmyadmin",
                               "www/phpmyadmin", "bin/php/Zend"})
      fs::create_directories(Path(folder));
    for (const char* file : {"bin/mysql/bin/mysqld", "data/mysql/user.MAI", "www/phpmyadmin/index.php"})
      test::WriteFile(Path(file), "x");
    for (const char* ext : {"mysqlnd", "pdo", "mysqli", "pdo_mysql", "pdo_sqlite", "sqlite3", "opcache",
                            "gd", "mbstring", "exif", "curl"})
      test::WriteFile(Ext(ext), "x");
    test::WriteFile(Path("bin/Favorites.ini"),
                    "[DIRS]\nProgram folder={APPDIR}\nMySQL data directory={APPDIR}/data\n"
                    "[URLS]\nphpMyAdmin=http://{LOCALHOST:PORT}/phpmyadmin/\n");
    test::WriteFile(Path("bin/php/php.ini"), kPhpIni);
    run_.programFile = Path("lodestack");
    run_.restart = [this](const std::string& program, const std::string& notice) {
      restarts_.push_back(program);
      notices_.push_back(notice);
    };
  }

  std::string Ext(const std::string& name) const { return Path("bin/php/ext/" + name + ".so"); }
  bool Exists(const std::string& name) const { return fs::exists(test::U8Path(Path(name))); }
  // Only the components at these positions chosen, with this flag text.
  void Run(std::initializer_list<int> positions, const std::string& flag = "-1") {
    TArgs flags(kDownSizeComponents, "0");
    for (const int position : positions) flags[static_cast<std::size_t>(position - 2)] = flag;
    RunDownSizeWorker(flags, run_);
  }

  TDownSizeRun run_;
  std::vector<std::string> restarts_;
  std::vector<std::string> notices_;  // what each restarted launcher is to show
};

TEST_F(DownSizeWorkerTest, AnyFlagButZeroChoosesAndMultibyteTakesExifAlong) {
  Run({7}, "1");
  EXPECT_FALSE(fs::exists(Ext("mbstring")));
  EXPECT_FALSE(fs::exists(Ext("exif")));
  EXPECT_TRUE(fs::exists(Ext("gd")));
  EXPECT_TRUE(Exists("bin/php/Zend"));
  EXPECT_EQ(restarts_, std::vector<std::string>{run_.programFile});
}

TEST_F(DownSizeWorkerTest, ImapTakesTheMailProgramAndItsSettingsButNotTheKeptMail) {
  fs::create_directories(Path("bin/Apache"));
  fs::create_directories(Path("mail"));
  for (const char* file : {"bin/Apache/sendmail", "bin/Apache/sendmail.ini", "bin/Apache/Apache",
                           "bin/php/ext/imap.so", "mail/20260101-000000-000-1-0.eml"})
    test::WriteFile(Path(file), "x");
  Run({8});
  EXPECT_FALSE(Exists("bin/php/ext/imap.so"));
  EXPECT_FALSE(Exists("bin/Apache/sendmail"));
  EXPECT_FALSE(Exists("bin/Apache/sendmail.ini"));
  EXPECT_TRUE(Exists("bin/Apache/Apache"));
  EXPECT_TRUE(Exists("mail/20260101-000000-000-1-0.eml"));
}

TEST_F(DownSizeWorkerTest, MySqlTakesItsDataAndFavoriteAndPdoStaysWhileADriverIs) {
  Run({2});
  EXPECT_FALSE(Exists("data"));
  EXPECT_FALSE(Exists("bin/mysql"));
  EXPECT_FALSE(fs::exists(Ext("mysqli")) || fs::exists(Ext("pdo_mysql")));
  EXPECT_TRUE(fs::exists(Ext("pdo"))) << "pdo_sqlite still needs it";
  EXPECT_TRUE(fs::exists(Ext("mysqlnd")));
  EXPECT_EQ(test::ReadFile(Path("bin/Favorites.ini")),
            "[DIRS]\nProgram folder={APPDIR}\n[URLS]\nphpMyAdmin=http://{LOCALHOST:PORT}/phpmyadmin/\n");
  EXPECT_TRUE(Exists("www/phpmyadmin"));

  // The phpMyAdmin row on a tree without data and with the favorite.
  Run({14});
  EXPECT_FALSE(Exists("www/phpmyadmin"));
  EXPECT_EQ(test::ReadFile(Path("bin/Favorites.ini")), "[DIRS]\nProgram folder={APPDIR}\n[URLS]\n");
}

TEST_F(DownSizeWorkerTest, NothingChosenStillDropsPdoWithoutDriversAndRestarts) {
  fs::remove(Ext("pdo_mysql"));
  fs::remove(Ext("pdo_sqlite"));
  test::WriteFile(Ext("pdo_pgsql"), "x");
  Run({});
  EXPECT_TRUE(fs::exists(Ext("pdo"))) << "pdo_pgsql needs it";
  fs::remove(Ext("pdo_pgsql"));
  Run({});
  EXPECT_FALSE(fs::exists(Ext("pdo")));
  for (const char* kept : {"mysqli", "sqlite3", "gd", "exif"}) EXPECT_TRUE(fs::exists(Ext(kept))) << kept;
  EXPECT_TRUE(Exists("data/mysql/user.MAI"));
  EXPECT_EQ(restarts_.size(), 2u);
  EXPECT_EQ(notices_, (std::vector<std::string>{"", ""})) << "nothing to tell";
}

TEST_F(DownSizeWorkerTest, PhpIniLosesTheLinesOfRemovedExtensionsOnly) {
  Run({2, 3});
  EXPECT_FALSE(fs::exists(Ext("pdo")));
  EXPECT_EQ(test::ReadFile(Path("bin/php/php.ini")),
            "[PHP]\n"
            "; extension=gd\n"
            "extension_dir = \"ext\"\r\n"
            "extension=mysqlnd\n"
            "zend_extension=opcache\n"
            "extension=/opt/elsewhere/missing.so\n"
            "extension=gd");
  EXPECT_FALSE(Exists("bin/php/php.ini.new"));
}

TEST_F(DownSizeWorkerTest, WaitsUntilItIsTheOnlyProcessOfItsProgramFile) {
  // Two processes of one file: the worker and the launcher it waits for.
  test::CopyProgram(test::ChildProgram(), run_.programFile);
  test::ProcessGuard guard;
  guard.Add(THi::RunProgram(run_.programFile, "sleep 60000", "", kShowHidden));
  const TProcessId launcher = guard.Add(THi::RunProgram(run_.programFile, "sleep 60000", "", kShowHidden));
  ASSERT_TRUE(test::WaitUntil([&] { return THi::FindProcessesByPath(run_.programFile).size() == 2; }));
  int waits = 0;
  bool deletedEarly = false;
  run_.processMessages = [&] {
    if (++waits > 5) return;
    deletedEarly = deletedEarly || !fs::exists(Ext("gd"));
    if (waits == 5) THi::KillProcess(launcher);
  };
  Run({6});
  EXPECT_GE(waits, 5);
  EXPECT_FALSE(deletedEarly);
  EXPECT_FALSE(fs::exists(Ext("gd")));
  EXPECT_EQ(restarts_.size(), 1u);
}

// A file this process cannot delete: immutable for root, who may delete
// anything else, and in a folder without write permission otherwise.
class Undeletable {
 public:
  explicit Undeletable(const std::string& file) : file_(file) {
    if (test::RunningAsRoot()) {
      ok_ = std::system(("chattr +i '" + file_ + "' 2>/dev/null").c_str()) == 0;
    } else {
      fs::permissions(fs::path(file_).parent_path(), fs::perms::owner_write, fs::perm_options::remove);
      ok_ = true;
    }
  }
  ~Undeletable() {
    if (test::RunningAsRoot())
      (void)!std::system(("chattr -i '" + file_ + "' 2>/dev/null").c_str());
    else
      fs::permissions(fs::path(file_).parent_path(), fs::perms::owner_write, fs::perm_options::add);
  }
  bool ok() const { return ok_; }

 private:
  std::string file_;
  bool ok_ = false;
};

TEST_F(DownSizeWorkerTest, WhatCannotBeRemovedIsNamedWithItsReasonInOneNoticeAndTheStackRestarts) {
  const Undeletable table(Path("data/mysql/user.MAI"));
  const Undeletable page(Path("www/phpmyadmin/index.php"));
  // A bundled library that nothing needs any more.
  fs::create_directories(Path("bin/lib"));
  test::CopyProgram(test::ChildProgram(), Path("bin/lib/libunused.so.1"));
  const Undeletable library(Path("bin/lib/libunused.so.1"));
  if (!table.ok() || !page.ok() || !library.ok())
    SKIP_FOR_MISSING_TOOL("chattr cannot make a file immutable here (e2fsprogs, or the file system)");
  Run({2, 6, 14});
  EXPECT_FALSE(fs::exists(Ext("gd"))) << "the other choices still go";
  ASSERT_EQ(notices_.size(), 1u);
  const std::string reason = test::RunningAsRoot() ? "Operation not permitted" : "Permission denied";
  EXPECT_EQ(notices_[0], "Down Size could not remove everything:\nMySQL: " + Path("data/mysql/user.MAI") + ": " +
                             reason + "\nphpMyAdmin: " + Path("www/phpmyadmin/index.php") + ": " + reason +
                             "\nLibraries: " + Path("bin/lib/libunused.so.1") + ": " + reason);
  EXPECT_EQ(restarts_, std::vector<std::string>{run_.programFile});
}

}  // namespace
