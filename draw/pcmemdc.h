#pragma once
// pcMemDC: an off-screen surface that holds a picture and copies rectangles of it onto
// another surface, plainly or keyed (magenta pixels left out). The surface only grows.
#include "common/numbers.h"
#include "draw/std_picture.h"

namespace kavrin {

class pcMemDC {
 public:
  pcMemDC() = default;
  ~pcMemDC();
  pcMemDC(const pcMemDC&) = delete;
  pcMemDC& operator=(const pcMemDC&) = delete;

  Long Width() const { return width_; }
  void Width(Long v);  // grows only; a growth discards the pixels
  Long Height() const { return height_; }
  void Height(Long v);
  Long hdc() const { return surface_; }

  void StretchDraw(Long hdc, Long xDst, Long yDst, Long WidthDst, Long HeightDst, Long xSrc, Long ySrc,
                   Long WidthSrc, Long HeightSrc, Boolean UseMask, Long lVbSrcCopy);
  void Draw(Long hdc, Long xSrc, Long ySrc, Long WidthSrc, Long HeightSrc, Long xDst, Long yDst,
            Boolean UseMask);
  void CreateFromPicture(const StdPicture& sPic);

 private:
  void CreateSurface(Long cx, Long cy);
  void FreeSurface();
  static void DrawMasked(Long hdcDst, Long x, Long y, Long w, Long h, Long hdcSrc, Long xs, Long ys,
                         Long key, Long palette);

  Long surface_ = 0;
  Long bitmap_ = 0;
  Long displaced_ = 0;
  Long width_ = 0;
  Long height_ = 0;
};

}  // namespace kavrin
