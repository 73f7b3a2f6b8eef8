// The oldest C library (glibc) the Linux folder tree runs on: the newest
// GLIBC_ symbol version its programs and libraries need, which
// tools/make-stack writes into the tree. The program compares it with the
// system's before it starts anything.
#pragma once

#include <string>

// Relative to the program folder.
inline constexpr char kLibcFloorFile[] = "bin/lib/glibc-floor";

// True when version `have` is older than `floor`, compared number by number
// ("2.35" < "2.36", "2.4" < "2.36", "2.36" == "2.36.0").
bool VersionBelow(const std::string& have, const std::string& floor);

// The one line that refuses to run `program` on C library `libcVersion`;
// empty when that is the floor or newer, or when `floorText` (the floor
// file's content) names no version.
std::string LibcFloorRefusal(const std::string& program, const std::string& libcVersion,
                             const std::string& floorText);
