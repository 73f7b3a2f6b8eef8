// PHP's mail() with the real servers: every message lands in the stack's
// mailbox, from any folder, and stays there across runs.
#include <signal.h>

#include <algorithm>

#include "integration/stack_fixture_posix.h"

namespace stack_test {
namespace {

namespace fs = std::filesystem;

class StackMailTest : public test::TempFolderTest {
 protected:
  void SetUp() override {
    if (SharedTree().empty())
      SKIP_FOR_MISSING_TOOL("LODESTACK_STACK_TREE names no tree built by tools/make-stack");
  }

  // A page that mails a UTF-8 subject, an HTML body and an attachment.
  static void WriteMailPage(const Tree& tree) {
    test::WriteFile(tree.root() + "/www/send.php", R"php(<?php
$headers = "From: Site <site@example.org>\r\nBcc: hidden@example.org\r\nMIME-Version: 1.0\r\n"
  . "Content-Type: multipart/mixed; boundary=\"part\"";
$body = "--part\r\nContent-Type: text/html; charset=UTF-8\r\n\r\n<p>Gr\u{fc}\u{df}e <b>aus</b> K\u{f6}ln</p>\r\n"
  . "--part\r\nContent-Type: application/octet-stream; name=\"report.bin\"\r\n"
  . "Content-Disposition: attachment; filename=\"report.bin\"\r\nContent-Transfer-Encoding: base64\r\n\r\n"
  . chunk_split(base64_encode("\x00\x01attachment bytes")) . "--part--\r\n";
// Applications send a UTF-8 subject encoded, or (PHP lets them) as it is.
$subject = isset($_GET['raw']) ? "Gr\u{fc}\u{df}e unencoded"
  : '=?UTF-8?B?' . base64_encode("Gr\u{fc}\u{df}e aus K\u{f6}ln") . '?=';
echo mail('Jane <jane@example.org>', $subject, $body, $headers, '-fbounce@example.org') ? 'sent' : 'failed';
)php");
  }

  static std::vector<std::string> Messages(const Tree& tree) {
    std::vector<std::string> names;
    for (const std::string& name : THi::ListFiles(tree.root() + "/mail")) names.push_back(name);
    std::sort(names.begin(), names.end());
    return names;
  }

