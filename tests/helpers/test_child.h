// The shared part of test_child and the platform services it reports from.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

// args: the arguments after the program path, as UTF-8.
int RunChild(const std::vector<std::string>& args, const std::string& rawCommandLine);

// Per platform (test_child_posix.cpp / test_child_win.cpp).
std::optional<std::string> ChildEnv(const char* name);
// The show state the program was started with.
std::string ChildShowState();
// Further lines only one platform can tell.
void ChildPlatformReport(std::ostream& out);
