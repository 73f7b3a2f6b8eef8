// Writing resources into another program file: named data resources and the
// main icon. Both work through a ResourceEditor, so the same rules hold on
// every platform.
#pragma once

#include <string>

#include "util/resource_editor.h"

// Stores the bytes as the data resource `name` (language neutral); true when
// the update was committed. Reports nothing.
bool WriteDataResource(ResourceEditor& editor, const std::string& programFile,
                       const std::string& name, const std::string& bytes);

// Replaces the "MAINICON" group and its images from the icon file. Raises
// EHiError("Resource update error: ...") or EFileError on every failure;
// the program file is then unchanged.
void UpdateMainIcon(ResourceEditor& editor, const std::string& programFile,
                    const std::string& iconFile);
void UpdateMainIcon(const std::string& programFile, const std::string& iconFile);
