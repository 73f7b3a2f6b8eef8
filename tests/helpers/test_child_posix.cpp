// test_child on Linux: the arguments are argv as received; the show state
// travels in LODESTACK_SHOWCMD.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "helpers/test_child.h"

std::optional<std::string> ChildEnv(const char* name) {
  const char* value = std::getenv(name);
  if (!value) return std::nullopt;
  return std::string(value);
}

std::string ChildShowState() {
  const char* value = std::getenv("LODESTACK_SHOWCMD");
  return value ? value : "";
}

// A hidden program's standard output is /dev/null.
void ChildPlatformReport(std::ostream& out) {
  struct stat output {};
  struct stat devNull {};
  const bool isDevNull = fstat(STDOUT_FILENO, &output) == 0 && stat("/dev/null", &devNull) == 0 &&
                         output.st_dev == devNull.st_dev && output.st_ino == devNull.st_ino;
  out << "stdout=" << (isDevNull ? "devnull" : "other") << "\n";
}

int main(int argc, char** argv) {
  return RunChild(std::vector<std::string>(argv + 1, argv + argc), std::string());
}
