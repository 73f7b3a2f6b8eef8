// A killed run's leftovers in the work folder: a server whose parent does
// not reap it stays a zombie, which has ended for the process services, and
// its pid file and socket must not stop the next start.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>

#include "launcher/stale_files.h"
#include "support/test_support.h"
#include "util/hi.h"

namespace {

// A child of the test that has ended and that nothing reaps until it goes.
class Zombie {
 public:
  explicit Zombie(const std::string& program) {
    pid_ = fork();
    if (pid_ == 0) {
      char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>("exit"),
                      const_cast<char*>("0"), nullptr};
      execv(program.c_str(), argv);
      _exit(127);
    }
  }
  ~Zombie() { waitpid(pid_, nullptr, 0); }
  Zombie(const Zombie&) = delete;
  Zombie& operator=(const Zombie&) = delete;
  pid_t pid() const { return pid_; }
  bool IsZombie() const {
    std::ifstream stat("/proc/" + std::to_string(pid_) + "/stat");
    std::string line;
    std::getline(stat, line);
    return line.size() > line.rfind(')') + 2 && line[line.rfind(')') + 2] == 'Z';
  }

 private:
  pid_t pid_;
};

// A Unix socket at the path; listening while the object lives, or dead at once.
class UnixSocket {
 public:
  UnixSocket(const std::string& path, bool listening) {
    fd_ = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    EXPECT_EQ(bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0) << path;
    if (listening) {
      listen(fd_, 4);
    } else {
      close(fd_);
      fd_ = -1;
    }
  }
  ~UnixSocket() {
    if (fd_ >= 0) close(fd_);
  }
  UnixSocket(const UnixSocket&) = delete;
  UnixSocket& operator=(const UnixSocket&) = delete;

 private:
  int fd_;
};

class StaleFilesTest : public test::TempFolderTest {};

TEST_F(StaleFilesTest, AnUnreapedChildHasEndedAndItsPidFileAndSocketGo) {
  const std::string program = Path("server");
  test::CopyProgram(test::ChildProgram(), program);
  const Zombie zombie(program);
  ASSERT_GT(zombie.pid(), 0);
  ASSERT_TRUE(test::WaitUntil([&] { return zombie.IsZombie(); }));

  EXPECT_FALSE(THi::ProcessExists(zombie.pid()));
  EXPECT_TRUE(THi::FindProcessesByPath(program).empty());
  EXPECT_TRUE(zombie.IsZombie()) << "the process services reap only children of their own";

  const std::string work = Path("work");
  test::fs::create_directory(work);
  test::WriteFile(work + "/httpd.pid", std::to_string(zombie.pid()) + "\n");
  test::WriteFile(work + "/mysqld.pid", std::to_string(getpid()) + "\n");
  test::WriteFile(work + "/empty.pid", "");
  test::WriteFile(work + "/httpd.conf", "kept");
  const UnixSocket dead(work + "/dead.sock", false);
  const UnixSocket live(work + "/mysql.sock", true);

  // Only the test itself counts as a server that still runs.
  EXPECT_EQ(RemoveStaleRunFiles(work, {static_cast<TProcessId>(getpid())}), 3);
  EXPECT_EQ(test::EntriesOf(work), (std::set<std::string>{"httpd.conf", "mysql.sock", "mysqld.pid"}));

  // A pid file naming a running process that is none of the servers (an id
  // given to another program since) is stale too.
  EXPECT_EQ(RemoveStaleRunFiles(work, {}), 1);
  EXPECT_FALSE(THi::FileExists(work + "/mysqld.pid"));
}

}  // namespace
