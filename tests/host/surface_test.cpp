// The control's surface and window services: clearing and background colour, the headless
// window's record of invalidations, the surface's picture and saving it as a bitmap file.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tests/support/errors.h"
#include "common/image_decode.h"
#include "common/vb_error.h"
#include "host/form.h"
#include "host/headless_window.h"
#include "host/picture_file.h"
#include "tests/host/fake_control.h"
#include "tests/support/pixels.h"

namespace kavrin::host {
namespace {

class SurfaceServices : public testing::Test {
 protected:
  void SetUp() override {
    form_.RegisterClass<test::FakeChart>("FakeChart");
    site_ = &form_.Add("FakeChart");
    window_ = &dynamic_cast<HeadlessWindow&>(site_->Window());
    window_->TakeInvalidations();
  }
  HDC Dc() { return static_cast<HDC>(LongToHandle(site_->hDC())); }
  HWND Wnd() { return static_cast<HWND>(LongToHandle(site_->hWnd())); }

  Form form_;
  ControlSite* site_ = nullptr;
  HeadlessWindow* window_ = nullptr;
};

using kavrin::test::ErrorOf;

TEST_F(SurfaceServices, NewSurfaceDrawsTransparentTextWithABlackPen) {
  EXPECT_EQ(GetBkMode(Dc()), TRANSPARENT);
  const auto* pen = GetCurrentObject(Dc(), OBJ_PEN);
  EXPECT_EQ(pen, GetStockObject(BLACK_PEN));
  site_->Cls();
  MoveToEx(Dc(), 5, 7, nullptr);
  LineTo(Dc(), 9, 7);
  EXPECT_EQ(GetPixel(Dc(), 5, 7), RGB(0, 0, 0));
  EXPECT_EQ(GetPixel(Dc(), 9, 7), RGB(255, 255, 255));  // end pixel excluded, background white
}

TEST_F(SurfaceServices, InvalidationsReachTheWindowThroughItsHandle) {
  const RECT rc{3, 4, 50, 60};
  InvalidateRect(Wnd(), &rc, FALSE);
  InvalidateRect(Wnd(), nullptr, TRUE);
  const auto got = window_->TakeInvalidations();
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].left, 3);
  EXPECT_EQ(got[0].bottom, 60);
  EXPECT_EQ(got[1].right, 320);  // null: the whole client area
  EXPECT_EQ(got[1].bottom, 240);
  EXPECT_TRUE(window_->TakeInvalidations().empty());
  // Cls and BackColor show the cleared surface: the whole window is invalidated.
  site_->Cls();
  site_->BackColor(RGB(1, 2, 3));
  EXPECT_EQ(window_->TakeInvalidations().size(), 2u);
  const int refreshes = window_->Refreshes();
  site_->Refresh();
  EXPECT_EQ(window_->Refreshes(), refreshes + 1);
}

TEST_F(SurfaceServices, AnUntakenRecordStaysBoundedAndCoversEveryRectangle) {
  for (int i = 0; i < 10000; ++i) {
    const RECT rc{i % 300, 5, i % 300 + 2, 9 + i % 7};
    InvalidateRect(Wnd(), &rc, FALSE);
  }
  const auto& got = window_->Invalidations();
  EXPECT_LE(got.size(), HeadlessWindow::kMaxRecorded);
  RECT all = got.front();
  for (const RECT& r : got) {
    all.left = std::min(all.left, r.left);
    all.right = std::max(all.right, r.right);
    all.bottom = std::max(all.bottom, r.bottom);
  }
  EXPECT_EQ(all.left, 0);
  EXPECT_EQ(all.right, 301);
  EXPECT_EQ(all.bottom, 15);
}

TEST_F(SurfaceServices, BackColorClearsToTheTranslatedColour) {
  site_->BackColor(RGB(10, 20, 30));
  EXPECT_EQ(GetPixel(Dc(), 0, 0), RGB(10, 20, 30));
  EXPECT_EQ(GetPixel(Dc(), 319, 239), RGB(10, 20, 30));
  // Cls keeps using the colour last set.
  SetPixel(Dc(), 4, 4, RGB(255, 0, 0));
  site_->Cls();
  EXPECT_EQ(GetPixel(Dc(), 4, 4), RGB(10, 20, 30));
  // A system colour is translated; an invalid OLE colour is refused and changes nothing.
  COLORREF window = 0;
  ASSERT_EQ(OleTranslateColor(0x80000005, nullptr, &window), S_OK);
  site_->BackColor(static_cast<Long>(0x80000005));
  EXPECT_EQ(GetPixel(Dc(), 0, 0), window);
  EXPECT_EQ(ErrorOf([&] { site_->BackColor(0x12345678); }), err::kInvalidPropertyValue);
  EXPECT_EQ(GetPixel(Dc(), 0, 0), window);
}

