// What each word of the stack's command line runs, with which settings: the
// rules alone. The processes are started by command_run_*.cpp.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace commands {

using TArgs = std::vector<std::string>;
using TPairs = std::vector<std::pair<std::string, std::string>>;

// What the command found out about the stack and the user's environment.
struct TStack {
  std::string appPath;      // the program folder, with its trailing separator
  std::string programFile;
  // The running stack's work folder; empty while the stack is stopped.
  std::string workDir;
  // The folder the command may write its own files into (php.ini while the
  // stack is stopped, the shell's wrappers), removed when it ends.
  std::string privateDir;
  // The running stack's client option file; empty when its database does not run.
  std::string clientOptions;
  std::string shell;        // $SHELL
  std::string path;         // $PATH
  std::string comSpec;      // %ComSpec%
  std::function<bool(const std::string&)> fileExists;
};

struct TPlan {
  TArgs argv;            // argv[0] is the program; empty when nothing runs
  TPairs env;            // set before it runs (an empty value too)
  TPairs files;          // name and text, written into privateDir first
  bool executable = false;  // the files are programs
  std::string output;    // said on standard output
  std::string message;   // said on standard error before anything runs
  int status = 0;        // the exit status when nothing runs
};

// The folder the command's php.ini is in: the running stack's own, or the
// private folder, where the caller writes one first.
std::string IniFolder(const TStack& stack);
// True for the words whose program reads php.ini.
bool NeedsPhpIni(const std::string& word);
// Where Composer keeps its home, and its cache below it.
std::string ComposerHome(const TStack& stack);

// args[0] is the program file, args[1] the word (php, mysql, mysqldump,
// composer, shell or help).
TPlan PlanCommand(const TArgs& args, const TStack& stack);
// The Windows shell: cmd.exe with the tree's PHP and database folders first
// on the PATH and PHPRC set.
TPlan PlanWindowsShell(const TStack& stack);
// The program and arguments that open a terminal running this program file's
// shell: $TERMINAL, else the desktop's x-terminal-emulator.
TArgs TerminalCommand(const std::string& terminal, const std::string& programFile);

}  // namespace commands
