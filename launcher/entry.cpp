#include "launcher/entry.h"

#include "util/hi.h"

void RunEntry(const TArgs& args, int showCommand, EntryRoles& roles) {
  const bool hasArguments = args.size() > 1;
  if (hasArguments) {
    // A process started with arguments never looks at the marker.
    DispatchMode(args, roles);
    roles.KillSelf();
    return;
  }
  if (showCommand == kRelaunchMarker) {
    roles.InitializeApplication();
    roles.RunInteractive();
    return;
  }
  roles.Relaunch();
  roles.ProcessMessages();
  roles.KillSelf();
}
