// Windows bitmap files decoded by our own code, the same on every platform:
// the 12-byte core header, the 40-byte info header and the larger V4 and V5
// headers; rows bottom-up or top-down; 1, 4 and 8 bits with a palette, 16
// bits (5-5-5 or bit fields), 24 bits, 32 bits (8-8-8 or bit fields). Pixels
// come out opaque, as the system draws a bitmap. Compressed bitmaps (RLE,
// embedded JPEG or PNG), and sizes or offsets that do not fit the bytes,
// give an empty picture.
#pragma once

#include <string>

#include "picture/splash_picture.h"

TPicture DecodeBitmap(const std::string& bytes);
