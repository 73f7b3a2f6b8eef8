// The command-line modes of the program file. The dispatcher reads an
// argument list (argument 0 is the program file) and calls at most one mode.
#pragma once

#include <string>
#include <vector>

using TArgs = std::vector<std::string>;

// What each mode does; the program file's own implementation and the tests' fakes.
class ModeHandlers {
 public:
  virtual ~ModeHandlers() = default;
  virtual void DownSize(const TArgs& flags) = 0;                  // the 16 flags
  virtual void Splash(const std::string& configIni) = 0;
  // The guard of a database server: the whole argument list.
  virtual void Guard(const TArgs& args) = 0;
  virtual void Setup(const TArgs& args) = 0;                      // the whole argument list
  virtual void Patch(const std::string& modeWord, const std::string& target,
                     const std::string& source) = 0;              // "/config", "/icon", "/splash"
  // The stack's command line (php, mysql, shell, ...): the whole argument list.
  virtual void Command(const TArgs& args) = 0;
  // Existence of a named file; the dispatcher tests nothing else.
  virtual bool FileExists(const std::string& path) = 0;
};

// Argument 1 in lower case; empty when there is none.
std::string ModeWord(const TArgs& args);

void DispatchMode(const TArgs& args, ModeHandlers& handlers);
