// Command lines as Windows programs see them. Both builds build and split
// them the same way, so a command line means the same thing everywhere.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

// `"program" params`: every double quote removed from the program path, one
// pair placed around it, one blank, then the parameters unchanged (so an
// empty parameter text leaves a trailing blank). Windows starts programs
// with this line, where a path cannot hold a double quote; Linux passes the
// program path untouched and the parameters split (SplitParameters).
std::string BuildCommandLine(const std::string& program, const std::string& params);

// Splits a command line by the rules of the Microsoft C runtime: argument 0
// ends at the next double quote (when it starts with one) or blank; later
// arguments honour double quotes, backslashes before quotes and "" inside
// quotes.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// The arguments of a parameter text, split as SplitCommandLine splits those
// after argument 0.
std::vector<std::string> SplitParameters(const std::string& params);

// One argument quoted so that SplitCommandLine gives it back unchanged.
std::string QuoteArgument(const std::string& arg);
// Each argument quoted, separated by single blanks.
std::string QuoteArguments(std::initializer_list<std::string> args);
