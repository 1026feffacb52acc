#pragma once
// The OLE picture object as the chart uses it: a bitmap handle and its pixel size. The
// object owns its bitmap. Pictures come from BMP, PNG or JPEG files (or memory).
#include <cstdint>
#include <memory>
#include <string>

#include "common/image_decode.h"
#include "draw/win32.h"

namespace kavrin {

class StdPicture {
 public:
  // Takes ownership of a bitmap (deleted with the picture).
  explicit StdPicture(HBITMAP owned);
  ~StdPicture();
  StdPicture(const StdPicture&) = delete;
  StdPicture& operator=(const StdPicture&) = delete;

  HBITMAP Handle() const { return bitmap_; }
  int Width() const { return width_; }
  int Height() const { return height_; }

  // A 32-bit bitmap holding the decoded pixels.
  static std::shared_ptr<StdPicture> FromImage(const DecodedImage& img);
  // Raises 53 for a missing file and 481 for data that is not a valid picture.
  static std::shared_ptr<StdPicture> Load(const std::string& path);

 private:
  HBITMAP bitmap_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

using PictureRef = std::shared_ptr<StdPicture>;

}  // namespace kavrin
