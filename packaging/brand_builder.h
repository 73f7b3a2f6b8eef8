// The branded copy of the running stack: the program file with the chosen
// splash, icon and Brand.ini built into it, the AutoRun file, and copies of
// bin, data and www, in an output folder that then opens in the desktop.
// Each failure raises EHiError with a text for the user and ends the build;
// the running stack's own files are never changed. The copy is made fresh
// in a folder of its own beside the output folder (inside it when nothing
// beside can be renamed into it) and moved into place once it is complete,
// so a failed build leaves the output as it was. An earlier copy there is
// replaced whole, entry by entry, and only when the user agrees; the
// folder's other files stay.
#pragma once

#include <functional>
#include <string>

#include "util/server_stop.h"

// What the copy is made of, as the Rebrand dialog chose it. An entry that
// names no existing file or folder takes its default: the program's own
// splash and icon, the stack's www, every folder of its data, the
// "$Output$" folder in the documents.
struct TBrandedCopy {
  std::string splashFile;
  std::string iconFile;
  std::string srcDir;     // the site, whose contents become the copy's www
  std::string dataDir;    // a database folder, copied beside data/mysql
  std::string outputDir;
  std::string brandIni;   // becomes the copy's stored configuration
  // Stop the stack's database server cleanly while its data is copied, and
  // start it again afterwards (unset: nothing to stop). A server that had
  // to be ended may have left its data half written: no copy is made then.
  std::function<TServerStop()> stopDatabase;
  std::function<void()> restartDatabase;
  // Asks whether the earlier copy in the output folder may be replaced;
  // true when the user agrees (unset: it stays, and nothing is built).
  std::function<bool(const std::string& question)> confirmReplace;
};

// The copy's program file and AutoRun file on this platform.
extern const char* const kBrandProgramName;  // "runme" / "runme.exe"
extern const char* const kAutoRunName;       // "autorun.sh" / "autorun.inf"

// "<documents>/$Output$", created when missing.
std::string DefaultBrandOutputDir();
// The built-in default icon (RES_CD) written to "<work folder>/CD.ico"; returns that path.
std::string ExtractDefaultBrandIcon();

void BuildBrandedCopy(const TBrandedCopy& copy);
