// The program file's start: one routine for every role and both platforms.
#include "app/program_roles.h"
#include "forms/desktop.h"
#include "launcher/entry.h"
#include "launcher/process_start.h"

int main() {
  ProcessStart();
  ProgramRoles roles(CreateDesktop());
  RunEntry(ProgramArguments(), StartupShowCommand(), roles);
  ProcessEnd();
  return 0;
}
