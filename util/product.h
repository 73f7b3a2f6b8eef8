// The product's own texts: its version (the build's project version), the
// copyright year and the maker's name, web site and contact address (build
// settings).
#pragma once

namespace product {
extern const char* const kFileVersion;    // "7.80"
extern const char* const kCopyrightYear;  // "2010"
extern const char* const kMakerName;
extern const char* const kMakerWebsite;
extern const char* const kContactMail;
}  // namespace product
