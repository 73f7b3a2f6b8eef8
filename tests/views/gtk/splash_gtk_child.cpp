// splash_gtk_child: a program file with the built-in resources whose only
// role is the GTK splash process: `splash_gtk_child splash "<Config.ini>"`,
// as the launcher starts its own program file for the splash.
#include <cstdio>

#include "launcher/process_start.h"
#include "views/gtk/splash_window.h"

int main() {
  ProcessStart();
  const TArgs args = ProgramArguments();
  if (args.size() != 3 || args[1] != "splash") {
    std::fprintf(stderr, "usage: splash_gtk_child splash <Config.ini>\n");
    return 2;
  }
  RunGtkSplash(args[2]);
  return 0;
}