TEST_F(SurfaceServices, ImageIsASnapshotTheCallerOwns) {
  SetPixel(Dc(), 1, 1, RGB(0, 0, 255));
  PictureRef pic = site_->Image();
  SetPixel(Dc(), 1, 1, RGB(0, 255, 0));
  ASSERT_EQ(pic->Width(), 320);
  ASSERT_EQ(pic->Height(), 240);
  gdi::PixelView v;
  ASSERT_TRUE(gdi::ViewBitmap(pic->Handle(), &v));
  EXPECT_EQ(v.pixels[1 * v.stride + 1] & 0xFFFFFF, 0x0000FFu);  // 0x00RRGGBB: still blue
  EXPECT_NE(pic->Handle(), site_->GetSurface().Bitmap());
}

TEST_F(SurfaceServices, SavedPictureReadsBackWithTheSamePixels) {
  // An odd width makes every row padded.
  site_->SetSize(33, 7);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 33; ++x) SetPixel(Dc(), x, y, RGB(x * 7, y * 30, (x * y) % 256));
  const std::string path = test::OutputDir() + "/host_saved_picture.bmp";
  std::remove(path.c_str());
  site_->SavePicture(site_->Image(), path);

  std::ifstream in(path, std::ios::binary);
  std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), {});
  ASSERT_EQ(bytes.size(), 14u + 40u + 7u * 100u);  // 33 * 3 = 99 bytes, padded to 100
  EXPECT_EQ(bytes[0], 'B');
  EXPECT_EQ(bytes[1], 'M');
  EXPECT_EQ(bytes[28], 24);  // bits per pixel
  EXPECT_EQ(bytes[30], 0);   // BI_RGB
  EXPECT_EQ(bytes[22] | bytes[23] << 8, 7);  // positive height: rows bottom-up

  const DecodedImage img = DecodeImageFile(path);
  ASSERT_EQ(img.width, 33);
  ASSERT_EQ(img.height, 7);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 33; ++x) {
      const COLORREF c = GetPixel(Dc(), x, y);
      const uint32_t rgb = GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c);
      ASSERT_EQ(img.pixels[y * 33 + x], rgb) << x << "," << y;
    }
  // An existing file is never replaced (58, the file unchanged); "\\" separates folders as
  // "/" does.
  site_->BackColor(RGB(9, 9, 9));
  EXPECT_EQ(ErrorOf([&] { site_->SavePicture(site_->Image(), test::OutputDir() + "\\host_saved_picture.bmp"); }),
            err::kFileAlreadyExists);
  EXPECT_EQ(DecodeImageFile(path).pixels[0], img.pixels[0]);
  std::remove(path.c_str());
  site_->SavePicture(site_->Image(), test::OutputDir() + "\\host_saved_picture.bmp");
  EXPECT_EQ(DecodeImageFile(path).pixels[0], 0x090909u);
  std::remove(path.c_str());
}

TEST_F(SurfaceServices, SavePictureReportsWriteFailures) {
  const PictureRef pic = site_->Image();
  EXPECT_EQ(ErrorOf([&] { site_->SavePicture(pic, test::OutputDir() + "/no/such/folder/a.bmp"); }),
            err::kPathFileAccess);
  EXPECT_EQ(ErrorOf([&] { site_->SavePicture(pic, test::OutputDir()); }), err::kPathFileAccess);  // a folder
  // A device is an existing file too: never written over.
  if (std::filesystem::exists("/dev/full")) {
    EXPECT_EQ(ErrorOf([&] { site_->SavePicture(pic, "/dev/full"); }), err::kFileAlreadyExists);
  }
  EXPECT_EQ(ErrorOf([&] { site_->SavePicture(nullptr, test::OutputDir() + "/x.bmp"); }), err::kObjectNotSet);
}

}  // namespace
}  // namespace kavrin::host
