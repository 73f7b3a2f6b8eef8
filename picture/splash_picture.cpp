#include "picture/splash_picture.h"

#include <utility>

#include "picture/bitmap_decode.h"
#include "picture/image_codecs.h"

bool PictureSizeAllowed(std::int64_t width, std::int64_t height) {
  return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
         width * height <= kMaxPicturePixels;
}

TPicture AllocatePicture(std::int64_t width, std::int64_t height) {
  TPicture picture;
  if (!PictureSizeAllowed(width, height)) return picture;
  picture.width = static_cast<int>(width);
  picture.height = static_cast<int>(height);
  picture.rgba.assign(static_cast<std::size_t>(width * height * 4), 0);
  return picture;
}

TPictureForms DetectPictureForms(const std::string& bytes) {
  std::string head = bytes.substr(0, 10);
  for (char& c : head) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  TPictureForms forms;
  forms.bitmap = head.find("BM") != std::string::npos;
  forms.jpeg = head.find("JFIF") != std::string::npos;
  forms.png = head.find("PNG") != std::string::npos;
  return forms;
}

TPicture DecodeSplashPicture(const std::string& bytes) {
  const TPictureForms forms = DetectPictureForms(bytes);
  TPicture picture;
  // Each named form is tried; a later success replaces an earlier one.
  const auto tryForm = [&picture](TPicture decoded) {
    if (!decoded.Empty()) picture = std::move(decoded);
  };
  if (forms.bitmap) tryForm(DecodeBitmap(bytes));
  if (forms.jpeg) tryForm(DecodeJpeg(bytes));
  if (forms.png) tryForm(DecodePng(bytes));
  return picture;
}

TSplashPlace CentredOn(int screenWidth, int screenHeight, const TPicture& picture) {
  // Integer division truncates toward zero, also for a picture wider than the screen.
  return TSplashPlace{(screenWidth - picture.width) / 2, (screenHeight - picture.height) / 2};
}
