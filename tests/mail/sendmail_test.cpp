// The mail program as PHP runs it: a real child process reading a message
// on its standard input, and the mailbox it leaves behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "mail/mailbox.h"
#include "mail/message.h"
#include "server/config_quoting.h"
#include "support/test_support.h"
#include "util/command_line.h"
#include "util/hi.h"

#ifdef _WIN32
namespace {
// cmd.exe drops the first and the last quote of the whole command line.
std::string ShellCommand(const std::vector<std::string>& words, const std::string& errFile) {
  std::string command;
  for (const std::string& word : words) command += QuoteArgument(word) + " ";
  return "\"" + command + "2>" + QuoteArgument(errFile) + "\"";
}
int ExitStatus(int status) { return status; }
// Bytes as they are: a text pipe would turn every line end into CR LF.
const char* const kWriteBytes = "wb";
}  // namespace
#else
#include <sys/wait.h>
namespace {
std::string ShellCommand(const std::vector<std::string>& words, const std::string& errFile) {
  std::string command;
  for (const std::string& word : words) command += server_config::ShellQuoted(word) + " ";
  return command + "2>" + server_config::ShellQuoted(errFile);
}
int ExitStatus(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : -1; }
const char* const kWriteBytes = "w";
}  // namespace
#endif

namespace {

struct ChildRun {
  int status = -1;
  std::string err;
};

class SendmailTest : public test::TempFolderTest {
 protected:
  std::string Mailbox() const { return Path("mail box;$x"); }

  // The mail program with `args`, `message` on its standard input.
  ChildRun Send(const std::vector<std::string>& args, const std::string& message) {
    std::vector<std::string> words{THi::GetAppPath() + "sendmail" + test::kExeSuffix};
    words.insert(words.end(), args.begin(), args.end());
    const std::string errFile = Path("err.txt");
    const std::string command = ShellCommand(words, errFile);
    std::FILE* pipe = popen(command.c_str(), kWriteBytes);
    if (!pipe) return {};
    std::fwrite(message.data(), 1, message.size(), pipe);
    ChildRun run;
    run.status = ExitStatus(pclose(pipe));
    run.err = test::ReadFile(errFile);
    return run;
  }

