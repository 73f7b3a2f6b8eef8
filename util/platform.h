// Small platform facts the shared code formats paths and text with.
#pragma once

namespace platform {
extern const char kPathDelim;     // '\\' on Windows, '/' elsewhere
extern const char* const kEol;    // line end of new text files
}  // namespace platform
