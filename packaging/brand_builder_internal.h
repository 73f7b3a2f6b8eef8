// What the branded-copy builder needs from the platform beside the names.
#pragma once

#include <string>

namespace brand_internal {

// Lets the written AutoRun file be run where the platform runs it; true when done.
bool MakeAutoRunRunnable(const std::string& file);

}  // namespace brand_internal