  std::vector<std::string> Stored() const {
    std::vector<std::string> names;
    for (const std::string& name : THi::ListFiles(Mailbox())) names.push_back(name);
    std::sort(names.begin(), names.end());
    return names;
  }
};

const char kMessage[] =
    "From: Site <site@example.org>\n"
    "To: \"Doe, Jane\" <jane@example.org>, bob@example.org\n"
    "Cc: team: ann@example.org, (a comment) Carl <carl@example.org>;\n"
    "Bcc: hidden@example.org,\n"
    " also-hidden@example.org\n"
    "Subject: =?UTF-8?B?R3LDvMOfZQ==?=\n"
    "\n"
    "Hello\n"
    ".\n"
    "the line above does not end the message\n";

TEST(MessageRules, RecipientsComeFromToCcAndBccOnceEachAndTheCommandLine) {
  std::string error;
  mail::Options options = mail::ParseArguments({"-t", "-i", "-f", "bounce@example.org", "--mailbox=/m",
                                                "extra@example.org", "BOB@example.org"}, error);
  EXPECT_EQ(error, "");
  EXPECT_EQ(options.mailbox, "/m");
  EXPECT_EQ(mail::Sender(kMessage, options), "bounce@example.org");
  EXPECT_EQ(mail::Recipients(kMessage, options),
            (std::vector<std::string>{"extra@example.org", "BOB@example.org", "jane@example.org",
                                      "ann@example.org", "carl@example.org", "hidden@example.org",
                                      "also-hidden@example.org"}));
  // Without -t only the command line counts; without -f, From does.
  options = mail::ParseArguments({"-fbounce@example.org", "--mailbox", "/m", "only@example.org"}, error);
  EXPECT_EQ(options.sender, "bounce@example.org");
  EXPECT_EQ(mail::Recipients(kMessage, options), std::vector<std::string>{"only@example.org"});
  options.sender.clear();
  EXPECT_EQ(mail::Sender(kMessage, options), "site@example.org");

  mail::ParseArguments({"-t", "-x"}, error);
  EXPECT_EQ(error, "unknown option -x");
  mail::ParseArguments({"-t"}, error);
  EXPECT_NE(error.find("no mailbox"), std::string::npos);
  // What an application passes along cannot move the mailbox or add envelope lines.
  options = mail::ParseArguments({"-t", "--mailbox=/m", "-f", "x@y", "--mailbox=/www"}, error);
  EXPECT_EQ(error, "");
  EXPECT_EQ(options.mailbox, "/m");
  mail::ParseArguments({"-t", "--mailbox=/m", "-fx@y\nX-Forged: 1"}, error);
  EXPECT_NE(error, "");
}

TEST(MessageRules, AMalformedHeaderSaysNothingAndHidesNothingAfterIt) {
  const std::string message =
      "To: a@example.org\r\nthis is no header\r\nBad Name: x@example.org\r\n"
      "Cc: b@example.org,\r\n\tc@example.org\r\n\r\nTo: body@example.org\r\n";
  const auto headers = mail::ReadHeaders(message);
  ASSERT_EQ(headers.size(), 2u);
  EXPECT_EQ(headers[1].value, "b@example.org, c@example.org");
  mail::Options options;
  options.recipientsFromHeaders = true;
  EXPECT_EQ(mail::Recipients(message, options), (std::vector<std::string>{"a@example.org", "b@example.org", "c@example.org"}));
}

TEST_F(SendmailTest, TheWholeMessageIsStoredWithItsBccAndWhoItWentTo) {
  const ChildRun run = Send({"-t", "-i", "--mailbox=" + Mailbox(), "-f", "bounce@example.org"}, kMessage);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const std::vector<std::string> names = Stored();
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(names[0].substr(names[0].size() - 4), ".eml");
  const std::string stored = test::ReadFile(Mailbox() + "/" + names[0]);
  EXPECT_EQ(stored,
            "X-Lodestack-Sender: bounce@example.org\n"
            "X-Lodestack-Recipients: jane@example.org, bob@example.org, ann@example.org, carl@example.org, "
            "hidden@example.org, also-hidden@example.org\n" +
                std::string(kMessage));

  // Messages keep their order by name, and the malformed one is kept too.
  const std::string malformed = "To: a@example.org\nno colon here\n\xff\xfe: x\n\nbody\n";
  EXPECT_EQ(Send({"-t", "--mailbox", Mailbox()}, malformed).status, 0);
  const std::vector<std::string> both = Stored();
  ASSERT_EQ(both.size(), 2u);
  EXPECT_EQ(both[0], names[0]);
  EXPECT_EQ(test::ReadFile(Mailbox() + "/" + both[1]),
            "X-Lodestack-Recipients: a@example.org\n" + malformed);
}

TEST_F(SendmailTest, WhatCannotBeStoredFailsWithItsReasonAndLeavesNothing) {
  // Over the limit: refused, whole.
  std::string huge = "To: a@example.org\n\n";
  huge.resize(mail::kMaxMessageBytes + 1, 'x');
  ChildRun run = Send({"-t", "--mailbox=" + Mailbox()}, huge);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("larger than 50 MB"), std::string::npos) << run.err;
  EXPECT_TRUE(Stored().empty());

  // A mailbox below a file: never writable, not even by root.
  test::WriteFile(Path("file"), "x");
  run = Send({"-t", "--mailbox=" + Path("file") + "/mail"}, kMessage);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("cannot make the mailbox \"" + Path("file") + "/mail\""), std::string::npos) << run.err;

  run = Send({"-t"}, kMessage);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("no mailbox"), std::string::npos) << run.err;
}

TEST_F(SendmailTest, AStoredMessageIsReplacedWholeAndNoPartIsLeft) {
  std::string error;
  const std::string file = mail::StoreMessage(Mailbox(), "To: a@example.org\r\n\r\nbody\r\n", error);
  ASSERT_NE(file, "") << error;
  ASSERT_TRUE(mail::ReplaceMessage(
      file, mail::WithHeadersBefore(test::ReadFile(file), "X-Lodestack-Relay: sent to smtp.example.org"), error))
      << error;
  EXPECT_EQ(test::ReadFile(file), "X-Lodestack-Relay: sent to smtp.example.org\r\nTo: a@example.org\r\n\r\nbody\r\n");
  EXPECT_EQ(Stored().size(), 1u);
  // A part left by a run that was cut short does not stop the next one.
  test::WriteFile(file + ".part", "half");
  EXPECT_TRUE(mail::ReplaceMessage(file, "other", error)) << error;
  EXPECT_EQ(test::ReadFile(file), "other");
  EXPECT_FALSE(THi::FileExists(file + ".part"));
}

}  // namespace
