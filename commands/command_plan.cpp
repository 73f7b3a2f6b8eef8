#include "commands/command_plan.h"

namespace commands {

namespace {

struct TProgram {
  const char* word;
  const char* relative;   // below the program folder
  const char* component;  // what the user would miss, as Down Size names it
};

constexpr char kPhp[] = "bin/php/php";
constexpr char kComposer[] = "bin/composer/bin/composer";

constexpr TProgram kPrograms[] = {
    {"php", kPhp, "PHP's command-line program"},
    {"composer", kComposer, "Composer"},
    {"mysql", "bin/mysql/bin/mariadb", "MySQL"},
    {"mysqldump", "bin/mysql/bin/mariadb-dump", "MySQL"},
};

const TProgram* FindProgram(const std::string& word) {
  for (const TProgram& p : kPrograms)
    if (word == p.word) return &p;
  return nullptr;
}

// The word's program, or a plan that says which component is missing.
bool Present(const TStack& stack, const char* relative, const char* component, TPlan& plan) {
  if (stack.fileExists(stack.appPath + relative)) return true;
  plan.message = std::string("lodestack: ") + component + " is not in this copy of the stack (" + relative +
                 " is missing; Down Size may have removed it).";
  plan.status = 127;
  return false;
}

TPairs PhpEnvironment(const TStack& stack) {
  // Debian's own PHP would also read the machine's conf.d folder.
  return {{"PHPRC", IniFolder(stack)}, {"PHP_INI_SCAN_DIR", ""}};
}

std::string ShQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// A script that runs this program file with the word and the arguments it got.
std::string Wrapper(const std::string& programFile, const std::string& word) {
  return "#!/bin/sh\nexec " + ShQuoted(programFile) + " " + word + " \"$@\"\n";
}

bool IsBash(const std::string& shell) {
  return shell == "bash" || (shell.size() > 5 && shell.ends_with("/bash"));
}

TPlan PlanShell(const TStack& stack) {
  TPlan plan;
  plan.argv = {stack.shell.empty() ? "/bin/sh" : stack.shell};
  plan.env = PhpEnvironment(stack);
  plan.env.emplace_back("PATH", stack.privateDir + (stack.path.empty() ? "" : ":" + stack.path));
  plan.env.emplace_back("LODESTACK_SHELL", stack.appPath);
  for (const char* word : {"php", "mysql", "mysqldump", "composer"})
    plan.files.emplace_back(word, Wrapper(stack.programFile, word));
  // The user's own start-up file may put other folders first: bash reads it
  // through ours, which puts the wrappers back in front and marks the prompt.
  if (IsBash(plan.argv[0])) {
    plan.files.emplace_back("bashrc", "[ -f ~/.bashrc ] && . ~/.bashrc\nPATH=" + ShQuoted(stack.privateDir) +
                                          ":\"$PATH\"\nPS1=\"(lodestack) $PS1\"\n");
    plan.argv.insert(plan.argv.end(), {"--rcfile", stack.privateDir + "/bashrc"});
  }
  plan.executable = true;
  plan.message = "Lodestack shell of " + stack.appPath +
                 ": php, mysql, mysqldump and composer are the stack's own; \"exit\" leaves it.";
  if (stack.clientOptions.empty()) plan.message += "\nThe stack's database is not running.";
  return plan;
}

}  // namespace

std::string IniFolder(const TStack& stack) {
  return stack.workDir.empty() ? stack.privateDir : stack.workDir;
}

bool NeedsPhpIni(const std::string& word) { return word == "php" || word == "composer" || word == "shell"; }

// In the running stack's work folder it goes with the stack; a stopped
// stack's command keeps it in its private folder. Neither is the user's home.
std::string ComposerHome(const TStack& stack) { return IniFolder(stack) + "/composer"; }

TPlan PlanCommand(const TArgs& args, const TStack& stack) {
  TPlan plan;
  const std::string word = args.size() > 1 ? args[1] : "";
  const TArgs rest(args.begin() + std::min<std::size_t>(args.size(), 2), args.end());
  if (word == "help") {
    plan.output =
        "Commands of " + stack.programFile +
        ", with the stack's own settings:\n"
        "  php ARGS...        the stack's PHP\n"
        "  mysql ARGS...      the database client, connected to the stack's database as root\n"
        "  mysqldump ARGS...  the dump program, likewise\n"
        "  composer ARGS...   Composer, run by the stack's PHP\n"
        "  shell              a shell with these four first on the PATH\n"
        "  backup [FILE]      a backup of every database, into backups/ unless FILE is given\n"
        "  restore FILE --yes the databases of a backup put back, each one whole\n"
        "Without arguments it starts the stack.\n";
    return plan;
  }
  if (word == "shell") return PlanShell(stack);
  const TProgram* program = FindProgram(word);
  if (!program) {
    plan.status = 2;
    return plan;
  }
  if (!Present(stack, program->relative, program->component, plan)) return plan;
  if (word == "mysql" || word == "mysqldump") {
    if (stack.clientOptions.empty()) {
      plan.message = "lodestack: the stack's database is not running.";
      plan.status = 1;
      return plan;
    }
    plan.argv = {stack.appPath + program->relative, "--defaults-file=" + stack.clientOptions};
  } else if (word == "composer") {
    if (!Present(stack, kPhp, "PHP's command-line program", plan)) return plan;
    plan.argv = {stack.appPath + kPhp, stack.appPath + kComposer};
    plan.env = PhpEnvironment(stack);
    plan.env.emplace_back("COMPOSER_HOME", ComposerHome(stack));
    plan.env.emplace_back("COMPOSER_CACHE_DIR", ComposerHome(stack) + "/cache");
  } else {
    plan.argv = {stack.appPath + kPhp};
    plan.env = PhpEnvironment(stack);
  }
  plan.argv.insert(plan.argv.end(), rest.begin(), rest.end());
  return plan;
}

TPlan PlanWindowsShell(const TStack& stack) {
  TPlan plan;
  plan.argv = {stack.comSpec.empty() ? "cmd.exe" : stack.comSpec};
  const std::string php = stack.appPath + "bin\\php";
  plan.env = {{"PATH", php + ";" + stack.appPath + "bin\\mysql\\bin" + (stack.path.empty() ? "" : ";" + stack.path)},
              // The running stack's php.ini; else the tree's template beside php.exe.
              {"PHPRC", stack.workDir.empty() ? php : stack.workDir}};
  return plan;
}

TArgs TerminalCommand(const std::string& terminal, const std::string& programFile) {
  return {terminal.empty() ? "x-terminal-emulator" : terminal, "-e", programFile, "shell"};
}

}  // namespace commands
