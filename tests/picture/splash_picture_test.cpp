// The splash picture: which decoder the first ten bytes choose, Windows
// bitmaps of every depth and row order decoded pixel by pixel, the
// platform's JPEG and PNG codecs on committed files, the centred place, and
// damaged or hostile bytes, which give an empty picture.
#include <gtest/gtest.h>

#include <random>

#include "picture/bitmap_decode.h"
#include "picture/image_codecs.h"
#include "picture/picture_builder.h"
#include "picture/splash_picture.h"

namespace {

using test::BitmapSpec;
using test::MakeBitmap;
using test::PixelAt;

constexpr std::uint32_t kRed = 0xFF0000FF;
constexpr std::uint32_t kGreen = 0x00FF00FF;
constexpr std::uint32_t kBlue = 0x0000FFFF;
constexpr std::uint32_t kBlack = 0x000000FF;
constexpr std::uint32_t kWhite = 0xFFFFFFFF;

// Every pixel of the picture, row by row, as 0xRRGGBBAA.
std::vector<std::vector<std::uint32_t>> Pixels(const TPicture& picture) {
  std::vector<std::vector<std::uint32_t>> rows(static_cast<std::size_t>(picture.height));
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) rows[y].push_back(PixelAt(picture, x, y));
  }
  return rows;
}

bool HasForms(const std::string& bytes, bool bitmap, bool jpeg, bool png) {
  const TPictureForms forms = DetectPictureForms(bytes);
  return forms.bitmap == bitmap && forms.jpeg == jpeg && forms.png == png;
}

// An APP1 segment as an Exif-only JPEG begins.
const std::string kExifSegment("\xFF\xE1\x00\x08" "Exif\0\0", 10);

// The JPEG fixture without its JFIF segment (FF E0, length 16), optionally
// with another segment in its place.
std::string JpegWithoutJfif(const std::string& insteadOfJfif = "") {
  std::string jpeg = test::TestPicture("jfif_red_blue.jpg");
  EXPECT_EQ(jpeg.substr(6, 4), "JFIF");
  return jpeg.substr(0, 2) + insteadOfJfif + jpeg.substr(2 + 18);
}

// ---- which decoder the first ten bytes choose ----

