// The program file's start: one routine for every role and both platforms.
#include "launcher/entry.h"
#include "launcher/process_start.h"
#include "launcher/program_roles.h"
#include "shell/views.h"

int main() {
  ProcessStart();
  ProgramRoles roles(CreateDesktop());
  RunEntry(ProgramArguments(), StartupShowCommand(), roles);
  ProcessEnd();
  return 0;
}
