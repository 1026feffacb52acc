#pragma once
// A chart surface as the container provides it, for the engine's tests and benchmarks:
// a memory DC holding a 32-bit bitmap compatible with the screen, cleared to white, text
// drawn transparent, and a window whose invalidations are recorded.
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "chart/line_chart.h"
#include "common/std_font.h"
#include "draw/gdi_host.h"
#include "draw/win32.h"

namespace kavrin::test {

struct Invalidation {
  RECT rc;
  bool whole;
  bool erase;
};

class RecordingSink : public gdi::WindowSink {
 public:
  void Invalidate(const RECT* rc, bool erase) override {
    calls.push_back(Invalidation{rc ? *rc : RECT{}, rc == nullptr, erase});
  }
  std::vector<Invalidation> calls;
};

class ChartSurface {
 public:
  ChartSurface(int w, int h) : width(w), height(h) {
    HDC screen = GetDC(nullptr);
    dc = CreateCompatibleDC(screen);
    bitmap = CreateCompatibleBitmap(screen, w, h);
    ReleaseDC(nullptr, screen);
    oldBitmap = SelectObject(dc, bitmap);
    const RECT all{0, 0, w, h};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetBkMode(dc, TRANSPARENT);
    wnd = gdi::RegisterWindow(&sink);
  }
  ~ChartSurface() {
    gdi::UnregisterWindow(wnd);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  ChartSurface(const ChartSurface&) = delete;
  ChartSurface& operator=(const ChartSurface&) = delete;

  Long Dc() const { return HandleToLong(dc); }
  Long Wnd() const { return HandleToLong(wnd); }
  COLORREF Px(int x, int y) const { return GetPixel(dc, x, y); }

  int width;
  int height;
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ oldBitmap = nullptr;
  RecordingSink sink;
  HWND wnd = nullptr;
};

// Bounding box of the pixels in region (exclusive right and bottom) that are, or with
// `other` set are not, of the given colour; right < 0 when there is none.
struct Box {
  int left = 1 << 30;
  int top = 1 << 30;
  int right = -1;
  int bottom = -1;
  bool Empty() const { return right < 0; }
  bool operator==(const Box&) const = default;
  friend std::ostream& operator<<(std::ostream& os, const Box& b) {
    return os << "(" << b.left << ", " << b.top << ")-(" << b.right << ", " << b.bottom << ")";
  }
};
inline Box InkBox(const ChartSurface& s, const RECT& region, COLORREF color, bool other = false) {
  Box b;
  for (int y = region.top; y < region.bottom; ++y) {
    for (int x = region.left; x < region.right; ++x) {
      if ((s.Px(x, y) == color) != other) {
        b.left = x < b.left ? x : b.left;
        b.top = y < b.top ? y : b.top;
        b.right = x > b.right ? x : b.right;
        b.bottom = y > b.bottom ? y : b.bottom;
      }
    }
  }
  return b;
}

// The settings a newly placed control hands its engine on a w x h surface (margins
// 20, 20, 20, 30), in the control's order; fonts are separate default (MS Sans Serif 8.25) objects.
struct ChartSettings {
  RECT work{20, 20, 300, 210};
  RECT frame{0, 0, 319, 239};
  Long bkGnd = 0;
  Long valueLine = 0x8000;
  Long timeLine = 0x8000;
  std::string title = "Kavrin Line Chart";
  FontRef titleFont = std::make_shared<StdFont>();
  Long titleColor = 0;
  Integer titlePos = 3;
  double valueSpace = 10;
  double zoom = 1;
  FontRef cutLineFont = std::make_shared<StdFont>();
  double min = -50;
  double max = 50;
  Long measureColor = 192;
  FontRef measureFont = std::make_shared<StdFont>();
  Integer measurePos = 0;
  Boolean valueLines = True;
  Boolean timeLines = True;
  Long borderColor = 0x808080;
  Integer borderWidth = 1;
  Integer measureWidth = 3;
  FontRef unitFont = std::make_shared<StdFont>();
  std::string unit;

  static ChartSettings ForSize(int w, int h) {
    ChartSettings s;
    s.work = RECT{20, 20, w - 20, h - 30};
    s.frame = RECT{0, 0, w - 1, h - 1};
    return s;
  }
};

inline void Configure(cLineChart& c, const ChartSurface& surf, const ChartSettings& s) {
  c.BindDc(surf.Dc());
  c.BindWnd(surf.Wnd());
  c.WorkRc(s.work);
  c.FrameRc(s.frame);
  c.BkGndColor(s.bkGnd);
  c.ValueLineColor(s.valueLine);
  c.TimeLineColor(s.timeLine);
  c.Title(s.title);
  c.TitleFont(s.titleFont);
  c.TitleColor(s.titleColor);
  c.TitlePos(s.titlePos);
  c.VerValueSpace(s.valueSpace);
  c.Zoom(s.zoom);
  c.CutLineFont(s.cutLineFont);
  c.Min(s.min);
  c.Max(s.max);
  c.MeasureColor(s.measureColor);
  c.MeasureFont(s.measureFont);
  c.MeasurePos(s.measurePos);
  c.bValueLineDsip(s.valueLines);
  c.bTimeLineDsip(s.timeLines);
  c.BorderColor(s.borderColor);
  c.BorderWidth(s.borderWidth);
  c.MeasureWidth(s.measureWidth);
  c.UnitFont(s.unitFont);
  c.Unit(s.unit);
}

}  // namespace kavrin::test
