// Copying trees on Linux with what only Linux folders hold: named pipes and
// sockets, which a copy refuses by name instead of waiting on them, and
// links at the destination, which a copy replaces instead of writing
// through them.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "support/test_support.h"
#include "util/hi.h"

namespace {

namespace fs = test::fs;

class FileCopyTest : public test::TempFolderTest {
 protected:
  void SetUp() override {
    fs::create_directories(Path("site/help"));
    test::WriteFile(Path("site/index.php"), "<?php");
  }
  // Copies the site into "dest"; the failure's text, empty when it copied.
  std::string Copy() {
    std::string failure;
    const bool copied = THi::CopyFolder(Path("site"), Path("dest"), &failure);
    EXPECT_EQ(copied, failure.empty()) << failure;
    return failure;
  }
};

TEST_F(FileCopyTest, ANamedPipeOrASocketStopsTheCopyNamingIt) {
  const std::string fifo = Path("site/help/pipe");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(Copy(), "Unable to copy " + fifo + ": it is a named pipe (FIFO), which a copy cannot hold.");
  fs::remove(fifo);

  const std::string socketFile = Path("site/help/socket");
  const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(socketFile.size(), sizeof address.sun_path);
  socketFile.copy(address.sun_path, socketFile.size());
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  EXPECT_EQ(Copy(), "Unable to copy " + socketFile + ": it is a socket, which a copy cannot hold.");
  close(listener);
  fs::remove(socketFile);
  EXPECT_EQ(Copy(), "");
}

TEST_F(FileCopyTest, LinksAtTheDestinationAreReplacedNotWrittenThrough) {
  fs::create_directories(Path("outside"));
  test::WriteFile(Path("outside/victim.txt"), "kept");
  test::WriteFile(Path("site/help/index.php"), "help");
  fs::create_directories(Path("dest/site"));
  fs::create_symlink(Path("outside/victim.txt"), Path("dest/site/index.php"));
  fs::create_directory_symlink(Path("outside"), Path("dest/site/help"));

  EXPECT_EQ(Copy(), "");
  EXPECT_EQ(test::ReadFile(Path("outside/victim.txt")), "kept");
  EXPECT_EQ(test::EntriesOf(Path("outside")), std::set<std::string>{"victim.txt"});
  EXPECT_FALSE(fs::is_symlink(Path("dest/site/index.php")));
  EXPECT_EQ(test::ReadFile(Path("dest/site/index.php")), "<?php");
  EXPECT_FALSE(fs::is_symlink(Path("dest/site/help")));
  EXPECT_EQ(test::ReadFile(Path("dest/site/help/index.php")), "help");
  EXPECT_EQ(test::EntriesOf(Path("dest/site")), (std::set<std::string>{"index.php", "help"}))
      << "no file is left beside";

  // One file alike; a pipe is refused at once instead of read.
  fs::create_symlink(Path("outside/victim.txt"), Path("dest/one.php"));
  EXPECT_TRUE(THi::CopyFile(Path("site/index.php"), Path("dest/one.php")));
  EXPECT_EQ(test::ReadFile(Path("outside/victim.txt")), "kept");
  EXPECT_EQ(test::ReadFile(Path("dest/one.php")), "<?php");
  ASSERT_EQ(mkfifo(Path("pipe").c_str(), 0600), 0);
  EXPECT_FALSE(THi::CopyFile(Path("pipe"), Path("dest/two.php")));
}

}  // namespace
