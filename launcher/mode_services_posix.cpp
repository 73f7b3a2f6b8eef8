#include <cstdio>

#include "launcher/mode_services.h"
#include "util/hi.h"

// Started directly with the marker, as the relaunch would have done.
void ReopenProgram(const std::string& programFile) {
  THi::RunProgram(programFile, "", "", kRelaunchMarker);
}

void ShowErrorMessage(const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); }
