// The patch modes "/config", "/icon" and "/splash": wait until the target
// program file can be written, then write one resource into it and read it
// back.
#pragma once

#include <functional>
#include <string>

// Returns the failure's text, or empty when the resource was written (or
// the mode word names no patch, or the target or the source is missing).
// `pumpMessages` runs between tests of the target; a target that cannot be
// written within the limit (read-only medium, no permission, still running)
// is a failure.
std::string RunPatchMode(const std::string& modeWord, const std::string& target,
                         const std::string& source, const std::function<void()>& pumpMessages);

// True when the target holds what the mode stores from the source: the
// file's bytes as its configuration or splash, the icon file as its main icon.
bool PatchIsStored(const std::string& modeWord, const std::string& target, const std::string& source);
