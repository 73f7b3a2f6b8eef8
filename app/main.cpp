// The program file's start: one routine for every role and both platforms.
#include "app/program_roles.h"
#include "forms/desktop.h"
#include "launcher/entry.h"
#include "launcher/process_start.h"
#include "launcher/start_hook.h"

int main() {
  ProcessStart();
  ChainStartHook([](RunView& view) { BringForwardWhenStartedElsewhere(view); });
  ProgramRoles roles(CreateDesktop());
  RunEntry(ProgramArguments(), StartupShowCommand(), roles);
  ProcessEnd();
  return 0;
}
