// The splash picture's decoders (bitmap, JPEG through libjpeg, PNG through
// libpng) on any bytes: a picture comes back whole, of an allowed size, or
// not at all; nothing else may happen to the process.
#include "fuzz/fuzz_input.h"
#include "picture/splash_picture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const TPicture picture = DecodeSplashPicture(fuzz::AsText(data, size));
  if (picture.Empty()) return 0;
  FUZZ_CHECK(PictureSizeAllowed(picture.width, picture.height));
  FUZZ_CHECK(picture.rgba.size() == std::size_t(picture.width) * std::size_t(picture.height) * 4);
  return 0;
}
