// The branded copy of the running stack: the program file with the chosen
// splash, icon and Brand.ini built into it, the AutoRun file, and copies of
// bin, data and www, in an output folder that then opens in the desktop.
// Each failure raises EHiError with a text for the user and ends the build;
// the running stack's own files are never changed.
#pragma once

#include <string>

class TfrmBrand;

// The copy's program file and AutoRun file on this platform.
extern const char* const kBrandProgramName;  // "runme" / "runme.exe"
extern const char* const kAutoRunName;       // "autorun.sh" / "autorun.inf"

// "<documents>/$Output$", created when missing.
std::string DefaultBrandOutputDir();
// The built-in default icon (RES_CD) written to "<work folder>/CD.ico"; returns that path.
std::string ExtractDefaultBrandIcon();

// Builds the copy from the dialog's values and the Brand.ini file.
void BuildBrandedCopy(const TfrmBrand& form, const std::string& brandIni);
