// The branded copy of the running stack: the program file with the chosen
// splash, icon and Brand.ini built into it, the AutoRun file, and copies of
// bin, data and www, in an output folder that then opens in the desktop.
// Each failure raises EHiError with a text for the user and ends the build;
// the running stack's own files are never changed. The copy is made in a
// folder of its own inside the output folder and moved into place once it
// is complete, so a failed build leaves the output as it was.
#pragma once

#include <functional>
#include <string>

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
  // start it again afterwards (unset: nothing to stop).
  std::function<bool()> stopDatabase;
  std::function<void()> restartDatabase;
};

// The copy's program file and AutoRun file on this platform.
extern const char* const kBrandProgramName;  // "runme" / "runme.exe"
extern const char* const kAutoRunName;       // "autorun.sh" / "autorun.inf"

// "<documents>/$Output$", created when missing.
std::string DefaultBrandOutputDir();
// The built-in default icon (RES_CD) written to "<work folder>/CD.ico"; returns that path.
std::string ExtractDefaultBrandIcon();

void BuildBrandedCopy(const TBrandedCopy& copy);
