// The program file's start: one routine for every role and both platforms.
#include "launcher/entry.h"
#include "launcher/process_start.h"
#include "launcher/program_roles.h"

int main() {
  ProcessStart();
  ProgramRoles roles;
  RunEntry(ProgramArguments(), StartupShowCommand(), roles);
  ProcessEnd();
  return 0;
}
