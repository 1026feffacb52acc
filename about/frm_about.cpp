#include "about/frm_about.h"

#include "about/about_picture.h"
#include "common/vb_error.h"

namespace kavrin {

#ifndef _WIN32
std::span<const unsigned char> about::AboutJpeg() { return {about::kAboutJpeg, about::kAboutJpegSize}; }
#endif

frmAbout& frmAbout::Default() {
  static frmAbout instance;
  return instance;
}

const DecodedImage& frmAbout::Picture() {
  if (!decoded_) {
    const std::span<const unsigned char> jpeg = about::AboutJpeg();
    picture_ = DecodeImage(jpeg.data(), jpeg.size());
    decoded_ = true;
  }
  return picture_;
}

std::vector<uint32_t> frmAbout::ClientPixels() {
  const DecodedImage& pic = Picture();
  std::vector<uint32_t> px(static_cast<size_t>(kClientWidth) * kClientHeight, kFormBackColor);
  for (int y = 0; y < pic.height && y < kClientHeight; ++y)
    for (int x = 0; x < pic.width && x < kClientWidth; ++x)
      px[static_cast<size_t>(y) * kClientWidth + x] = pic.pixels[static_cast<size_t>(y) * pic.width + x];
  return px;
}

#if !defined(KAVRIN_HAVE_X11) && !defined(_WIN32)
// Built without a window system: there is nowhere to show the window.
struct frmAbout::Window {};
void frmAbout::Show() { Raise(err::kInvalidCall, "Cannot show the About box: no X display"); }
void frmAbout::Unload() {}
bool frmAbout::Visible() const { return false; }
bool frmAbout::Painted() const { return false; }
unsigned long frmAbout::WindowId() const { return 0; }
#endif

}  // namespace kavrin
