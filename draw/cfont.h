#pragma once
// cFont: the one object through which the chart puts text on its surface. It keeps a
// font description (shared StdFont), creates a platform font from it at the surface's
// resolution with an escapement, selects it into the bound surface and later puts the
// previously selected font back.
//
// Call order the chart uses:
//  1. SetBindDc, SetBindWnd, then TestPreFont once (the surface's own font becomes the
//     previous font);
//  2. per text element: SetFont (+ SetDegrees / SetDefColor), LoadMyFont, draw,
//     RestoreSysFont.
// Fonts it created that the platform refused to delete (still selected) are kept and
// deleted once they are free; when the object ends it puts the surface's own font back
// if one of its fonts is still selected there, so none of them outlives it.
#include <memory>
#include <string>
#include <vector>

#include "common/numbers.h"
#include "common/std_font.h"

namespace kavrin {

// Pixel height of a font of `points` (rounded half to even to whole points) at
// `pixelsPerInch`: MulDiv(points, pixelsPerInch, 72). Raises 6 when it does not fit an
// Integer.
Integer FontPixelHeight(double points, int pixelsPerInch);

class cFont {
 public:
  cFont();
  ~cFont();
  cFont(const cFont&) = delete;
  cFont& operator=(const cFont&) = delete;

  void SetBindDc(Long hdc);
  void SetBindWnd(Long hwnd);
  void SetFont(const std::shared_ptr<StdFont>& font);  // null: raises 91
  void SetDegrees(Long degrees);                        // 10x must fit a Long, else 6
  void SetDefColor(Long color);
  void SetHotColor(Long color);
  Integer GetFontW();
  Integer GetFontH();
  Long LoadMyFont();
  void RestoreSysFont();
  void ReLoadMyFont();
  void TestPreFont();
  void BuildFormat(uint8_t nFormat);
  void BuildFont(std::string& sFontName);

  // The description in use (created on first read when empty).
  const std::shared_ptr<StdFont>& Font();

 private:
  Integer PixelHeight();
  Long CreateFromDescription(const std::string& face);
  void SelectCurrent();
  void ReleaseCurrent();
  bool Owns(Long font) const;

  std::shared_ptr<StdFont> font_;
  Long bindDc_ = 0;
  Long bindWnd_ = 0;
  Long escapement_ = 0;
  Long currentFont_ = 0;
  Long previousFont_ = 0;
  Long defColor_ = 0;
  Long hotColor_ = 0xFFFFFF;
  Integer measuredWidth_ = 0;
  Integer fontHeight_ = 0;
  // Bookkeeping for the release of created fonts (see the class comment).
  std::vector<Long> refused_;
  Long surfaceFont_ = 0;  // first displaced font not created here: the surface's own
};

}  // namespace kavrin
