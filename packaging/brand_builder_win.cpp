#include "packaging/brand_builder.h"
#include "packaging/brand_builder_internal.h"

const char* const kBrandProgramName = "runme.exe";
const char* const kAutoRunName = "autorun.inf";

namespace brand_internal {

// autorun.inf is read by the system, not run.
bool MakeAutoRunRunnable(const std::string&) { return true; }

}  // namespace brand_internal
