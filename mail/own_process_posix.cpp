#include <unistd.h>

#include "mail/own_process.h"

namespace mail {

int OwnProcessId() { return static_cast<int>(getpid()); }

void UseBinaryStandardInput() {}

std::vector<std::string> OwnArguments(int argc, char** argv) { return {argv + (argc > 0 ? 1 : 0), argv + argc}; }

}  // namespace mail
