#include "util/product.h"

namespace product {
const char* const kFileVersion = LODESTACK_VERSION;
const char* const kCopyrightYear = "2010";
const char* const kMakerName = LODESTACK_MAKER_NAME;
const char* const kMakerWebsite = LODESTACK_MAKER_WEBSITE;
const char* const kContactMail = LODESTACK_CONTACT_MAIL;
}  // namespace product
