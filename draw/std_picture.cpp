#include "draw/std_picture.h"

#include "common/vb_error.h"

namespace kavrin {

StdPicture::StdPicture(HBITMAP owned) : bitmap_(owned) {
  BITMAP bm{};
  if (bitmap_ && GetObjectType(bitmap_) == OBJ_BITMAP &&
      GetObjectA(bitmap_, sizeof bm, &bm) == static_cast<int>(sizeof bm)) {
    width_ = bm.bmWidth;
    height_ = bm.bmHeight;
  }
}

StdPicture::~StdPicture() {
  if (bitmap_) DeleteObject(bitmap_);
}

std::shared_ptr<StdPicture> StdPicture::FromImage(const DecodedImage& img) {
  const size_t count = static_cast<size_t>(img.width > 0 ? img.width : 0) * (img.height > 0 ? img.height : 0);
  if (count == 0 || img.pixels.size() != count) Raise(err::kInvalidPicture, "Invalid picture: no pixels");
  // 32-bit pixels in memory are B, G, R, X: the layout 0x00RRGGBB already has.
  HBITMAP bmp = CreateBitmap(img.width, img.height, 1, 32, img.pixels.data());
  if (!bmp) Raise(err::kOutOfMemory);
  return std::make_shared<StdPicture>(bmp);
}

std::shared_ptr<StdPicture> StdPicture::Load(const std::string& path) { return FromImage(DecodeImageFile(path)); }

}  // namespace kavrin
