// The time of a backup and of a restore's load step against the same dump
// and client programs run by hand with the same options, `mariadb-dump |
// gzip` and `gunzip | mariadb`, taken in turns so that a busy machine
// weighs on both alike. Prints figures; fails on nothing.
//
// Usage: bench_backup BIN_MYSQL_BIN CLIENT_CNF [ROUNDS]   (a running stack's)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "backup/backup.h"
#include <functional>

namespace {

double Seconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string Sh(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

void Shell(const std::string& command) {
  if (std::system(command.c_str()) != 0) std::fprintf(stderr, "failed: %s\n", command.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s BIN_MYSQL_BIN CLIENT_CNF [ROUNDS]\n", argv[0]);
    return 2;
  }
  const std::string bin = std::string(argv[1]) + "/";
  const backup::TTools tools{bin + "mariadb-dump", bin + "mariadb", argv[2], {}};
  const int rounds = argc > 3 ? std::atoi(argv[3]) : 3;
  std::vector<std::string> databases;
  std::string reason;
  if (!backup::ListDatabases(tools, databases, reason)) {
    std::fprintf(stderr, "%s\n", reason.c_str());
    return 1;
  }
  std::string names;
  for (const std::string& name : databases) names += " " + Sh(name);
  const std::string options = Sh("--defaults-file=" + tools.options) + " --default-character-set=utf8mb4";
  const std::string dump = Sh(tools.dump) + " " + options +
                           " --lock-all-tables --system=users --insert-ignore --add-drop-database --routines"
                           " --events --triggers --hex-blob --databases" + names;
  const std::string load = Sh(tools.client) + " " + options + " --binary-mode";
  const std::string ours = "/tmp/bench-backup-ours.sql.gz", hand = "/tmp/bench-backup-hand.sql.gz";
  double backupOurs = 0, backupHand = 0, loadOurs = 0, loadHand = 0;
  for (int round = 1; round <= rounds; ++round) {
    const double a = Seconds([&] {
      const backup::TOutcome outcome = backup::MakeBackup(tools, ours, nullptr);
      if (!outcome.ok) std::fprintf(stderr, "%s\n", outcome.message.c_str());
    });
    const double b = Seconds([&] { Shell(dump + " | gzip > " + hand); });
    const double c = Seconds([&] {
      const std::string failure = backup::LoadBackup(tools, ours, nullptr);
      if (!failure.empty()) std::fprintf(stderr, "%s\n", failure.c_str());
    });
    const double d = Seconds([&] { Shell("gunzip < " + hand + " | " + load); });
    std::printf("round %d: backup %.2f s, by hand %.2f s; load %.2f s, by hand %.2f s\n", round, a, b, c, d);
    std::fflush(stdout);
    backupOurs += a, backupHand += b, loadOurs += c, loadHand += d;
  }
  std::printf("mean of %d: backup %.2f s vs mariadb-dump | gzip %.2f s (%.2fx); load %.2f s vs gunzip | mariadb "
              "%.2f s (%.2fx)\n",
              rounds, backupOurs / rounds, backupHand / rounds, backupOurs / backupHand, loadOurs / rounds,
              loadHand / rounds, loadOurs / loadHand);
  std::remove(ours.c_str());
  std::remove(hand.c_str());
  return 0;
}
