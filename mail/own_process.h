// What the mail program needs of its own process on each platform.
#pragma once

#include <string>
#include <vector>

namespace mail {

int OwnProcessId();
// Standard input as bytes: no line ends translated, no byte that ends it early.
void UseBinaryStandardInput();
// The program's arguments after its name, in UTF-8.
std::vector<std::string> OwnArguments(int argc, char** argv);

}  // namespace mail
