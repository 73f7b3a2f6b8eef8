// The last lines of a server's log, as a failure quotes them.
#include <gtest/gtest.h>

#include "server/server_logs.h"
#include "support/test_support.h"

namespace {

class ServerLogs : public test::TempFolderTest {};

TEST_F(ServerLogs, TheLastLinesWithTextInOrderWithoutLineEndsOrBlanks) {
  const std::string log = Path("mysqld.log");
  EXPECT_EQ(server_logs::LastLines(log, 3), "") << "no log yet";
  test::WriteFile(log, "one\r\ntwo\n\n   \nthree  \r\n\nfour");
  EXPECT_EQ(server_logs::LastLines(log, 3), "two\nthree\nfour");
  EXPECT_EQ(server_logs::LastLines(log, 10), "one\ntwo\nthree\nfour");
}

// A long log is read from its end, which may fall inside a line: that part
// of a line is left out, and an endless line is cut.
TEST_F(ServerLogs, ALongLogIsReadFromItsEnd) {
  const std::string log = Path("apache.log");
  std::string text;
  for (int i = 0; i < 5000; ++i) text += "line " + std::to_string(i) + "\n";
  test::WriteFile(log, text + std::string(1000, 'x') + "\n[error] the reason\n");
  const std::string last = server_logs::LastLines(log, 3);
  EXPECT_EQ(last, "line 4999\n" + std::string(400, 'x') + "...\n[error] the reason");
  const std::string many = server_logs::LastLines(log, 100000);
  EXPECT_LT(many.size(), 20000u);
  EXPECT_EQ(many.rfind("line ", 0), 0u) << "it starts with a whole line: " << many.substr(0, 20);
}

}  // namespace
