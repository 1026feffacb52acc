// StdPicture: a 32-bit bitmap from decoded pixels, owned and released by the picture.
#include "tests/support/errors.h"
#include "draw/std_picture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "common/vb_error.h"
#include "draw/gdi_host.h"
#include "fuzz/sample_images.h"

namespace kavrin {
namespace {

using kavrin::test::ErrorOf;

TEST(StdPicture, FromImageKeepsEveryPixel) {
  DecodedImage img;
  img.width = 3;
  img.height = 2;
  img.pixels = {0x00FF0000, 0x0000FF00, 0x000000FF, 0x00123456, 0x00FFFFFF, 0x00000000};
  const int before = gdi::CountLiveObjects().bitmaps;
  {
    auto pic = StdPicture::FromImage(img);
    EXPECT_EQ(pic->Width(), 3);
    EXPECT_EQ(pic->Height(), 2);
    gdi::PixelView v;
    ASSERT_TRUE(gdi::ViewBitmap(pic->Handle(), &v));
    ASSERT_EQ(v.width, 3);
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 3; ++x) EXPECT_EQ(v.pixels[y * v.stride + x], img.pixels[y * 3 + x]) << x << "," << y;
    EXPECT_EQ(gdi::CountLiveObjects().bitmaps, before + 1);
  }
  EXPECT_EQ(gdi::CountLiveObjects().bitmaps, before);
}

TEST(StdPicture, ImageWithoutPixelsIsRefused) {
  DecodedImage img;
  EXPECT_EQ(ErrorOf([&] { StdPicture::FromImage(img); }), err::kInvalidPicture);
  img.width = 2;
  img.height = 2;
  img.pixels = {1, 2, 3};  // fewer pixels than the size says
  EXPECT_EQ(ErrorOf([&] { StdPicture::FromImage(img); }), err::kInvalidPicture);
}

TEST(StdPicture, LoadsFilesAndReportsErrors) {
  const auto dir =
      std::filesystem::temp_directory_path() / ("kavrin_picture_" + std::to_string(std::random_device{}()));
  std::filesystem::create_directories(dir);
  samples::BmpOptions o;
  o.bpp = 8;
  const samples::Bytes bmp = samples::EncodeBmp(o);
  std::ofstream(dir / "p.bmp", std::ios::binary).write(reinterpret_cast<const char*>(bmp.data()), bmp.size());
  const samples::Bytes junk = {'B', 'M', 1, 2, 3};
  std::ofstream(dir / "junk.bmp", std::ios::binary).write(reinterpret_cast<const char*>(junk.data()), junk.size());
  {
    auto pic = StdPicture::Load((dir / "p.bmp").string());
    EXPECT_EQ(pic->Width(), o.width);
    EXPECT_EQ(pic->Height(), o.height);
    gdi::PixelView v;
    ASSERT_TRUE(gdi::ViewBitmap(pic->Handle(), &v));
    EXPECT_EQ(v.pixels[v.stride + 2], samples::ExpectedBmpPixel(o, 2, 1));
  }
  EXPECT_EQ(ErrorOf([&] { StdPicture::Load((dir / "none.bmp").string()); }), err::kFileNotFound);
  EXPECT_EQ(ErrorOf([&] { StdPicture::Load((dir / "junk.bmp").string()); }), err::kInvalidPicture);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace kavrin