TEST(SplashPictureDetection, MarkersAnywhereInTheFirstTenBytes) {
  EXPECT_TRUE(HasForms("BM", true, false, false));
  EXPECT_TRUE(HasForms("12345678BM", true, false, false));
  EXPECT_TRUE(HasForms(std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00", 11), false, true, false));
  EXPECT_TRUE(HasForms("\x89PNG\r\n\x1A\n", false, false, true));
  EXPECT_TRUE(HasForms("1234567PNG", false, false, true));
  EXPECT_TRUE(HasForms("", false, false, false));
  EXPECT_TRUE(HasForms("GIF89a", false, false, false));
}

TEST(SplashPictureDetection, MarkersFromTheEleventhByteOnAreNotSeen) {
  EXPECT_TRUE(HasForms("123456789BM", false, false, false));
  EXPECT_TRUE(HasForms("1234567JFIF", false, false, false));
  EXPECT_TRUE(HasForms("12345678PNG", false, false, false));
  // A JPEG without the JFIF segment (an Exif-only file, say) is not taken.
  EXPECT_TRUE(HasForms(JpegWithoutJfif(kExifSegment), false, false, false));
}

TEST(SplashPictureDetection, LowerCaseLettersCountAsUpperCase) {
  EXPECT_TRUE(HasForms("bm", true, false, false));
  EXPECT_TRUE(HasForms("xxJfIf", false, true, false));
  EXPECT_TRUE(HasForms("png", false, false, true));
}

TEST(SplashPictureDetection, SeveralMarkersAreAllSeen) {
  EXPECT_TRUE(HasForms("BMjfifPNG", true, true, true));
  EXPECT_TRUE(HasForms("PNGbm", true, false, true));
}

// ---- the detection rule applied ----

TEST(SplashPicture, EachFormIsDecodedWhenItsMarkerIsThere) {
  const TPicture bitmap = DecodeSplashPicture(test::MakePlainBitmap(3, 2, 0x00FF00));
  EXPECT_EQ(bitmap.width, 3);
  EXPECT_EQ(PixelAt(bitmap, 2, 1), kGreen);
  EXPECT_EQ(DecodeSplashPicture(test::TestPicture("jfif_red_blue.jpg")).width, 32);
  EXPECT_EQ(DecodeSplashPicture(test::TestPicture("rgba.png")).width, 4);
}

TEST(SplashPicture, AJpegWithoutItsJfifMarkerIsNotShown) {
  for (const std::string& jpeg : {JpegWithoutJfif(), JpegWithoutJfif(kExifSegment)}) {
    // The decoder reads it; the rule does not hand it over.
    EXPECT_EQ(DecodeJpeg(jpeg).width, 32);
    EXPECT_TRUE(DecodeSplashPicture(jpeg).Empty());
  }
}

TEST(SplashPicture, AJfifMarkerInLowerCaseIsStillAJpeg) {
  std::string jpeg = test::TestPicture("jfif_red_blue.jpg");
  jpeg.replace(6, 4, "jfif");
  const TPicture picture = DecodeSplashPicture(jpeg);
  EXPECT_EQ(picture.width, 32);
  EXPECT_EQ(picture.height, 16);
}

TEST(SplashPicture, AFormThatFailsLeavesTheOneThatDecoded) {
  // The file header's reserved bytes are free: they name the other forms too.
  std::string bitmap = test::MakePlainBitmap(2, 2, 0x0000FF);
  bitmap.replace(6, 4, "JFIF");
  EXPECT_TRUE(DecodeSplashPicture(bitmap).width == 2);
  bitmap.replace(6, 4, "PNG!");
  const TPicture picture = DecodeSplashPicture(bitmap);
  ASSERT_EQ(picture.width, 2);
  EXPECT_EQ(PixelAt(picture, 0, 0), kBlue);
}

TEST(SplashPicture, AMarkerOutOfPlaceGivesNothing) {
  // "BM" named, but not where a bitmap file starts.
  EXPECT_TRUE(DecodeSplashPicture("x" + test::MakePlainBitmap(2, 2, 0)).Empty());
  EXPECT_TRUE(DecodeSplashPicture("GIF89a\x01\0\x01\0").Empty());
  EXPECT_TRUE(DecodeSplashPicture("").Empty());
}

TEST(SplashPicture, CentredOnTheScreenRoundingTowardZero) {
  TPicture picture;
  picture.width = 292;
  picture.height = 73;
  TSplashPlace place = CentredOn(1280, 800, picture);
  EXPECT_EQ(place.left, 494);
  EXPECT_EQ(place.top, 363);
  place = CentredOn(1281, 801, picture);
  EXPECT_EQ(place.left, 494);
  EXPECT_EQ(place.top, 364);
  // Larger than the screen: negative, and -1.5 becomes -1, -0.5 becomes 0.
  picture.width = 1283;
  picture.height = 801;
  place = CentredOn(1280, 800, picture);
  EXPECT_EQ(place.left, -1);
  EXPECT_EQ(place.top, 0);
}

// ---- Windows bitmaps ----

TEST(BitmapDecode, TwentyFourBitsBottomUpWithPaddedRows) {
  BitmapSpec spec;
  spec.width = 3;  // 9 bytes a row, padded to 12
  spec.height = 2;
  spec.rows = {{0xFF0000, 0x00FF00, 0x0000FF}, {0x123456, 0xFFFFFF, 0x000000}};
  const TPicture picture = DecodeBitmap(MakeBitmap(spec));
  ASSERT_EQ(picture.width, 3);
  ASSERT_EQ(picture.height, 2);
  EXPECT_EQ(Pixels(picture), (std::vector<std::vector<std::uint32_t>>{
                                 {kRed, kGreen, kBlue}, {0x123456FF, kWhite, kBlack}}));
}

TEST(BitmapDecode, TopDownRowsWhenTheHeightIsNegative) {
  BitmapSpec spec;
  spec.width = 2;
  spec.height = -3;
  spec.rows = {{0xFF0000, 0xFF0000}, {0x00FF00, 0x00FF00}, {0x0000FF, 0x0000FF}};
  const TPicture picture = DecodeBitmap(MakeBitmap(spec));
  ASSERT_EQ(picture.height, 3);
  EXPECT_EQ(PixelAt(picture, 1, 0), kRed);
  EXPECT_EQ(PixelAt(picture, 1, 1), kGreen);
  EXPECT_EQ(PixelAt(picture, 1, 2), kBlue);
}

TEST(BitmapDecode, ThirtyTwoBitsIgnoreTheFourthByte) {
  BitmapSpec spec;
  spec.bits = 32;
  spec.width = 2;
  spec.height = 1;
  spec.rows = {{0x00FF8000, 0x7F0000FF}};
  const TPicture picture = DecodeBitmap(MakeBitmap(spec));
  ASSERT_FALSE(picture.Empty());
  EXPECT_EQ(PixelAt(picture, 0, 0), 0xFF8000FFu);
  EXPECT_EQ(PixelAt(picture, 1, 0), kBlue);
}

TEST(BitmapDecode, SixteenBitsFiveFiveFive) {
  BitmapSpec spec;
  spec.bits = 16;
  spec.width = 4;
  spec.height = 1;
  spec.rows = {{0x7C00, 0x03E0, 0x001F, 0x4210}};  // red, green, blue, 16/31 grey
  const TPicture picture = DecodeBitmap(MakeBitmap(spec));
  ASSERT_FALSE(picture.Empty());
  EXPECT_EQ(PixelAt(picture, 0, 0), kRed);
  EXPECT_EQ(PixelAt(picture, 1, 0), kGreen);
  EXPECT_EQ(PixelAt(picture, 2, 0), kBlue);
  EXPECT_EQ(PixelAt(picture, 3, 0), 0x848484FFu);  // 16 * 255 / 31 = 131.6
}

TEST(BitmapDecode, SixteenBitsWithFiveSixFiveBitFieldsAfterTheHeader) {
  BitmapSpec spec;
  spec.bits = 16;
  spec.compression = 3;
  spec.masks = {0xF800, 0x07E0, 0x001F};
  spec.width = 3;
  spec.height = 1;
  spec.rows = {{0xF800, 0x0400, 0x001F}};
  const TPicture picture = DecodeBitmap(MakeBitmap(spec));
  ASSERT_FALSE(picture.Empty());
  EXPECT_EQ(PixelAt(picture, 0, 0), kRed);
  EXPECT_EQ(PixelAt(picture, 1, 0), 0x008200FFu);  // 32 * 255 / 63 = 129.5
  EXPECT_EQ(PixelAt(picture, 2, 0), kBlue);
}

TEST(BitmapDecode, BitFieldsInsideTheVersionFourAndFiveHeaders) {
  for (std::uint32_t headerSize : {108u, 124u}) {
    BitmapSpec spec;
    spec.headerSize = headerSize;
    spec.bits = 32;
    spec.compression = 3;
    spec.masks = {0x0000FF00, 0x00FF0000, 0xFF000000};  // an unusual order
    spec.width = 2;
    spec.height = -1;
    spec.rows = {{0x00000100 * 0xFF, 0x12345600}};
    const TPicture picture = DecodeBitmap(MakeBitmap(spec));
    ASSERT_FALSE(picture.Empty()) << headerSize;
    EXPECT_EQ(PixelAt(picture, 0, 0), kRed) << headerSize;
    EXPECT_EQ(PixelAt(picture, 1, 0), 0x563412FFu) << headerSize;
  }
}

TEST(BitmapDecode, TwentyFourBitsWithAVersionFiveHeader) {
  BitmapSpec spec;
  spec.headerSize = 124;
  spec.width = 1;
  spec.height = 2;
  spec.rows = {{0xABCDEF}, {0x010203}};
  const TPicture picture = DecodeBitmap(MakeBitmap(spec));
  ASSERT_EQ(picture.height, 2);
  EXPECT_EQ(PixelAt(picture, 0, 0), 0xABCDEFFFu);
  EXPECT_EQ(PixelAt(picture, 0, 1), 0x010203FFu);
}

TEST(BitmapDecode, EightBitsWithAShortPaletteDrawBlackPastItsEnd) {
  BitmapSpec spec;
  spec.bits = 8;
  spec.palette = {0xFF0000, 0x00FF00, 0x0000FF};
  spec.width = 5;
  spec.height = 1;
  spec.rows = {{2, 1, 0, 3, 255}};
  const TPicture picture = DecodeBitmap(MakeBitmap(spec));
  ASSERT_FALSE(picture.Empty());
  EXPECT_EQ(Pixels(picture)[0], (std::vector<std::uint32_t>{kBlue, kGreen, kRed, kBlack, kBlack}));
}

TEST(BitmapDecode, FourBitsWithAnOddWidth) {
  BitmapSpec spec;
  spec.bits = 4;
  spec.palette.assign(16, 0);
  spec.palette[1] = 0xFF0000;
  spec.palette[15] = 0xFFFFFF;
  spec.width = 3;
  spec.height = 2;
  spec.rows = {{1, 15, 1}, {15, 0, 15}};
  const TPicture picture = DecodeBitmap(MakeBitmap(spec));
  ASSERT_FALSE(picture.Empty());
  EXPECT_EQ(Pixels(picture), (std::vector<std::vector<std::uint32_t>>{{kRed, kWhite, kRed},
                                                                      {kWhite, kBlack, kWhite}}));
}

TEST(BitmapDecode, OneBitAcrossByteBoundaries) {
  BitmapSpec spec;
  spec.bits = 1;
  spec.palette = {0x000000, 0xFFFFFF};
  spec.width = 10;
  spec.height = 1;
  spec.rows = {{1, 0, 0, 0, 0, 0, 0, 1, 1, 0}};
  const TPicture picture = DecodeBitmap(MakeBitmap(spec));
  ASSERT_FALSE(picture.Empty());
  EXPECT_EQ(Pixels(picture)[0], (std::vector<std::uint32_t>{kWhite, kBlack, kBlack, kBlack, kBlack,
                                                            kBlack, kBlack, kWhite, kWhite, kBlack}));
}

TEST(BitmapDecode, CoreHeaderWithThreeBytePaletteEntries) {
  BitmapSpec spec;
  spec.headerSize = 12;
  spec.bits = 8;
  spec.palette.assign(256, 0x000000);
  spec.palette[7] = 0x00FF00;
  spec.width = 2;
  spec.height = 2;
  spec.rows = {{7, 0}, {0, 7}};
  const TPicture picture = DecodeBitmap(MakeBitmap(spec));
  ASSERT_FALSE(picture.Empty());
  EXPECT_EQ(Pixels(picture), (std::vector<std::vector<std::uint32_t>>{{kGreen, kBlack},
                                                                      {kBlack, kGreen}}));
}

TEST(BitmapDecode, PixelsStartWhereTheFileHeaderSays) {
  BitmapSpec spec;
  spec.bits = 8;
  spec.palette = {0x0000FF, 0xFF0000};
  spec.gapBeforePixels = 10;
  spec.width = 2;
  spec.height = 1;
  spec.rows = {{1, 0}};
  const TPicture picture = DecodeBitmap(MakeBitmap(spec));
  ASSERT_FALSE(picture.Empty());
  EXPECT_EQ(Pixels(picture)[0], (std::vector<std::uint32_t>{kRed, kBlue}));
}

TEST(BitmapDecode, TheLastRowMayLackItsPadding) {
  const std::string bitmap = test::MakePlainBitmap(1, 2, 0x0000FF);  // 3 bytes a row, 4 stored
  EXPECT_FALSE(DecodeBitmap(bitmap.substr(0, bitmap.size() - 1)).Empty());
  EXPECT_TRUE(DecodeBitmap(bitmap.substr(0, bitmap.size() - 2)).Empty());
}

TEST(BitmapDecode, CompressedBitmapsAreRefused) {
  for (std::uint32_t compression : {1u, 2u, 4u, 5u, 99u}) {
    BitmapSpec spec;
    spec.bits = compression == 2 ? 4 : 8;
    spec.palette.assign(4, 0xFFFFFF);
    spec.compression = compression;
    spec.width = 4;
    spec.height = 1;
    spec.rows = {{0, 1, 2, 3}};
    EXPECT_TRUE(DecodeBitmap(MakeBitmap(spec)).Empty()) << compression;
  }
}

TEST(BitmapDecode, UnknownDepthsAndHeadersAreRefused) {
  std::string bitmap = test::MakePlainBitmap(4, 4, 0x808080);
  for (std::uint32_t bits : {0u, 2u, 7u, 48u, 64u}) {
    std::string changed = bitmap;
    test::PutLe16At(changed, test::kBiBitCount, bits);
    EXPECT_TRUE(DecodeBitmap(changed).Empty()) << bits;
  }
  for (std::uint32_t headerSize : {0u, 11u, 13u, 39u, 0xFFFFFFFFu}) {
    std::string changed = bitmap;
    test::PutLe32At(changed, test::kBiSize, headerSize);
    EXPECT_TRUE(DecodeBitmap(changed).Empty()) << headerSize;
  }
  // Bit fields go with 16 and 32 bits only.
  test::PutLe32At(bitmap, test::kBiCompression, 3);
  EXPECT_TRUE(DecodeBitmap(bitmap).Empty());
}

// ---- damaged and hostile bitmaps ----

TEST(BitmapDecode, EveryTruncationGivesNothing) {
  const std::string bitmap = test::MakePlainBitmap(4, 3, 0x336699);  // rows without padding
  for (std::size_t size = 0; size < bitmap.size(); ++size) {
    EXPECT_TRUE(DecodeBitmap(bitmap.substr(0, size)).Empty()) << size;
  }
  EXPECT_FALSE(DecodeBitmap(bitmap).Empty());
}

TEST(BitmapDecode, SizesThatOverflowOrAreAbsurdGiveNothing) {
  const std::string bitmap = test::MakePlainBitmap(2, 2, 0);
  const std::vector<std::pair<std::uint32_t, std::uint32_t>> sizes = {
      {0x7FFFFFFF, 0x7FFFFFFF}, {0x10000, 0x10000},  {0x80000000, 1}, {1, 0x80000000},
      {0xFFFFFFFF, 0xFFFFFFFF}, {0, 2},               {2, 0},          {16385, 1},
      {1, 16385},               {16384, 16384},       {0x40000001, 4}};
  for (const auto& [width, height] : sizes) {
    std::string changed = bitmap;
    test::PutLe32At(changed, test::kBiWidth, width);
    test::PutLe32At(changed, test::kBiHeight, height);
    EXPECT_TRUE(DecodeBitmap(changed).Empty()) << width << " x " << height;
  }
}

TEST(BitmapDecode, TheLargestAllowedSideStillDecodes) {
  const TPicture picture = DecodeBitmap(test::MakePlainBitmap(kMaxPictureSide, 1, 0x00FF00));
  ASSERT_EQ(picture.width, kMaxPictureSide);
  EXPECT_EQ(PixelAt(picture, kMaxPictureSide - 1, 0), kGreen);
}

TEST(BitmapDecode, OffsetsPastTheEndGiveNothing) {
  const std::string bitmap = test::MakePlainBitmap(2, 2, 0);
  for (std::uint32_t offset : {static_cast<std::uint32_t>(bitmap.size()),
                               static_cast<std::uint32_t>(bitmap.size()) - 1, 0x7FFFFFFFu,
                               0xFFFFFFFFu}) {
    std::string changed = bitmap;
    test::PutLe32At(changed, test::kBfOffBits, offset);
    EXPECT_TRUE(DecodeBitmap(changed).Empty()) << offset;
  }
}

TEST(BitmapDecode, APaletteLongerThanTheFileGivesNothing) {
  BitmapSpec spec;
  spec.bits = 8;
  spec.palette = {0xFFFFFF};
  spec.width = 1;
  spec.height = 1;
  spec.rows = {{0}};
  std::string bitmap = MakeBitmap(spec);
  test::PutLe32At(bitmap, test::kBfOffBits, 0);  // the palette then ends where the pixels begin
  test::PutLe32At(bitmap, test::kBiClrUsed, 256);
  EXPECT_TRUE(DecodeBitmap(bitmap).Empty());
  // A count beyond what the depth allows is cut to it, and still must fit.
  test::PutLe32At(bitmap, test::kBiClrUsed, 0xFFFFFFFF);
  EXPECT_TRUE(DecodeBitmap(bitmap).Empty());
}

TEST(BitmapDecode, RandomBytesAfterTheMarkerGiveNothing) {
  std::mt19937 random(20240611);
  for (int round = 0; round < 3000; ++round) {
    std::string bytes(1 + random() % 200, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    bytes.replace(0, std::min<std::size_t>(2, bytes.size()), "BM");
    EXPECT_TRUE(DecodeSplashPicture(bytes).Empty()) << round;
  }
}

TEST(BitmapDecode, DamagedBitmapsDecodeWithinTheirBoundsOrNotAtAll) {
  BitmapSpec spec;
  spec.bits = 4;
  spec.palette = {0xFF0000, 0x00FF00, 0x0000FF};
  spec.width = 5;
  spec.height = 3;
  spec.rows.assign(3, {0, 1, 2, 1, 0});
  const std::string bitmap = MakeBitmap(spec);
  std::mt19937 random(99);
  for (int round = 0; round < 3000; ++round) {
    std::string bytes = bitmap;
    for (int flips = 1 + random() % 4; flips > 0; --flips) {
      bytes[2 + random() % (bytes.size() - 2)] = static_cast<char>(random());
    }
    const TPicture picture = DecodeSplashPicture(bytes);
    if (picture.Empty()) continue;
    EXPECT_TRUE(PictureSizeAllowed(picture.width, picture.height));
    EXPECT_EQ(picture.rgba.size(), static_cast<std::size_t>(picture.width) * picture.height * 4);
  }
}

// ---- JPEG and PNG through the platform's codecs ----

TEST(ImageCodecs, JfifJpegBaselineAndProgressive) {
  for (const char* name : {"jfif_red_blue.jpg", "jfif_red_blue_progressive.jpg"}) {
    const TPicture picture = DecodeJpeg(test::TestPicture(name));
    ASSERT_EQ(picture.width, 32) << name;
    ASSERT_EQ(picture.height, 16) << name;
    ASSERT_EQ(picture.rgba.size(), 32u * 16 * 4);
    EXPECT_TRUE(test::Near(PixelAt(picture, 4, 8), kRed, 40)) << std::hex << PixelAt(picture, 4, 8);
    EXPECT_TRUE(test::Near(PixelAt(picture, 27, 3), kBlue, 40)) << std::hex << PixelAt(picture, 27, 3);
  }
}

TEST(ImageCodecs, GreyJpegComesOutAsGreyRgb) {
  const TPicture picture = DecodeJpeg(test::TestPicture("jfif_grey.jpg"));
  ASSERT_EQ(picture.width, 16);
  ASSERT_EQ(picture.height, 8);
  EXPECT_TRUE(test::Near(PixelAt(picture, 15, 7), 0x808080FF, 3)) << std::hex << PixelAt(picture, 15, 7);
}

TEST(ImageCodecs, PngWithTransparency) {
  const TPicture picture = DecodePng(test::TestPicture("rgba.png"));
  ASSERT_EQ(picture.width, 4);
  ASSERT_EQ(picture.height, 2);
  EXPECT_EQ(Pixels(picture)[0], (std::vector<std::uint32_t>{kRed, kGreen, kBlue, 0xFFFFFF80}));
  EXPECT_EQ(PixelAt(picture, 0, 1), kBlack);
  EXPECT_EQ(PixelAt(picture, 1, 1) & 0xFF, 0u);  // transparent
  EXPECT_EQ(PixelAt(picture, 2, 1), 0xFFFF00FFu);
  EXPECT_EQ(PixelAt(picture, 3, 1), 0x808080FFu);
}

TEST(ImageCodecs, PalettePngAndSixteenBitPng) {
  for (const char* name : {"palette.png", "rgb16.png"}) {
    const TPicture picture = DecodePng(test::TestPicture(name));
    ASSERT_EQ(picture.width, 4) << name;
    ASSERT_EQ(picture.height, 2) << name;
    EXPECT_EQ(Pixels(picture), (std::vector<std::vector<std::uint32_t>>{
                                   {kRed, kGreen, kBlue, kWhite},
                                   {kBlack, kBlack, 0xFFFF00FF, 0x808080FF}}))
        << name;
  }
}

TEST(ImageCodecs, EachDecoderRefusesTheOtherForms) {
  const std::string jpeg = test::TestPicture("jfif_red_blue.jpg");
  const std::string png = test::TestPicture("rgba.png");
  const std::string bitmap = test::MakePlainBitmap(2, 2, 0);
  EXPECT_TRUE(DecodeJpeg(png).Empty());
  EXPECT_TRUE(DecodeJpeg(bitmap).Empty());
  EXPECT_TRUE(DecodePng(jpeg).Empty());
  EXPECT_TRUE(DecodePng(bitmap).Empty());
  EXPECT_TRUE(DecodeBitmap(jpeg).Empty());
  EXPECT_TRUE(DecodeBitmap(png).Empty());
  EXPECT_TRUE(DecodeJpeg("").Empty());
  EXPECT_TRUE(DecodePng("").Empty());
}

TEST(ImageCodecs, TruncatedPngGivesNothing) {
  const std::string png = test::TestPicture("rgba.png");
  // Every cut that loses image data; the last chunk (IEND, 12 bytes) holds none.
  for (std::size_t size = 0; size + 12 < png.size(); ++size) {
    EXPECT_TRUE(DecodePng(png.substr(0, size)).Empty()) << size;
    EXPECT_TRUE(DecodeSplashPicture(png.substr(0, size)).Empty()) << size;
  }
}

TEST(ImageCodecs, TruncatedJpegGivesNothing) {
  const std::string jpeg = test::TestPicture("jfif_red_blue.jpg");
  const std::string progressive = test::TestPicture("jfif_red_blue_progressive.jpg");
  for (std::size_t size : {std::size_t{0}, std::size_t{10}, std::size_t{100}, jpeg.size() / 2,
                           jpeg.size() - 40}) {
    EXPECT_TRUE(DecodeJpeg(jpeg.substr(0, size)).Empty()) << size;
    EXPECT_TRUE(DecodeSplashPicture(jpeg.substr(0, size)).Empty()) << size;
  }
  EXPECT_TRUE(DecodeJpeg(progressive.substr(0, progressive.size() / 2)).Empty());
}

TEST(ImageCodecs, DamagedPngGivesNothing) {
  std::string png = test::TestPicture("rgba.png");
  // A flipped bit in the image data breaks its checksum.
  png[png.size() - 12 - 8] ^= 0x10;
  EXPECT_TRUE(DecodePng(png).Empty());
}

TEST(ImageCodecs, GarbageAfterTheHeadersGivesNothing) {
  const std::string jpeg = test::TestPicture("jfif_red_blue.jpg");
  const std::string png = test::TestPicture("rgba.png");
  std::mt19937 random(7);
  for (int round = 0; round < 200; ++round) {
    std::string noise(1 + random() % 300, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    EXPECT_TRUE(DecodeSplashPicture(jpeg.substr(0, 20) + noise).Empty());
    EXPECT_TRUE(DecodeSplashPicture(png.substr(0, 16) + noise).Empty());
    EXPECT_TRUE(DecodeSplashPicture(png.substr(0, 8) + noise).Empty());
  }
}

// A PNG file whose header claims the given size, with one small image chunk.
std::string PngClaiming(std::uint32_t width, std::uint32_t height) {
  std::string png = test::TestPicture("rgba.png");
  test::PutBe32At(png, 16, width);
  test::PutBe32At(png, 20, height);
  test::PutBe32At(png, 29, test::PngCrc(png.substr(12, 17)));
  return png;
}

// The JPEG fixture whose frame header claims the given size.
std::string JpegClaiming(std::uint16_t width, std::uint16_t height) {
  std::string jpeg = test::TestPicture("jfif_red_blue.jpg");
  const std::size_t frame = jpeg.find("\xFF\xC0");
  EXPECT_NE(frame, std::string::npos);
  jpeg[frame + 5] = static_cast<char>(height >> 8);
  jpeg[frame + 6] = static_cast<char>(height & 0xFF);
  jpeg[frame + 7] = static_cast<char>(width >> 8);
  jpeg[frame + 8] = static_cast<char>(width & 0xFF);
  return jpeg;
}

TEST(ImageCodecs, AbsurdSizesAreRefusedBeforeDecoding) {
  EXPECT_EQ(DecodePng(PngClaiming(4, 2)).width, 4);  // the checksum is made right
  EXPECT_TRUE(DecodePng(PngClaiming(16385, 1)).Empty());
  EXPECT_TRUE(DecodePng(PngClaiming(1, 16385)).Empty());
  EXPECT_TRUE(DecodePng(PngClaiming(16384, 16384)).Empty());
  EXPECT_TRUE(DecodePng(PngClaiming(0x7FFFFFFF, 0x7FFFFFFF)).Empty());
  EXPECT_TRUE(DecodeJpeg(JpegClaiming(16385, 1)).Empty());
  EXPECT_TRUE(DecodeJpeg(JpegClaiming(16384, 16384)).Empty());
  EXPECT_TRUE(DecodeJpeg(JpegClaiming(65535, 65535)).Empty());
}

}  // namespace