  static std::string Body(const std::string& response) {
    const auto at = response.find("\r\n\r\n");
    return at == std::string::npos ? std::string() : response.substr(at + 4);
  }
};

TEST_F(StackMailTest, MailFromAPageIsKeptWholeInTheMailboxAcrossRuns) {
  Tree tree(temp_, "mailing", {.withDatabase = false, .config = ConfigWith("19600")});
  WriteMailPage(tree);
  {
    Launcher launcher(tree.program(), temp_.path());
    const int port = launcher.WaitForHome();
    ASSERT_GT(port, 0) << launcher.Output();
    EXPECT_EQ(Body(HttpGet(port, "/send.php")), "sent");
    EXPECT_EQ(launcher.Stop(SIGTERM), 0);
  }
  std::vector<std::string> names = Messages(tree);
  ASSERT_EQ(names.size(), 1u);
  const std::string stored = test::ReadFile(tree.root() + "/mail/" + names[0]);
  EXPECT_NE(stored.find("X-Lodestack-Sender: bounce@example.org"), std::string::npos) << stored;
  EXPECT_NE(stored.find("X-Lodestack-Recipients: jane@example.org, hidden@example.org"), std::string::npos)
      << stored;
  EXPECT_NE(stored.find("Subject: =?UTF-8?B?R3LDvMOfZSBhdXMgS8O2bG4=?="), std::string::npos) << stored;
  EXPECT_NE(stored.find("<p>Gr\xc3\xbc\xc3\x9f" "e <b>aus</b> K\xc3\xb6ln</p>"), std::string::npos) << stored;
  EXPECT_NE(stored.find("filename=\"report.bin\""), std::string::npos) << stored;
  EXPECT_NE(stored.find("AAFhdHRhY2htZW50IGJ5dGVz"), std::string::npos) << stored;
  EXPECT_NE(stored.find("Bcc: hidden@example.org"), std::string::npos) << stored;

  // The next run keeps what the last one caught, and adds to it.
  Launcher again(tree.program(), temp_.path());
  const int port = again.WaitForHome();
  ASSERT_GT(port, 0) << again.Output();
  EXPECT_EQ(Messages(tree), names);
  EXPECT_EQ(Body(HttpGet(port, "/send.php?raw=1")), "sent");

  // The mail page lists them, newest first, and opens one with its parts.
  const std::string list = HttpGet(port, "/lodestack/mail/");
  EXPECT_TRUE(Answers200(list)) << list;
  EXPECT_NE(list.find("2 messages"), std::string::npos) << list;
  EXPECT_NE(list.find("Gr\xc3\xbc\xc3\x9f" "e aus K\xc3\xb6ln"), std::string::npos) << list;
  EXPECT_NE(list.find("Gr\xc3\xbc\xc3\x9f" "e unencoded"), std::string::npos) << list;
  const std::string home = HttpGet(port, "/");
  EXPECT_NE(home.find("<a href=\"/lodestack/mail/\">Mail</a>: 2 messages"), std::string::npos) << home;
  const std::string name = Messages(tree).back();
  EXPECT_LT(list.find(name), list.find(names[0])) << list;
  const std::string open = HttpGet(port, "/lodestack/mail/?m=" + name);
  EXPECT_NE(open.find("<iframe sandbox"), std::string::npos) << open;
  EXPECT_NE(open.find(">report.bin</a>"), std::string::npos) << open;
  const std::string html = HttpGet(port, "/lodestack/mail/?m=" + name + "&html=1");
  EXPECT_NE(html.find("Content-Security-Policy: default-src 'none';"), std::string::npos) << html;
  EXPECT_NE(html.find("sandbox\r\n"), std::string::npos) << html;
  const std::string attachment = HttpGet(port, "/lodestack/mail/?m=" + name + "&part=1");
  EXPECT_NE(attachment.find("filename=\"report.bin\""), std::string::npos) << attachment;
  EXPECT_EQ(Body(attachment), std::string("\0\1attachment bytes", 18));
  // Nothing outside the mailbox, and nothing for a foreign name.
  EXPECT_EQ(Body(HttpGet(port, "/lodestack/mail/?m=../../www/send.php&part=0")).find("mail("), std::string::npos);
  EXPECT_EQ(Body(HttpGetNamed("127.0.0.1", port, "/lodestack/mail/", "rebind.example")).find("Mailbox"),
            std::string::npos);
  EXPECT_EQ(again.Stop(SIGTERM), 0);
  names = Messages(tree);
  EXPECT_EQ(names.size(), 2u);
  EXPECT_FALSE(THi::DirectoryExists(tree.root() + "/data/mail"));
}

TEST_F(StackMailTest, MailIsDeliveredFromAnyFolderName) {
  int port = 19610;
  for (const std::string name : {"a;b #c", "o'brien", "a b;c"}) {
    SCOPED_TRACE(name);
    Tree tree(temp_, name, {.withDatabase = false, .config = ConfigWith(std::to_string(port++))});
    WriteMailPage(tree);
    TerminalRun run(tree.root());
    const int served = run.WaitForHome();
    ASSERT_GT(served, 0) << run.Output();
    EXPECT_EQ(Body(HttpGet(served, "/send.php")), "sent");
    run.Type("\x03");
    EXPECT_EQ(run.WaitForExit(), 0) << run.Output();
    EXPECT_EQ(Messages(tree).size(), 1u);
  }
}

TEST_F(StackMailTest, AnInlineImageOfAMessageShowsInItsHtmlPart) {
  Tree tree(temp_, "inline", {.withDatabase = false, .config = ConfigWith("20130")});
  test::WriteFile(tree.root() + "/www/inline.php", R"php(<?php
$png = 'iVBORw0KGgoAAAANSUhEUgAAAAIAAAACCAIAAAD91JpzAAAAEElEQVR4nGP4z8AARAwQCgAf7gP9i18U1AAAAABJRU5ErkJggg==';
$body = "--rel\r\nContent-Type: text/html; charset=UTF-8\r\n\r\n<p>Logo: <img src=\"cid:logo@site.example\"></p>\r\n"
  . "--rel\r\nContent-Type: image/png\r\nContent-ID: <logo@site.example>\r\nContent-Transfer-Encoding: base64\r\n\r\n"
  . chunk_split($png) . "--rel--\r\n";
echo mail('jane@example.org', 'With a logo', $body, "From: site@example.org\r\nMIME-Version: 1.0\r\n"
  . "Content-Type: multipart/related; boundary=\"rel\"") ? 'sent' : 'failed';
)php");
  Launcher launcher(tree.program(), temp_.path());
  const int port = launcher.WaitForHome();
  ASSERT_GT(port, 0) << launcher.Output();
  ASSERT_EQ(Body(HttpGet(port, "/inline.php")), "sent");
  const std::vector<std::string> names = Messages(tree);
  ASSERT_EQ(names.size(), 1u);
  const std::string page = "/lodestack/mail/?m=" + names[0];
  // The HTML part carries its picture, which the part's own rules allow.
  const std::string html = HttpGet(port, page + "&html=1");
  EXPECT_NE(html.find("<img src=\"data:image/png;base64,iVBORw0KGgoAAAANSUhEUgAAAAIAAAACCAIAAAD91JpzAAAAEElEQVR4"
                      "nGP4z8AARAwQCgAf7gP9i18U1AAAAABJRU5ErkJggg==\">"),
            std::string::npos) << html;
  EXPECT_NE(html.find("img-src 'self' data:"), std::string::npos) << html;
  // And the page serves it as a picture too, under its Content-ID.
  const std::string image = HttpGet(port, page + "&cid=logo%40site.example");
  EXPECT_NE(image.find("Content-Type: image/png\r\n"), std::string::npos) << image;
  EXPECT_EQ(Body(image).substr(0, 8), "\x89PNG\r\n\x1a\n");
  EXPECT_EQ(Body(image).size(), 73u);
  // An image named by no part of this message is not found.
  EXPECT_NE(HttpGet(port, page + "&cid=other%40site.example").find(" 404 "), std::string::npos);
  EXPECT_EQ(launcher.Stop(SIGTERM), 0);
}

TEST_F(StackMailTest, WithoutTheMailProgramThePagesSaySoAndMailFailsKeepingTheOldMail) {
  Tree tree(temp_, "no mail program", {.withDatabase = false, .config = ConfigWith("20131")});
  WriteMailPage(tree);
  // What Down Size's IMAP row takes away; the mail already kept stays.
  fs::remove(tree.root() + "/bin/Apache/sendmail");
  fs::create_directories(tree.root() + "/mail");
  const std::string kept = "20260101-120000-000-1-0.eml";
  test::WriteFile(tree.root() + "/mail/" + kept, "From: a@example.org\nTo: b@example.org\nSubject: Kept\n\nOld\n");
  Launcher launcher(tree.program(), temp_.path());
  const int port = launcher.WaitForHome();
  ASSERT_GT(port, 0) << launcher.Output();
  EXPECT_EQ(Body(HttpGet(port, "/send.php")), "failed");
  EXPECT_EQ(Messages(tree), std::vector<std::string>{kept});
  const std::string list = HttpGet(port, "/lodestack/mail/");
  EXPECT_NE(list.find("No mail program is installed: PHP's mail() cannot send."), std::string::npos) << list;
  EXPECT_NE(list.find("1 message in"), std::string::npos) << list;
  EXPECT_NE(list.find(">Kept<"), std::string::npos) << list;
  const std::string home = HttpGet(port, "/");
  EXPECT_NE(home.find("1 message that PHP sent; no mail program is installed, so PHP's mail() cannot send"),
            std::string::npos) << home;
  EXPECT_EQ(launcher.Stop(SIGTERM), 0);
}

// As from a CD or any read-only medium: the program folder cannot be written.
TEST_F(StackMailTest, AReadOnlyProgramFolderKeepsTheMailInTheWorkFolderForTheRun) {
  if (!test::RunningAsRoot()) SKIP_FOR_MISSING_TOOL("only root can mount the tree read-only");
  Tree tree(temp_, "read only", {.withDatabase = false, .config = ConfigWith("20132")});
  WriteMailPage(tree);
  const std::string root = tree.root();
  // The tree mounted read-only in a mount namespace of its own; the shell
  // then becomes the program, which Ctrl+C reaches as it would at a terminal.
  TerminalRun run(root, {"/usr/bin/unshare", "--mount", "/bin/sh", "-c",
                         "mount --bind \"$0\" \"$0\" && mount -o remount,bind,ro \"$0\" && exec ./lodestack", root});
  const int port = run.WaitForHome();
  ASSERT_GT(port, 0) << run.Output();
  EXPECT_EQ(Body(HttpGet(port, "/send.php")), "sent");
  const std::string mailbox = tree.WorkDir() + "/mail";
  EXPECT_EQ(THi::ListFiles(mailbox).size(), 1u);
  EXPECT_FALSE(fs::exists(root + "/mail"));
  const std::string list = HttpGet(port, "/lodestack/mail/");
  EXPECT_NE(list.find("1 message in " + mailbox), std::string::npos) << list;
  EXPECT_NE(list.find("Gr\xc3\xbc\xc3\x9f" "e aus K\xc3\xb6ln"), std::string::npos) << list;
  EXPECT_NE(HttpGet(port, "/").find("<a href=\"/lodestack/mail/\">Mail</a>: 1 message"), std::string::npos);
  run.Type("\x03");
  EXPECT_EQ(run.WaitForExit(), 0) << run.Output();
  EXPECT_FALSE(fs::exists(mailbox));
}

}  // namespace
}  // namespace stack_test
