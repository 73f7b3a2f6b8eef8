// JPEG and PNG decoding through the platform's codecs: libjpeg-turbo and
// libpng on Linux, the Windows Imaging Component on Windows. Damaged,
// truncated or foreign bytes, and pictures beyond the size limits of
// splash_picture.h, give an empty picture; nothing ends the process.
#pragma once

#include <string>

#include "picture/splash_picture.h"

TPicture DecodeJpeg(const std::string& bytes);
TPicture DecodePng(const std::string& bytes);
