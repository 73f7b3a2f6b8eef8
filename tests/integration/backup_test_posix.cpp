// Backups with the real servers, from a terminal as a user makes them: a
// backup taken while a page writes, files that are not backups, and a load
// that fails half-way.
#include <sys/stat.h>
#include <zlib.h>

#include <filesystem>
#include <future>
#include <memory>

#include "integration/stack_fixture_posix.h"

namespace stack_test {
namespace {

using namespace std::chrono_literals;

using TResult = TCommandResult;

class BackupTest : public test::TempFolderTest {
 protected:
  void SetUp() override {
    if (SharedTree().empty())
      SKIP_FOR_MISSING_TOOL("LODESTACK_STACK_TREE names no tree built by tools/make-stack");
  }
  // The tree's stack, started from a terminal, once its database answers.
  static std::unique_ptr<TerminalRun> StartStack(const Tree& tree) {
    auto stack = std::make_unique<TerminalRun>(tree.root());
    const int port = stack->WaitForHome();
    EXPECT_GT(port, 0) << stack->Output();
    if (port > 0) PageOnceTheDatabaseAnswers(port);
    return stack;
  }
  TResult Run(const Tree& tree, std::vector<std::string> args) {
    return RunInTerminal(tree, temp_.path(), std::move(args));
  }
  std::string Sql(const Tree& tree, const std::string& sql) {
    // The terminal ends its lines with CR LF.
    std::string text = Run(tree, {"mysql", "--batch", "--skip-column-names", "-e", sql}).output;
    std::erase(text, '\r');
    return text;
  }
  static std::string Gunzip(const std::string& file) {
    gzFile in = gzopen(file.c_str(), "rb");
    std::string text;
    char buffer[65536];
    int got;
    while ((got = gzread(in, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<std::size_t>(got));
    gzclose(in);
    return text;
  }
  static void Gzip(const std::string& file, const std::string& text) {
    gzFile out = gzopen(file.c_str(), "wb");
    gzwrite(out, text.data(), static_cast<unsigned>(text.size()));
    gzclose(out);
  }
  static std::vector<std::string> Backups(const Tree& tree) {
    std::vector<std::string> names;
    for (const std::string& name : THi::ListFiles(tree.root() + "/backups")) names.push_back(name);
    std::sort(names.begin(), names.end());
    return names;
  }
};

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The process of the program that `parent` runs now; 0 when there is none.
pid_t ChildRunning(pid_t parent, const std::string& program) {
  for (const std::string& name : THi::ListFolders("/proc")) {
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    const std::string stat = test::ReadFile("/proc/" + name + "/stat");
    const std::size_t end = stat.rfind(") ");
    if (end == std::string::npos || std::atoi(stat.c_str() + end + 4) != parent) continue;
    const std::string command = test::ReadFile("/proc/" + name + "/cmdline");
    if (command.starts_with(program + '\0')) return static_cast<pid_t>(std::stoi(name));
  }
  return 0;
}

TEST_F(BackupTest, ABackupTakenWhileAPageWritesRestoresEveryRowCommittedBeforeIt) {
  Tree tree(temp_, "backing up", {.config = ConfigWith("20210")});
  test::WriteFile(tree.root() + "/www/writer.php", R"php(<?php
$db = new mysqli('localhost', 'root', '');
$db->query('CREATE DATABASE IF NOT EXISTS shop');
$db->query('CREATE TABLE IF NOT EXISTS shop.orders (id INT PRIMARY KEY, note TEXT) ENGINE=Aria');
for ($i = 1; $i <= (int)$_GET['n']; $i++) $db->query("INSERT INTO shop.orders VALUES ($i, REPEAT('x', 2000))");
echo 'wrote';
)php");
  TerminalRun stack(tree.root());
  const int port = stack.WaitForHome();
  ASSERT_GT(port, 0) << stack.Output();
  PageOnceTheDatabaseAnswers(port);

  EXPECT_EQ(Run(tree, {"backup", "/nonexistent/folder/x.sql.gz"}).status, 1);
  auto writer = std::async(std::launch::async, [&] { return HttpGet(port, "/writer.php?n=6000"); });
  ASSERT_TRUE(test::WaitUntil([&] { return std::atoi(Sql(tree, "SELECT COUNT(*) FROM shop.orders").c_str()) > 300; },
                              60s));
  const int before = std::atoi(Sql(tree, "SELECT COUNT(*) FROM shop.orders").c_str());
  const TResult made = Run(tree, {"backup"});
  ASSERT_EQ(made.status, 0) << made.output;
  EXPECT_TRUE(Has(writer.get(), "wrote"));
  const std::vector<std::string> names = Backups(tree);
  ASSERT_EQ(names.size(), 1u);
  EXPECT_TRUE(names[0].starts_with("Stack Test-") && names[0].ends_with(".sql.gz")) << names[0];
  EXPECT_TRUE(Has(made.output, "Backed up 1 databases to " + tree.root() + "/backups/" + names[0] + " (")) << made.output;

  // Every row before the backup began, then a run without gaps: none half-included.
  Sql(tree, "CREATE TABLE shop.later (id INT); DROP DATABASE IF EXISTS spare; CREATE DATABASE spare");
  const TResult refused = Run(tree, {"restore", tree.root() + "/backups/" + names[0]});
  EXPECT_EQ(refused.status, 1);
  EXPECT_TRUE(Has(refused.output, "the site's writes during the restore may be lost")) << refused.output;
  const TResult restored = Run(tree, {"restore", tree.root() + "/backups/" + names[0], "--yes"});
  ASSERT_EQ(restored.status, 0) << restored.output;
  const std::string counts = Sql(tree, "SELECT COUNT(*), MAX(id), MIN(id) FROM shop.orders");
  const int rows = std::atoi(counts.c_str());
  EXPECT_GE(rows, before) << counts;
  EXPECT_EQ(counts, std::to_string(rows) + "\t" + std::to_string(rows) + "\t1\n");
  EXPECT_EQ(Sql(tree, "SHOW TABLES FROM shop"), "orders\n");
  EXPECT_EQ(Sql(tree, "SHOW DATABASES LIKE 'spare'"), "spare\n");
  EXPECT_TRUE(Has(Sql(tree, "SELECT user FROM mysql.user"), "root"));
  EXPECT_EQ(Backups(tree).size(), 2u);  // the safety backup beside it
}

TEST_F(BackupTest, AFileThatIsNotABackupOrALoadThatFailsLeavesTheDatabaseAsItWas) {
  Tree tree(temp_, "restoring", {.config = ConfigWith("20220")});
  const auto stack = StartStack(tree);
  Sql(tree, "CREATE DATABASE shop; CREATE TABLE shop.t (id INT) ENGINE=Aria; INSERT INTO shop.t VALUES (1), (2)");
  const std::string file = Path("good.sql.gz");
  ASSERT_EQ(Run(tree, {"backup", "good.sql.gz"}).status, 0);
  Sql(tree, "INSERT INTO shop.t VALUES (3)");
  const std::string state = "1\n2\n3\n";
  ASSERT_EQ(Sql(tree, "SELECT id FROM shop.t"), state);

  const std::string dump = Gunzip(file);
  ASSERT_TRUE(Has(dump, "-- Dump completed")) << dump.substr(0, 200);
  const std::string whole = test::ReadFile(file);
  test::WriteFile(Path("cut.sql.gz"), whole.substr(0, whole.size() / 2));
  Gzip(Path("short.sql.gz"), dump.substr(0, dump.size() - 60));
  Gzip(Path("foreign.sql.gz"), "just some text\n");
  test::WriteFile(Path("plain.sql.gz"), dump);
  for (const char* bad : {"cut.sql.gz", "short.sql.gz", "foreign.sql.gz", "plain.sql.gz"}) {
    const TResult r = Run(tree, {"restore", bad, "--yes"});
    EXPECT_EQ(r.status, 1) << bad;
    EXPECT_TRUE(Has(r.output, "nothing was restored: " + Path(bad))) << r.output;
  }
  EXPECT_FALSE(std::filesystem::exists(tree.root() + "/backups"));  // not even a safety backup

  // The last statement broken, after a database the backup did not have.
  std::string broken = dump;
  const std::size_t end = broken.rfind("UNLOCK TABLES;");
  ASSERT_NE(end, std::string::npos);
  broken.insert(end + std::string("UNLOCK TABLES;\n").size(), "CREATE DATABASE made_by_load;\nINSERT INTO shop.t VALUES (;\n");
  Gzip(Path("broken.sql.gz"), broken);
  const TResult failed = Run(tree, {"restore", "broken.sql.gz", "--yes"});
  EXPECT_EQ(failed.status, 1);
  EXPECT_TRUE(Has(failed.output, "The restore failed: ERROR 1064")) << failed.output;
  EXPECT_TRUE(Has(failed.output, "The database is as it was before the restore.")) << failed.output;
  EXPECT_EQ(Sql(tree, "SELECT id FROM shop.t"), state);
  EXPECT_EQ(Sql(tree, "SHOW DATABASES LIKE 'made_by_load'"), "");
}

TEST_F(BackupTest, AReadOnlyProgramFolderNeedsAFileAndAStoppedStackSaysSo) {
  Tree tree(temp_, "read only", {.config = ConfigWith("20230")});
  TResult r = Run(tree, {"backup"});
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Has(r.output, "the stack's database is not running.")) << r.output;
  const auto stack = StartStack(tree);
  // The command alone sees the tree read-only, as on a CD; root writes
  // through a folder's mode, not through a read-only mount.
  TerminalRun readOnly(temp_.path(),
                       {"/usr/bin/unshare", "--mount", "/bin/sh", "-c",
                        "mount --bind \"$0\" \"$0\" && mount -o remount,bind,ro \"$0\" && exec \"$0/lodestack\" backup",
                        tree.root()});
  EXPECT_EQ(readOnly.WaitForExit(60s), 1) << readOnly.Output();
  EXPECT_TRUE(Has(readOnly.Output(), "give a FILE to write it to")) << readOnly.Output();
  EXPECT_FALSE(std::filesystem::exists(tree.root() + "/backups"));
}

TEST_F(BackupTest, CtrlCDuringTheDumpOrTheLoadLeavesNoHalfBackupAndTheDatabasesAsTheyWere) {
  Tree tree(temp_, "interrupted", {.config = ConfigWith("21110")});
  const auto stack = StartStack(tree);
  // Rows that compress poorly, enough for a dump and a load of some seconds;
  // the server stops a recursion at 1000 rows unless told otherwise.
  const std::string made = Sql(tree, "SET SESSION max_recursive_iterations = 1000000; CREATE DATABASE big; "
            "CREATE TABLE big.rows (id INT PRIMARY KEY, note TEXT) ENGINE=Aria; "
            "INSERT INTO big.rows WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 150000) "
            "SELECT i, CONCAT(SHA2(i, 512), SHA2(i + 1, 512), SHA2(i + 2, 512)) FROM n");
  ASSERT_EQ(Sql(tree, "SELECT COUNT(*) FROM big.rows"), "150000\n") << made;

  // Ctrl+C once `program` of the tree runs, after the text shows.
  const auto interrupted = [&](std::vector<std::string> args, const std::string& programName,
                               const std::string& shown) {
    args.insert(args.begin(), tree.program());
    TerminalRun run(temp_.path(), args);
    EXPECT_TRUE(run.WaitForOutput(shown, 120s)) << run.Output();
    const std::string program = tree.root() + "/bin/mysql/bin/" + programName;
    EXPECT_TRUE(test::WaitUntil([&] { return ChildRunning(run.pid(), program) != 0; }, 120s)) << run.Output();
    run.Type("\x03");
    const TResult result{run.WaitForExit(120s), run.Output()};
    EXPECT_NE(result.status, 0) << result.output;
    return result;
  };
  EXPECT_TRUE(Has(interrupted({"backup"}, "mariadb-dump", "").output, "The backup failed: stopped by the user"));
  EXPECT_EQ(Backups(tree), std::vector<std::string>{});

  ASSERT_EQ(Run(tree, {"backup", "big.sql.gz"}).status, 0);
  Sql(tree, "UPDATE big.rows SET note = 'changed' WHERE id = 1; CREATE TABLE big.later (id INT)");
  const std::string state = Sql(tree, "CHECKSUM TABLE big.rows") + Sql(tree, "SHOW TABLES FROM big");
  const TResult restore = interrupted({"restore", "big.sql.gz", "--yes"}, "mariadb", "Restoring: ");
  EXPECT_TRUE(Has(restore.output, "The restore failed: stopped by the user. The database is as it was before the "
                                  "restore.")) << restore.output;
  EXPECT_EQ(Sql(tree, "CHECKSUM TABLE big.rows") + Sql(tree, "SHOW TABLES FROM big"), state);
  EXPECT_EQ(Sql(tree, "SELECT note FROM big.rows WHERE id = 1"), "changed\n");
  for (const std::string& name : Backups(tree)) EXPECT_TRUE(name.ends_with("-auto.sql.gz")) << name;
}

}  // namespace
}  // namespace stack_test
