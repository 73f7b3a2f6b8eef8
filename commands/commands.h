// The stack's command line: the program file's words php, mysql, mysqldump,
// composer, shell and help (on Windows only shell), which run the tree's
// programs with the stack's own settings and none of the machine's.
#pragma once

#include <string>
#include <vector>

namespace commands {

bool IsCommandWord(const std::string& word);

// Runs the command of args[1] (args[0] is the program file) from the user's
// folder `startFolder`, with the standard streams, Ctrl+C and the exit
// status of the program passed through. Returns that status, or does not
// return when the program took this process's place.
int RunCommand(const std::vector<std::string>& args, const std::string& startFolder);

// The program and its arguments that open a window with the stack's shell:
// the desktop's terminal running it on Linux, the program file's own
// `shell`, which opens a console, on Windows.
std::vector<std::string> TerminalStart();

}  // namespace commands
