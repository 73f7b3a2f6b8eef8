// A stack of its own for each test: the folder tree tools/make-stack built
// (named by LODESTACK_STACK_TREE), copied where a test changes it and linked
// where it only reads, started as the launcher and watched from outside.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace stack_test {

// The shared tree; empty when the tests have none.
std::string SharedTree();

// A Config.ini serving on `port` and `ip`, without a window of its own.
std::string ConfigWith(const std::string& port, const std::string& ip = "127.0.0.1");
// Whether a response is a plain 200.
bool Answers200(const std::string& response);

struct TreeOptions {
  bool withDatabase = true;
  std::string config;  // a Config.ini to store in the program file; empty keeps the default
};

// A launcher run: the process and what it printed.
class Launcher {
 public:
  Launcher(const std::string& program, const std::string& folder);
  ~Launcher();  // ends a launcher that still runs, and its servers
  Launcher(const Launcher&) = delete;
  Launcher& operator=(const Launcher&) = delete;

  pid_t pid() const { return pid_; }
  // Waits for "running at http://127.0.0.1:<port>"; the port, or 0.
  int WaitForHome();
  std::string Output() const;  // standard output and error so far
  // Sends the signal and waits for the launcher to end; its exit code, or -1.
  int Stop(int signal);
  // Waits for the launcher to end by itself; its exit code, or -1 after the limit.
  int WaitForExit(std::chrono::seconds limit);
  bool Running() const;

 private:
  pid_t pid_ = -1;
  std::string log_;
};

// The program started as a user starts it: `./lodestack` in its folder (or
// the command line `argv`, from that folder), in a terminal of its own (a
// pseudo-terminal), without the relaunch marker.
class TerminalRun {
 public:
  explicit TerminalRun(const std::string& folder, std::vector<std::string> argv = {"./lodestack"});
  ~TerminalRun();
  TerminalRun(const TerminalRun&) = delete;
  TerminalRun& operator=(const TerminalRun&) = delete;

  pid_t pid() const { return pid_; }
  // Waits for "running at http://127.0.0.1:<port>"; the port, or 0.
  int WaitForHome();
  std::string Output() const { return output_; }
  // Waits until the output holds `text`; false after the limit.
  bool WaitForOutput(const std::string& text, std::chrono::seconds limit);
  // Types a character as the user would (Ctrl+C is "\x03").
  void Type(const std::string& keys);
  // Closes the terminal, as closing its window does.
  void Close();
  // Waits for the program to end; its exit code (128 plus the signal that
  // ended it, as a shell tells), or -1 after the limit.
  int WaitForExit(std::chrono::seconds limit = std::chrono::seconds(60));

 private:
  void ReadAvailable(int timeoutMs);
  pid_t pid_ = -1;
  int master_ = -1;
  std::string output_;
};

// What one command of the tree's program said in its terminal, and its exit code.
struct TCommandResult {
  int status;
  std::string output;
};

class Tree;
// The tree's program with `args`, in a terminal of its own started in
// `folder`; `keys` are typed once it runs.
TCommandResult RunInTerminal(const Tree& tree, const std::string& folder, std::vector<std::string> args,
                             const std::string& keys = "", std::chrono::seconds limit = std::chrono::seconds(300));

class Tree {
 public:
  Tree(const test::TempFolder& temp, const std::string& name, const TreeOptions& options = {});
  const std::string& root() const { return root_; }
  std::string program() const { return root_ + "/lodestack"; }
  // The run's work folder: named after the program file's path.
  std::string WorkDir() const;

 private:
  std::string root_;
};

// The launcher does not wait for the database server: the start page tells
// when it answers. The page, once it says so (or the last one after a minute).
std::string PageOnceTheDatabaseAnswers(int port);

// No process of the tree's own programs (the launcher and its guard, the
// web server, the database server) runs.
bool NothingOfTheTreeRuns(const Tree& tree);

// Every process below pid (children, grandchildren, ...), now.
std::vector<pid_t> Descendants(pid_t pid);
bool Alive(pid_t pid);

// One HTTP GET on 127.0.0.1; the whole response, or empty.
std::string HttpGet(int port, const std::string& path);
// One HTTP GET on an IPv4 address; the whole response, or empty.
std::string HttpGetAt(const std::string& address, int port, const std::string& path);
// The same, naming the server as `host` ("" sends no Host at all).
std::string HttpGetNamed(const std::string& address, int port, const std::string& path,
                         const std::string& host);

// A second host on the network: a network namespace of its own, joined to
// this machine by a pair of virtual Ethernet devices on addresses of their
// own. Only root can make one.
class OtherHost {
 public:
  OtherHost();
  ~OtherHost();  // the namespace goes, and the pair with it
  OtherHost(const OtherHost&) = delete;
  OtherHost& operator=(const OtherHost&) = delete;

  // Why the host could not be made; empty when it was.
  const std::string& whyNot() const { return whyNot_; }
  // This machine's address as the other host reaches it.
  const std::string& ourAddress() const { return ourAddress_; }
  // One HTTP GET from the other host, naming this machine by its address
  // or as `host`; the whole response, or empty.
  std::string HttpGet(int port, const std::string& path, const std::string& host = {}) const;

 private:
  std::string name_;
  std::string ourAddress_;
  std::string whyNot_;
};

}  // namespace stack_test
