// The splash picture: its bytes recognised by their first ten bytes and
// decoded to RGBA, and where a window of its size sits centred on a screen.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A decoded picture: 4 bytes a pixel (red, green, blue, alpha), rows top-down.
struct TPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgba;
  bool Empty() const { return width <= 0 || height <= 0 || rgba.empty(); }
};

// Pictures beyond these are refused before anything is allocated for them:
// far larger than any screen, and a few bytes of a damaged or hostile file
// must not make the process ask for gigabytes.
inline constexpr int kMaxPictureSide = 16384;
inline constexpr std::int64_t kMaxPicturePixels = std::int64_t{1} << 25;  // 128 MiB as RGBA
// True when a picture of that size may be decoded.
bool PictureSizeAllowed(std::int64_t width, std::int64_t height);
// An empty picture of that size (every pixel transparent black); Empty() when
// the size is not allowed.
TPicture AllocatePicture(std::int64_t width, std::int64_t height);

// The forms the first ten bytes name; more than one may be named.
struct TPictureForms {
  bool bitmap = false;  // "BM"
  bool jpeg = false;    // "JFIF"
  bool png = false;     // "PNG"
};
// Looks for the markers in the first ten bytes, letters a-z taken as upper case.
TPictureForms DetectPictureForms(const std::string& bytes);

// Decodes each named form in the order bitmap, JPEG, PNG; the last one that
// decodes is the picture. Empty when none is named or none decodes.
TPicture DecodeSplashPicture(const std::string& bytes);

// The top-left corner of a window of the picture's size centred on a screen
// (rounded toward zero; negative when the picture is larger than the screen).
struct TSplashPlace {
  int left = 0;
  int top = 0;
};
TSplashPlace CentredOn(int screenWidth, int screenHeight, const TPicture& picture);
