// The bundled libraries that nothing in the folder tree needs any more.
#pragma once

#include <string>
#include <vector>

// Deletes every ELF file of the library folder `libraryDir` (relative to the
// program folder `appPath`, which ends in a separator) that no other ELF
// file of the tree needs, directly or through another library. The others
// are the files of the program folder itself and everything below its
// `scanDir`. A library folder that is a link (another tree's) is left alone.
// Returns the names deleted, and those that could not be, each with why.
struct TLibraryPrune {
  std::vector<std::string> deleted;
  std::vector<std::string> stayed;  // "<path>: <reason>"
};
TLibraryPrune DeleteUnneededLibraries(const std::string& appPath, const std::string& scanDir,
                                                 const std::string& libraryDir);
