#pragma once
// Scoped platform objects for one drawing of the chart: whatever a drawing creates or
// selects goes back when the drawing ends, also when it ends with a run-time error.
#include "draw/cfont.h"
#include "draw/win32.h"

namespace kavrin {

// A solid pen selected into the surface; the displaced pen is selected again and the
// new pen deleted at the end. A pen that cannot be created draws nothing.
class SelectedPen {
 public:
  SelectedPen(HDC dc, int width, COLORREF color)
      : dc_(dc), pen_(CreatePen(PS_SOLID, width, color)), old_(pen_ ? SelectObject(dc, pen_) : nullptr) {}
  ~SelectedPen() {
    if (old_ && old_ != HGDI_ERROR) SelectObject(dc_, old_);
    if (pen_) DeleteObject(pen_);
  }
  SelectedPen(const SelectedPen&) = delete;
  SelectedPen& operator=(const SelectedPen&) = delete;

 private:
  HDC dc_;
  HPEN pen_;
  HGDIOBJ old_;
};

// FillRect with a new solid brush that is deleted at once.
inline void FillSolid(HDC dc, const RECT& rc, COLORREF color) {
  HBRUSH brush = CreateSolidBrush(color);
  if (!brush) return;
  FillRect(dc, &rc, brush);
  DeleteObject(brush);
}

// Limits drawing on the surface to rc (exclusive right and bottom) until the end of the
// scope. The surface has no clip of its own, so the end removes the clip altogether.
class ClippedTo {
 public:
  ClippedTo(HDC dc, const RECT& rc) : dc_(dc) { IntersectClipRect(dc, rc.left, rc.top, rc.right, rc.bottom); }
  ~ClippedTo() { SelectClipRgn(dc_, nullptr); }
  ClippedTo(const ClippedTo&) = delete;
  ClippedTo& operator=(const ClippedTo&) = delete;

 private:
  HDC dc_;
};

// Puts the font helper's previous font back into the surface at the end of a text drawing.
class RestoreFontAtEnd {
 public:
  explicit RestoreFontAtEnd(cFont& font) : font_(font) {}
  ~RestoreFontAtEnd() { font_.RestoreSysFont(); }
  RestoreFontAtEnd(const RestoreFontAtEnd&) = delete;
  RestoreFontAtEnd& operator=(const RestoreFontAtEnd&) = delete;

 private:
  cFont& font_;
};

}  // namespace kavrin
