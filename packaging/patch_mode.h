// The patch modes "/config", "/icon" and "/splash": wait until the target
// program file can be written, then write one resource into it.
#pragma once

#include <functional>
#include <string>

// Returns the failure's text, or empty when the resource was written (or
// the mode word names no patch). `pumpMessages` runs between tests of the target.
std::string RunPatchMode(const std::string& modeWord, const std::string& target,
                         const std::string& source, const std::function<void()>& pumpMessages);
