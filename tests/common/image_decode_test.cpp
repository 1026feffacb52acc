// Picture decoding: every supported bitmap layout pixel for pixel, PNG and JPEG, and the
// refusal of damaged, truncated and oversized data.
#include "common/image_decode.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "common/vb_error.h"
#include "fuzz/sample_images.h"

namespace kavrin {
namespace {

using samples::BmpCompression;
using samples::BmpOptions;
using samples::Bytes;

// The error f raises (number and text), or number 0 when it returns normally.
template <typename F>
std::pair<int, std::string> ErrorOf(F f) {
  try {
    f();
  } catch (const RuntimeError& e) {
    return {e.Number(), e.what()};
  }
  return {0, ""};
}

DecodedImage Decode(const Bytes& b) { return DecodeImage(b.data(), b.size()); }

std::string Describe(const BmpOptions& o) {
  return std::to_string(o.bpp) + " bpp, header " + std::to_string(o.headerSize) + ", compression " +
         std::to_string(static_cast<int>(o.compression)) + (o.topDown ? ", top-down" : ", bottom-up");
}

void ExpectPattern(const BmpOptions& o) {
  SCOPED_TRACE(Describe(o));
  const DecodedImage img = Decode(samples::EncodeBmp(o));
  ASSERT_EQ(img.width, o.width);
  ASSERT_EQ(img.height, o.height);
  ASSERT_EQ(img.pixels.size(), static_cast<size_t>(o.width * o.height));
  for (int y = 0; y < o.height; ++y)
    for (int x = 0; x < o.width; ++x)
      ASSERT_EQ(img.pixels[y * o.width + x], samples::ExpectedBmpPixel(o, x, y)) << "at " << x << "," << y;
}

TEST(DecodeBmp, EveryDepthHeaderAndRowOrder) {
  for (int bpp : {1, 4, 8, 16, 24, 32})
    for (uint32_t header : {40u, 108u, 124u})
      for (bool topDown : {false, true}) {
        BmpOptions o;
        o.bpp = bpp;
        o.headerSize = header;
        o.topDown = topDown;
        o.width = bpp == 1 ? 19 : 5;  // odd widths exercise the row padding
        ExpectPattern(o);
      }
}

TEST(DecodeBmp, CoreHeaderWithThreeBytePalette) {
  for (int bpp : {1, 4, 8, 24}) {
    BmpOptions o;
    o.bpp = bpp;
    o.headerSize = 12;
    ExpectPattern(o);
  }
}

TEST(DecodeBmp, BitFieldsMasksAreHonoured) {
  for (int bpp : {16, 32})
    for (uint32_t header : {40u, 124u}) {
      BmpOptions o;
      o.bpp = bpp;
      o.headerSize = header;
      o.compression = BmpCompression::Bitfields;
      ExpectPattern(o);
    }
}

TEST(DecodeBmp, RunLengthEncoded) {
  for (auto c : {BmpCompression::Rle8, BmpCompression::Rle4})
    for (int w : {1, 6, 7}) {
      BmpOptions o;
      o.compression = c;
      o.bpp = c == BmpCompression::Rle8 ? 8 : 4;
      o.width = w;
      o.height = 4;
      ExpectPattern(o);
    }
}

// An 8-bit RLE bitmap with hand-written data in place of the sample's.
Bytes Rle8With(const Bytes& data, int w, int h) {
  BmpOptions o;
  o.bpp = 8;
  o.compression = BmpCompression::Rle8;
  o.width = w;
  o.height = h;
  Bytes f = samples::EncodeBmp(o);
  const size_t off = samples::EncodeBmp(o).size() - samples::RunLengthBits(o).size();
  f.resize(off);
  f.insert(f.end(), data.begin(), data.end());
  return f;
}

TEST(DecodeBmp, RunLengthEscapesDeltaAbsoluteAndSkippedPixels) {
  // Row 0 (bottom): absolute run of 3 (padded), delta (+1, +1); row 1 from x = 4: run of
  // 2 clipped at the width, then the end of bitmap leaves everything else black.
  const Bytes data = {0, 3, 1, 2, 3, 0, 0, 2, 1, 1, 2, 9, 0, 1};
  const DecodedImage img = Decode(Rle8With(data, 5, 3));
  ASSERT_EQ(img.width, 5);
  auto at = [&](int x, int rowFromBottom) { return img.pixels[(2 - rowFromBottom) * 5 + x]; };
  EXPECT_EQ(at(0, 0), samples::PaletteColor(1));
  EXPECT_EQ(at(1, 0), samples::PaletteColor(2));
  EXPECT_EQ(at(2, 0), samples::PaletteColor(3));
  EXPECT_EQ(at(3, 0), 0u);
  EXPECT_EQ(at(3, 1), 0u);
  EXPECT_EQ(at(4, 1), samples::PaletteColor(9));
  EXPECT_EQ(at(0, 2), 0u);
  // Runs far past the right edge and deltas past the top are clipped, not written.
  const DecodedImage clipped = Decode(Rle8With({255, 7, 255, 7, 0, 2, 255, 255, 0, 1}, 2, 2));
  EXPECT_EQ(clipped.pixels[2], samples::PaletteColor(7));
  EXPECT_EQ(clipped.pixels[0], 0u);
}

TEST(DecodeBmp, IndexBeyondTheStoredPaletteIsBlack) {
  BmpOptions o;
  o.bpp = 8;
  Bytes f = samples::EncodeBmp(o);
  samples::Put32(f, 46, 2);  // only two palette entries in use
  const DecodedImage img = Decode(f);
  EXPECT_EQ(img.pixels[0], samples::PaletteColor(0));
  EXPECT_EQ(img.pixels[1], samples::PaletteColor(1));
  EXPECT_EQ(img.pixels[2], 0u);
}

TEST(DecodePng, TrueColourAlphaAndInterlace) {
  for (bool interlaced : {false, true}) {
    const Bytes f = samples::EncodePng(9, 7, false, interlaced);
    const DecodedImage img = Decode(f);
    ASSERT_EQ(img.width, 9);
    ASSERT_EQ(img.height, 7);
    for (int y = 0; y < 7; ++y)
      for (int x = 0; x < 9; ++x) ASSERT_EQ(img.pixels[y * 9 + x], samples::PatternColor(x, y)) << x << "," << y;
  }
  // Alpha (x * 60) is blended onto white: x = 0 is white, x = 4 (alpha 240) nearly opaque.
  const DecodedImage img = Decode(samples::EncodePng(5, 2, true));
  EXPECT_EQ(img.pixels[0], 0x00FFFFFFu);
  const uint32_t c = samples::PatternColor(4, 1);
  const uint32_t red = ((c >> 16) * 240 + 255 * 15 + 127) / 255;
  EXPECT_EQ(img.pixels[5 + 4] >> 16, red);
}

TEST(DecodeJpeg, ColourGreyAndProgressive) {
  auto near = [](uint32_t a, uint32_t b) {
    for (int s = 0; s < 24; s += 8) {
      const int d = static_cast<int>((a >> s) & 0xFF) - static_cast<int>((b >> s) & 0xFF);
      if (d > 4 || d < -4) return false;
    }
    return true;
  };
  const DecodedImage colour = Decode(samples::EncodeJpeg(24, 17, 0x00C04020));
  ASSERT_EQ(colour.width, 24);
  ASSERT_EQ(colour.height, 17);
  for (uint32_t px : colour.pixels) ASSERT_TRUE(near(px, 0x00C04020)) << std::hex << px;
  const DecodedImage grey = Decode(samples::EncodeJpeg(8, 8, 0x80, true));
  for (uint32_t px : grey.pixels) ASSERT_TRUE(near(px, 0x00808080)) << std::hex << px;
  const DecodedImage prog = Decode(samples::EncodeJpeg(33, 20, 0x0010F0A0, false, true));
  ASSERT_EQ(prog.pixels.size(), 33u * 20u);
  for (uint32_t px : prog.pixels) ASSERT_TRUE(near(px, 0x0010F0A0)) << std::hex << px;
}

TEST(DecodeRefusal, JpegWithTooManyScans) {
  // 1 + 3 x 20 scans decode; 1 + 3 x 63 are more than a real encoder writes.
  const DecodedImage ok = Decode(samples::EncodeJpeg(16, 16, 0x00808080, false, false, 95, 20));
  EXPECT_EQ(ok.width, 16);
  const auto e = ErrorOf([] { Decode(samples::EncodeJpeg(16, 16, 0x00808080, false, false, 95, 63)); });
  EXPECT_EQ(e.first, err::kInvalidPicture);
  EXPECT_NE(e.second.find("too many scans"), std::string::npos) << e.second;
}

TEST(DecodeRefusal, EmptyAndUnknownData) {
  EXPECT_EQ(ErrorOf([] { DecodeImage(nullptr, 0); }).first, err::kInvalidPicture);
  const Bytes gif = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0};
  const auto e = ErrorOf([&] { Decode(gif); });
  EXPECT_EQ(e.first, err::kInvalidPicture);
  EXPECT_NE(e.second.find("Invalid picture: not a bitmap, PNG or JPEG file"), std::string::npos) << e.second;
}

// Every prefix of a valid file shorter than size - optional bytes is refused with 481,
// never read out of bounds.
void ExpectEveryPrefixRefused(const Bytes& f, const char* truncatedText, size_t optional = 0) {
  int truncatedMessages = 0;
  for (size_t n = 1; n < f.size() - optional; ++n) {
    const Bytes prefix(f.begin(), f.begin() + static_cast<std::ptrdiff_t>(n));
    const auto e = ErrorOf([&] { Decode(prefix); });
    ASSERT_EQ(e.first, err::kInvalidPicture) << "prefix of " << n << " of " << f.size() << " bytes";
    if (e.second.find(truncatedText) != std::string::npos) ++truncatedMessages;
  }
  // Past the signature, cuts are reported as truncation.
  EXPECT_GT(truncatedMessages, static_cast<int>(f.size()) / 2) << truncatedText;
}

TEST(DecodeRefusal, TruncatedFiles) {
  // The last row's padding and the end-of-bitmap escape after the last row are optional.
  BmpOptions o;
  Bytes bmp = samples::EncodeBmp(o);
  ExpectEveryPrefixRefused(bmp, "truncated bitmap", 1);
  bmp.pop_back();
  EXPECT_EQ(Decode(bmp).width, 5);
  o.bpp = 4;
  o.compression = BmpCompression::Rle4;
  ExpectEveryPrefixRefused(samples::EncodeBmp(o), "truncated bitmap", 2);
  ExpectEveryPrefixRefused(samples::EncodePng(6, 5, true), "Invalid picture: truncated PNG data");
  ExpectEveryPrefixRefused(samples::EncodeJpeg(16, 16, 0x123456), "Invalid picture: truncated JPEG data");
}

TEST(DecodeRefusal, OversizedPicturesBeforeAllocation) {
  auto tooLarge = [](const Bytes& f) {
    const auto e = ErrorOf([&] { Decode(f); });
    EXPECT_EQ(e.first, err::kInvalidPicture);
    EXPECT_NE(e.second.find("too large"), std::string::npos) << e.second;
  };
  BmpOptions o;
  Bytes bmp = samples::EncodeBmp(o);
  samples::Put32(bmp, 18, 100000);  // width beyond the side limit
  tooLarge(bmp);
  samples::Put32(bmp, 18, 16384);
  samples::Put32(bmp, 22, static_cast<uint32_t>(-16384));  // 2^28 pixels, beyond the total
  tooLarge(bmp);

  Bytes png = samples::EncodePng(4, 4, false);
  png[16] = 0x7F;  // IHDR width, big-endian
  tooLarge(png);

  Bytes jpeg = samples::EncodeJpeg(8, 8, 0);
  for (size_t i = 2; i + 8 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {  // SOF0: height and width follow the precision
      jpeg[i + 5] = 0xFF;
      jpeg[i + 7] = 0xFF;
      break;
    }
  tooLarge(jpeg);

  // Smaller limits are honoured the same way.
  const Bytes small = samples::EncodePng(40, 30, false);
  PictureLimits limits;
  limits.maxPixels = 1000;
  EXPECT_EQ(ErrorOf([&] { DecodeImage(small.data(), small.size(), limits); }).first, err::kInvalidPicture);
  limits.maxPixels = 1200;
  EXPECT_EQ(DecodeImage(small.data(), small.size(), limits).width, 40);
}

TEST(DecodeRefusal, BadBitmapHeaders) {
  auto refused = [](const Bytes& f, const char* text) {
    const auto e = ErrorOf([&] { Decode(f); });
    EXPECT_EQ(e.first, err::kInvalidPicture);
    EXPECT_NE(e.second.find(text), std::string::npos) << e.second;
  };
  BmpOptions o;
  Bytes f = samples::EncodeBmp(o);
  Bytes g = f;
  samples::Put32(g, 18, static_cast<uint32_t>(-5));
  refused(g, "bad bitmap size");
  g = f;
  samples::Put32(g, 22, 0);
  refused(g, "bad bitmap size");
  g = f;
  samples::Put32(g, 14, 64);
  refused(g, "unsupported bitmap header");
  g = f;
  samples::Put16(g, 28, 7);
  refused(g, "unsupported bitmap depth");
  g = f;
  samples::Put32(g, 30, 4);  // embedded JPEG
  refused(g, "unsupported bitmap compression");
  g = f;
  samples::Put32(g, 30, 1);  // RLE8 on a 24-bit bitmap
  refused(g, "wrong depth");
  g = f;
  samples::Put32(g, 10, 0x7FFFFFF0);  // pixel data offset past the end
  refused(g, "truncated bitmap data");
}

TEST(DecodeImageFile, ReadsFilesAndReportsMissingOnes) {
  const auto dir =
      std::filesystem::temp_directory_path() / ("kavrin_decode_" + std::to_string(std::random_device{}()));
  std::filesystem::create_directories(dir);
  const auto path = dir / "p.bmp";
  const Bytes f = samples::EncodeBmp(BmpOptions{});
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(f.data()), f.size());
  EXPECT_EQ(DecodeImageFile(path.string()).width, 5);
  std::string backslashed = path.string();
  for (char& ch : backslashed)
    if (ch == '/') ch = '\\';
  EXPECT_EQ(DecodeImageFile(backslashed).height, 3);
  EXPECT_EQ(ErrorOf([&] { DecodeImageFile((dir / "missing.bmp").string()); }).first, err::kFileNotFound);
  EXPECT_EQ(ErrorOf([&] { DecodeImageFile(dir.string()); }).first, err::kFileNotFound);
  EXPECT_EQ(ErrorOf([&] { DecodeImageFile(""); }).first, err::kFileNotFound);
  std::ofstream(dir / "empty.png").close();
  EXPECT_EQ(ErrorOf([&] { DecodeImageFile((dir / "empty.png").string()); }).first, err::kInvalidPicture);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace kavrin
