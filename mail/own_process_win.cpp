#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>
#include <stdio.h>

#include "mail/own_process.h"
#include "util/wide.h"

namespace mail {

int OwnProcessId() { return static_cast<int>(GetCurrentProcessId()); }

void UseBinaryStandardInput() { _setmode(_fileno(stdin), _O_BINARY); }

// The narrow arguments are in the ANSI code page, which cannot hold every
// folder name: the wide command line can.
std::vector<std::string> OwnArguments(int, char**) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> args;
  for (int i = 1; wide && i < count; ++i) args.push_back(wide::ToUtf8(wide[i]));
  if (wide) LocalFree(wide);
  return args;
}

}  // namespace mail
