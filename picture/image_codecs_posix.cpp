// JPEG through libjpeg-turbo, PNG through libpng's simplified reader.
#include "picture/image_codecs.h"

// jpeglib.h needs size_t and FILE declared before it.
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <vector>

#include <jpeglib.h>
// After jpeglib.h: the message codes.
#include <jerror.h>
#include <png.h>

namespace {

// More scans than any encoder writes: a progressive file made of endless
// tiny scans would otherwise keep the decoder busy for minutes.
constexpr int kMaxJpegScans = 500;

// libjpeg reports a fatal error by calling error_exit, which must not
// return; the default ends the process. Ours jumps back to the decoder.
struct JpegErrors {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

[[noreturn]] void JumpOut(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<JpegErrors*>(cinfo->err)->jump, 1);
}

// Warnings are never printed. Data that ends early is a truncated or
// damaged file: it is refused rather than shown with grey filled in.
void OnJpegMessage(j_common_ptr cinfo, int level) {
  const int code = cinfo->err->msg_code;
  if (level < 0 && (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER)) JumpOut(cinfo);
}

void IgnoreJpegOutput(j_common_ptr) {}

void LimitJpegScans(j_common_ptr cinfo) {
  const auto* decompress = reinterpret_cast<j_decompress_ptr>(cinfo);
  if (cinfo->is_decompressor && decompress->input_scan_number > kMaxJpegScans) JumpOut(cinfo);
}

// One pixel of inverted (Adobe) or plain CMYK as RGBA.
void CmykToRgba(const JSAMPLE* in, bool inverted, std::uint8_t* out) {
  for (int c = 0; c < 3; ++c) {
    const unsigned ink = inverted ? in[c] : 255u - in[c];
    const unsigned black = inverted ? in[3] : 255u - in[3];
    out[c] = static_cast<std::uint8_t>((ink * black + 127) / 255);
  }
  out[3] = 255;
}

// Decodes into `picture` (and uses `row` for CMYK). Every object with a
// destructor lives in the caller, so the jump back from an error leaves
// nothing half-destroyed.
bool DecodeJpegInto(const std::string& bytes, TPicture& picture, std::vector<JSAMPLE>& row) {
  jpeg_decompress_struct cinfo;
  JpegErrors errors;
  jpeg_progress_mgr progress;
  cinfo.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = JumpOut;
  errors.manager.emit_message = OnJpegMessage;
  errors.manager.output_message = IgnoreJpegOutput;
  progress.progress_monitor = LimitJpegScans;
  if (setjmp(errors.jump) != 0) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  cinfo.progress = &progress;
  jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.data()),
               static_cast<unsigned long>(bytes.size()));
  if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK ||
      !PictureSizeAllowed(cinfo.image_width, cinfo.image_height)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_RGBA;
  jpeg_start_decompress(&cinfo);
  picture = AllocatePicture(cinfo.output_width, cinfo.output_height);
  if (picture.Empty()) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  row.resize(static_cast<std::size_t>(cinfo.output_width) * 4);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPLE* out = picture.rgba.data() + static_cast<std::size_t>(cinfo.output_scanline) *
                                             cinfo.output_width * 4;
    JSAMPROW target = cmyk ? row.data() : out;
    if (jpeg_read_scanlines(&cinfo, &target, 1) != 1) break;
    if (!cmyk) continue;
    for (JDIMENSION x = 0; x < cinfo.output_width; ++x) {
      CmykToRgba(row.data() + x * 4, cinfo.saw_Adobe_marker, out + x * 4);
    }
  }
  const bool complete = cinfo.output_scanline == cinfo.output_height;
  // The rest of the file (markers after the last scan) is not needed.
  jpeg_destroy_decompress(&cinfo);
  return complete;
}

}  // namespace

TPicture DecodeJpeg(const std::string& bytes) {
  TPicture picture;
  std::vector<JSAMPLE> row;
  if (!DecodeJpegInto(bytes, picture, row)) return {};
  return picture;
}

TPicture DecodePng(const std::string& bytes) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return {};
  image.format = PNG_FORMAT_RGBA;
  // 16-bit files without gamma information are taken as sRGB, as most
  // viewers (and the Windows build) show them, not as linear light.
  image.flags |= PNG_IMAGE_FLAG_16BIT_sRGB;
  TPicture picture = AllocatePicture(image.width, image.height);
  // The reader frees its state when it finishes, either way.
  if (picture.Empty() ||
      !png_image_finish_read(&image, nullptr, picture.rgba.data(), 0, nullptr)) {
    png_image_free(&image);
    return {};
  }
  return picture;
}
