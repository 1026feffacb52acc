// Drawing scenarios written only against the Win32 subset (draw/win32.h), so that the same
// source builds for Windows against the real GDI and on Linux against the software layer.
// Each scenario starts from a known fill; what it leaves behind is compared across the two.
#include "tests/differential/scenarios.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <memory>

#include "draw/pcmemdc.h"
#include "draw/std_picture.h"
#include "draw/win32.h"

namespace kavrin::diff {

namespace {

// A screen context for the whole run: every surface is made compatible with it.
class Screen {
 public:
  Screen() : dc_(CreateDCA("DISPLAY", nullptr, nullptr, nullptr)) {}
  ~Screen() {
    if (dc_) DeleteDC(dc_);
  }
  Screen(const Screen&) = delete;
  Screen& operator=(const Screen&) = delete;
  HDC dc() const { return dc_; }

 private:
  HDC dc_;
};

// A memory context with its own bitmap selected: 32 bits per pixel (compatible with the
// screen) or 1 bit per pixel.
class Surface {
 public:
  Surface(HDC screen, int w, int h, bool mono = false) : w_(w), h_(h) {
    dc_ = CreateCompatibleDC(screen);
    bmp_ = mono ? CreateBitmap(w, h, 1, 1, nullptr) : CreateCompatibleBitmap(screen, w, h);
    old_ = SelectObject(dc_, bmp_);
  }
  ~Surface() {
    SelectObject(dc_, old_);
    DeleteObject(bmp_);
    DeleteDC(dc_);
  }
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;
  HDC dc() const { return dc_; }
  int width() const { return w_; }
  int height() const { return h_; }

  void Fill(COLORREF c) {
    HBRUSH b = CreateSolidBrush(c);
    RECT rc = {0, 0, w_, h_};
    FillRect(dc_, &rc, b);
    DeleteObject(b);
  }
  void Paint(const std::function<COLORREF(int, int)>& colourAt) {
    for (int y = 0; y < h_; ++y)
      for (int x = 0; x < w_; ++x) SetPixel(dc_, x, y, colourAt(x, y));
  }
  Shot Take(const std::string& name, bool text, COLORREF background) const {
    Shot s;
    s.name = name;
    s.text = text;
    s.width = w_;
    s.height = h_;
    s.background = background;
    s.px.reserve(static_cast<size_t>(w_) * h_);
    for (int y = 0; y < h_; ++y)
      for (int x = 0; x < w_; ++x) s.px.push_back(GetPixel(dc_, x, y) & 0xFFFFFF);
    return s;
  }

 private:
  int w_;
  int h_;
  HDC dc_ = nullptr;
  HBITMAP bmp_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

// Selects an object into a context for the lifetime of the guard and deletes it after.
class Selected {
 public:
  Selected(HDC dc, HGDIOBJ obj) : dc_(dc), obj_(obj), old_(SelectObject(dc, obj)) {}
  ~Selected() {
    SelectObject(dc_, old_);
    DeleteObject(obj_);
  }
  Selected(const Selected&) = delete;
  Selected& operator=(const Selected&) = delete;

 private:
  HDC dc_;
  HGDIOBJ obj_;
  HGDIOBJ old_;
};

class Runner {
 public:
  explicit Runner(const std::string& filter) : filter_(filter) {}
  std::vector<Shot> shots;
  HDC screen() const { return screen_.dc(); }
  // Runs the scenario if its name passes the filter.
  void Run(const std::string& name, const std::function<Shot(const std::string&)>& scenario) {
    if (!filter_.empty() && name.find(filter_) == std::string::npos) return;
    shots.push_back(scenario(name));
  }

 private:
  std::string filter_;
  Screen screen_;
};

std::string Signed(int v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%+d", v);
  return buf;
}

std::string Hex2(int v) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02X", v);
  return buf;
}

// Colours whose channels mix set and clear bits, so that every raster operation shows
// its whole truth table in every channel.
const COLORREF kColours[] = {RGB(0, 0, 0),       RGB(255, 255, 255), RGB(0xAA, 0x55, 0xCC), RGB(0x0F, 0xF0, 0x33),
                             RGB(0x12, 0x34, 0x56), RGB(0xC3, 0x3C, 0x99), RGB(0x80, 0x7F, 0x01), RGB(0xFE, 0x01, 0x6D)};

unsigned Hash(int x, int y, unsigned seed) {
  unsigned h = static_cast<unsigned>(x) * 73856093u ^ static_cast<unsigned>(y) * 19349663u ^ seed * 83492791u;
  h ^= h >> 13;
  h *= 0x5bd1e995u;
  return h ^ (h >> 15);
}

COLORREF Mixed(int x, int y, unsigned seed) { return kColours[Hash(x, y, seed) % 8]; }
bool Bit(int x, int y, unsigned seed) { return (Hash(x, y, seed) >> 4) & 1; }
COLORREF Unique(int x, int y) { return RGB(x * 11 + 3, y * 13 + 5, (x * 7 + y * 17) & 0xFF); }

// ---- Lines -------------------------------------------------------------------------

const COLORREF kLineFill = RGB(0xF0, 0xF0, 0xF0);
const COLORREF kPenColour = RGB(0xC0, 0x10, 0x20);

void Line(Runner& r, const std::string& name, int size, int width, const std::vector<POINT>& path) {
  r.Run(name, [&](const std::string& n) {
    Surface s(r.screen(), size, size);
    s.Fill(kLineFill);
    {
      Selected pen(s.dc(), CreatePen(PS_SOLID, width, kPenColour));
      MoveToEx(s.dc(), path[0].x, path[0].y, nullptr);
      for (size_t i = 1; i < path.size(); ++i) LineTo(s.dc(), path[i].x, path[i].y);
    }
    return s.Take(n, false, kLineFill);
  });
}

void Lines(Runner& r) {
  // Every direction of every length up to 3.
  for (int dy = -3; dy <= 3; ++dy)
    for (int dx = -3; dx <= 3; ++dx)
      Line(r, "line/short d(" + Signed(dx) + "," + Signed(dy) + ")", 9, 1, {{4, 4}, {4 + dx, 4 + dy}});
  // Longer lines in every octant, with and without exact half-way steps.
  const POINT longer[] = {{9, 4}, {4, 9}, {8, 4}, {4, 8}, {7, 1}, {1, 7}, {10, 5}, {5, 10}, {6, 6}, {11, 0}};
  for (const POINT& d : longer)
    for (int sx = 1; sx >= -1; sx -= 2)
      for (int sy = 1; sy >= -1; sy -= 2) {
        if ((d.x == 0 && sx < 0) || (d.y == 0 && sy < 0)) continue;
        const int dx = d.x * sx, dy = d.y * sy;
        Line(r, "line/long d(" + Signed(dx) + "," + Signed(dy) + ")", 25, 1, {{12, 12}, {12 + dx, 12 + dy}});
      }
  // A zero-width pen is cosmetic too.
  Line(r, "line/width0 d(+7,+3)", 25, 0, {{12, 12}, {19, 15}});
  // The current position follows LineTo.
  Line(r, "line/polyline", 25, 1, {{2, 2}, {20, 5}, {18, 20}, {3, 14}, {2, 2}});
  // Ends outside the surface: the visible pixels are those of the unclipped line.
  Line(r, "line/clipped left-right", 25, 1, {{-7, 3}, {31, 17}});
  Line(r, "line/clipped bottom-top", 25, 1, {{5, 40}, {14, -9}});
  Line(r, "line/clipped corner", 25, 1, {{-3, 20}, {9, -5}});
  Line(r, "line/outside", 25, 1, {{-10, -10}, {-2, 30}});
  // Rows far outside, as values far beyond the scale give them.
  Line(r, "line/far above", 25, 1, {{3, 10}, {20, -30000}});
  Line(r, "line/far below", 25, 1, {{2, 4}, {23, 32000}});
  Line(r, "line/far left", 25, 1, {{-30000, 7}, {21, 12}});
  Line(r, "line/far both ends", 25, 1, {{-20000, -9000}, {25000, 11000}});
}

void WideLines(Runner& r) {
  const POINT dirs[] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}, {1, 1}, {-1, 1}, {-1, -1}, {2, 1}, {1, -2}, {-3, 1}};
  for (int width = 2; width <= 4; ++width) {
    const std::string w = "wide/w" + std::to_string(width);
    Line(r, w + " length 0", 32, width, {{16, 16}, {16, 16}});
    for (const POINT& d : dirs)
      for (int len : {1, 2, 5}) {
        const int dx = d.x * len, dy = d.y * len;
        Line(r, w + " d(" + Signed(dx) + "," + Signed(dy) + ")", 32, width, {{16, 16}, {16 + dx, 16 + dy}});
      }
    Line(r, w + " polyline", 32, width, {{4, 4}, {26, 6}, {24, 27}, {6, 20}});
    Line(r, w + " clipped", 32, width, {{-4, 10}, {40, 14}});
    Line(r, w + " far above", 32, width, {{6, 20}, {24, -30000}});
  }
}

// ---- Fills -------------------------------------------------------------------------

void Fills(Runner& r) {
  struct Case {
    const char* name;
    RECT rc;
  };
  const Case cases[] = {
      {"normal", {2, 3, 10, 12}},         {"one pixel", {5, 5, 6, 6}},
      {"empty width", {5, 2, 5, 10}},     {"empty height", {2, 5, 10, 5}},
      {"inverted x", {10, 3, 2, 12}},     {"inverted y", {2, 12, 10, 3}},
      {"inverted both", {10, 12, 2, 3}},  {"over top-left", {-4, -4, 5, 6}},
      {"over bottom-right", {10, 10, 40, 40}}, {"outside", {20, 20, 30, 30}},
      {"whole", {0, 0, 16, 16}},
  };
  const COLORREF fill = RGB(0x30, 0x60, 0x90);
  for (const Case& c : cases)
    r.Run(std::string("fill/") + c.name, [&](const std::string& n) {
      Surface s(r.screen(), 16, 16);
      s.Fill(fill);
      HBRUSH b = CreateSolidBrush(RGB(0xE0, 0xB0, 0x10));
      FillRect(s.dc(), &c.rc, b);
      DeleteObject(b);
      return s.Take(n, false, fill);
    });
}

// ---- Block copies within one surface -----------------------------------------------

void Scrolls(Runner& r) {
  struct Case {
    const char* name;
    int dx, dy;
  };
  const Case cases[] = {{"left", -3, 0},      {"right", 3, 0},    {"up", 0, -3},       {"down", 0, 3},
                        {"up-left", -3, -3},  {"up-right", 3, -3}, {"down-left", -3, 3}, {"down-right", 3, 3},
                        {"left by 1", -1, 0}, {"down by 1", 0, 1}, {"in place", 0, 0}};
  for (const Case& c : cases)
    r.Run(std::string("scroll/") + c.name, [&](const std::string& n) {
      Surface s(r.screen(), 20, 20);
      s.Paint(Unique);
      BitBlt(s.dc(), 5 + c.dx, 5 + c.dy, 10, 10, s.dc(), 5, 5, SRCCOPY);
      return s.Take(n, false, Unique(0, 0));
    });
  // The chart's tick: the plot moves left by a strip.
  r.Run("scroll/plot strip", [&](const std::string& n) {
    Surface s(r.screen(), 20, 20);
    s.Paint(Unique);
    BitBlt(s.dc(), 2, 3, 14, 12, s.dc(), 6, 3, SRCCOPY);
    return s.Take(n, false, Unique(0, 0));
  });
  // Rectangles reaching past the surface.
  r.Run("scroll/source past left edge", [&](const std::string& n) {
    Surface s(r.screen(), 20, 20);
    s.Paint(Unique);
    BitBlt(s.dc(), 6, 4, 10, 10, s.dc(), -3, 4, SRCCOPY);
    return s.Take(n, false, Unique(0, 0));
  });
  r.Run("scroll/destination past right edge", [&](const std::string& n) {
    Surface s(r.screen(), 20, 20);
    s.Paint(Unique);
    BitBlt(s.dc(), 14, 2, 10, 10, s.dc(), 2, 4, SRCCOPY);
    return s.Take(n, false, Unique(0, 0));
  });
}

// Non-default colours of the destination: what monochrome sources turn into.
const COLORREF kRopText = RGB(0x3C, 0xA5, 0x0F);
const COLORREF kRopBack = RGB(0xC3, 0x5A, 0xF0);

// ---- Scaled copies ------------------------------------------------------------------

void Stretches(Runner& r) {
  struct Case {
    const char* name;
    int xDst, yDst, wDst, hDst, xSrc, ySrc, wSrc, hSrc;
    DWORD rop;
    bool monoSource;
  };
  const Case cases[] = {
      {"same size", 3, 4, 16, 12, 0, 0, 16, 12, SRCCOPY, false},
      {"enlarge 2x", 2, 2, 32, 24, 0, 0, 16, 12, SRCCOPY, false},
      {"enlarge uneven", 1, 3, 41, 29, 0, 0, 16, 12, SRCCOPY, false},
      {"enlarge part", 4, 1, 30, 33, 3, 2, 7, 9, SRCCOPY, false},
      {"shrink half", 5, 5, 8, 6, 0, 0, 16, 12, SRCCOPY, false},
      {"shrink uneven", 5, 5, 7, 5, 0, 0, 16, 12, SRCCOPY, false},
      {"shrink x enlarge y", 2, 2, 9, 30, 0, 0, 16, 12, SRCCOPY, false},
      {"enlarge invert", 2, 2, 35, 26, 0, 0, 16, 12, SRCINVERT, false},
      {"mono enlarge", 2, 2, 37, 27, 0, 0, 16, 12, SRCCOPY, true},
      {"mono shrink", 2, 2, 9, 7, 0, 0, 16, 12, SRCCOPY, true},
      {"mirror x", 40, 2, -32, 24, 0, 0, 16, 12, SRCCOPY, false},
      {"past the edge", 30, 20, 32, 24, 0, 0, 16, 12, SRCCOPY, false},
  };
  for (const Case& c : cases)
    r.Run(std::string("stretch/") + c.name, [&](const std::string& n) {
      Surface dst(r.screen(), 48, 40);
      dst.Paint(Unique);
      SetTextColor(dst.dc(), kRopText);
      SetBkColor(dst.dc(), kRopBack);
      Surface src(r.screen(), 16, 12, c.monoSource);
      if (c.monoSource)
        src.Paint([](int x, int y) { return Bit(x, y, 11) ? RGB(255, 255, 255) : RGB(0, 0, 0); });
      else
        src.Paint([](int x, int y) { return Mixed(x, y, 12); });
      StretchBlt(dst.dc(), c.xDst, c.yDst, c.wDst, c.hDst, src.dc(), c.xSrc, c.ySrc, c.wSrc, c.hSrc, c.rop);
      return dst.Take(n, false, Unique(0, 0));
    });
}

// ---- Raster operations between colour and monochrome bitmaps -------------------------

DWORD RopCode(int index) {
  // The named operations carry their documented low words; the rest are passed by index.
  const DWORD named[] = {SRCCOPY,  SRCPAINT, SRCAND,  SRCINVERT, SRCERASE,  NOTSRCCOPY, NOTSRCERASE, MERGECOPY,
                         MERGEPAINT, PATCOPY, PATPAINT, PATINVERT, DSTINVERT, BLACKNESS,  WHITENESS,   0x00220326};
  for (DWORD code : named)
    if (static_cast<int>((code >> 16) & 0xFF) == index) return code;
  return static_cast<DWORD>(index) << 16;
}

const COLORREF kSourceBack = RGB(0x40, 0x80, 0xC0);

void RasterOps(Runner& r) {
  struct Direction {
    const char* name;
    bool srcMono, dstMono;
  };
  const Direction dirs[] = {{"c2c", false, false}, {"c2m", false, true}, {"m2c", true, false}, {"m2m", true, true}};
  const int w = 16, h = 8;
  for (const Direction& d : dirs)
    for (int rop = 0; rop < 256; ++rop)
      r.Run(std::string("rop/") + d.name + " " + Hex2(rop), [&](const std::string& n) {
        Surface src(r.screen(), w, h, d.srcMono);
        Surface dst(r.screen(), w, h, d.dstMono);
        if (d.srcMono)
          src.Paint([](int x, int y) { return Bit(x, y, 1) ? RGB(255, 255, 255) : RGB(0, 0, 0); });
        else
          src.Paint([](int x, int y) {
            // Some pixels in the source context's background colour and one just off it.
            const unsigned k = Hash(x, y, 2) % 11;
            return k < 3 ? kSourceBack : k == 3 ? (kSourceBack ^ 1) : Mixed(x, y, 3);
          });
        if (d.dstMono)
          dst.Paint([](int x, int y) { return Bit(x, y, 4) ? RGB(255, 255, 255) : RGB(0, 0, 0); });
        else
          dst.Paint([](int x, int y) { return Mixed(x, y, 5); });
        SetBkColor(src.dc(), kSourceBack);
        SetTextColor(src.dc(), RGB(0x11, 0x22, 0x33));
        SetTextColor(dst.dc(), kRopText);
        SetBkColor(dst.dc(), kRopBack);
        // Two halves with two brushes, so that the pattern takes both values.
        const COLORREF brushes[2] = {d.dstMono ? RGB(0, 0, 0) : RGB(0xF0, 0x0F, 0x3C),
                                     d.dstMono ? RGB(255, 255, 255) : RGB(0x66, 0xCC, 0xA5)};
        for (int half = 0; half < 2; ++half) {
          Selected brush(dst.dc(), CreateSolidBrush(brushes[half]));
          BitBlt(dst.dc(), half * w / 2, 0, w / 2, h, src.dc(), half * w / 2, 0, RopCode(rop));
        }
        return dst.Take(n, false, 0);
      });
}

// ---- Keyed stamps of the off-screen surface ----------------------------------------


const COLORREF kMagenta = RGB(255, 0, 255);

// A 16 x 12 picture: a magenta frame and diagonal, an almost-magenta pixel row, colours.
std::unique_ptr<StdPicture> MakePicture(HDC screen, int w, int h, bool mono) {
  HBITMAP bmp = mono ? CreateBitmap(w, h, 1, 1, nullptr) : CreateCompatibleBitmap(screen, w, h);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, bmp);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      COLORREF c;
      if (mono)
        c = Bit(x, y, 9) ? RGB(255, 255, 255) : RGB(0, 0, 0);
      else if (x == 0 || y == 0 || x == w - 1 || y == h - 1 || x == y)
        c = kMagenta;
      else if (y == h / 2)
        c = RGB(254, 0, 255);
      else
        c = Mixed(x, y, 7);
      SetPixel(dc, x, y, c);
    }
  SelectObject(dc, old);
  DeleteDC(dc);
  return std::make_unique<StdPicture>(bmp);
}

void Stamps(Runner& r) {
  const int w = 48, h = 32;
  auto stamp = [&](const std::string& name, const std::function<void(pcMemDC&, HDC)>& draw, bool mono = false) {
    r.Run("stamp/" + name, [&](const std::string& n) {
      Surface s(r.screen(), w, h);
      s.Paint(Unique);
      {
        auto pic = MakePicture(r.screen(), 16, 12, mono);
        pcMemDC mem;
        mem.CreateFromPicture(*pic);
        draw(mem, s.dc());
      }
      return s.Take(n, false, Unique(0, 0));
    });
  };
  auto L = [](HDC dc) { return static_cast<Long>(HandleToLong(dc)); };
  stamp("keyed", [&](pcMemDC& m, HDC dc) { m.Draw(L(dc), 0, 0, 0, 0, 10, 8, True); });
  stamp("plain", [&](pcMemDC& m, HDC dc) { m.Draw(L(dc), 0, 0, 0, 0, 10, 8, False); });
  stamp("keyed part", [&](pcMemDC& m, HDC dc) { m.Draw(L(dc), 4, 2, 8, 6, 30, 20, True); });
  stamp("keyed past top-left", [&](pcMemDC& m, HDC dc) { m.Draw(L(dc), 0, 0, 0, 0, -5, -4, True); });
  stamp("keyed past bottom-right", [&](pcMemDC& m, HDC dc) { m.Draw(L(dc), 0, 0, 0, 0, 40, 26, True); });
  stamp("keyed tiles", [&](pcMemDC& m, HDC dc) { m.StretchDraw(L(dc), 2, 2, 40, 10, 0, 0, 16, 10, True, SRCCOPY); });
  stamp("stretch 1:1", [&](pcMemDC& m, HDC dc) { m.StretchDraw(L(dc), 3, 5, 16, 12, 0, 0, 0, 0, False, SRCCOPY); });
  stamp("stretch twice", [&](pcMemDC& m, HDC dc) { m.StretchDraw(L(dc), 3, 5, 32, 24, 0, 0, 0, 0, False, SRCCOPY); });
  stamp("stretch invert", [&](pcMemDC& m, HDC dc) { m.StretchDraw(L(dc), 3, 5, 16, 12, 0, 0, 0, 0, False, SRCINVERT); });
  stamp("mono picture", [&](pcMemDC& m, HDC dc) { m.Draw(L(dc), 0, 0, 0, 0, 10, 8, False); }, true);
  // A picture made from decoded pixels (0x00RRGGBB, rows top-down), as picture files give them.
  r.Run("stamp/picture from decoded pixels", [&](const std::string& n) {
    Surface s(r.screen(), w, h);
    s.Paint(Unique);
    {
      DecodedImage img;
      img.width = 7;
      img.height = 5;
      for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x)
          img.pixels.push_back(x == 3 ? 0xFF00FFu : static_cast<uint32_t>(Hash(x, y, 13) & 0xFFFFFF));
      auto pic = StdPicture::FromImage(img);
      pcMemDC mem;
      mem.CreateFromPicture(*pic);
      mem.Draw(L(s.dc()), 0, 0, 0, 0, 3, 4, False);
      mem.Draw(L(s.dc()), 0, 0, 0, 0, 20, 14, True);
    }
    return s.Take(n, false, Unique(0, 0));
  });
  stamp("second smaller picture", [&](pcMemDC& m, HDC dc) {
    auto small = MakePicture(r.screen(), 8, 8, true);
    m.CreateFromPicture(*small);
    m.Draw(L(dc), 0, 0, 0, 0, 10, 8, True);
  });
}

// ---- One tick of a chart, end to end ----------------------------------------------

void Ticks(Runner& r) {
  r.Run("tick/scroll strip grid segment stamp", [&](const std::string& n) {
    const COLORREF plot = RGB(0x10, 0x20, 0x30);
    Surface s(r.screen(), 64, 40);
    s.Fill(RGB(0xC0, 0xC0, 0xC0));
    HBRUSH back = CreateSolidBrush(plot);
    RECT work = {4, 4, 60, 36};
    FillRect(s.dc(), &work, back);
    auto pic = MakePicture(r.screen(), 5, 5, false);
    pcMemDC mem;
    mem.CreateFromPicture(*pic);
    int previous = 30;
    for (int tick = 0; tick < 6; ++tick) {
      // The plot moves left by a strip of 4, the strip is cleared and gets its grid.
      BitBlt(s.dc(), 4, 4, 52, 32, s.dc(), 8, 4, SRCCOPY);
      RECT strip = {56, 4, 60, 36};
      FillRect(s.dc(), &strip, back);
      {
        Selected grid(s.dc(), CreatePen(PS_SOLID, 1, RGB(0x40, 0x40, 0x40)));
        for (int y = 8; y < 36; y += 8) {
          MoveToEx(s.dc(), 56, y, nullptr);
          LineTo(s.dc(), 60, y);
        }
        if (tick % 2) {
          MoveToEx(s.dc(), 59, 4, nullptr);
          LineTo(s.dc(), 59, 36);
        }
      }
      const int row = 8 + (tick * 11) % 26;
      {
        Selected pen(s.dc(), CreatePen(PS_SOLID, tick % 3 == 2 ? 2 : 1, RGB(0xFF, 0x40, 0x00)));
        MoveToEx(s.dc(), 55, previous, nullptr);
        LineTo(s.dc(), 59, row);
      }
      mem.Draw(static_cast<Long>(HandleToLong(s.dc())), 0, 0, 0, 0, 55 - 2, previous - 2, True);
      previous = row;
    }
    DeleteObject(back);
    return s.Take(n, false, RGB(0xC0, 0xC0, 0xC0));
  });
}

// ---- Clipping ----------------------------------------------------------------------

// Drawing through a clip rectangle (two IntersectClipRect calls narrow it to (8, 10)-(30, 22)):
// lines of every kind, a fill, a block copy and single pixels change only pixels inside it,
// and the same pixels there as without a clip; once the clip is removed, all is drawn again.
void Clips(Runner& r) {
  auto clipped = [&](const std::string& name, const std::function<void(HDC, Surface&)>& draw) {
    r.Run("clip/" + name, [&](const std::string& n) {
      Surface s(r.screen(), 40, 32);
      s.Fill(kLineFill);
      Shot shot;
      shot.values.push_back(IntersectClipRect(s.dc(), 8, 6, 30, 22));
      shot.values.push_back(IntersectClipRect(s.dc(), 4, 10, 36, 26));
      draw(s.dc(), s);
      shot.values.push_back(SelectClipRgn(s.dc(), nullptr));
      Shot taken = s.Take(n, false, kLineFill);
      taken.values = shot.values;
      return taken;
    });
  };
  auto lines = [](int width) {
    return [width](HDC dc, Surface&) {
      Selected pen(dc, CreatePen(PS_SOLID, width, kPenColour));
      const POINT path[] = {{2, 2}, {38, 29}, {35, 1}, {3, 30}, {20, -9000}, {21, 31}, {-5, 16}, {45, 15}};
      MoveToEx(dc, path[0].x, path[0].y, nullptr);
      for (const POINT& p : path) LineTo(dc, p.x, p.y);
    };
  };
  clipped("cosmetic lines", lines(1));
  clipped("wide lines", lines(3));
  clipped("fill and pixels", [](HDC dc, Surface&) {
    HBRUSH b = CreateSolidBrush(RGB(0x30, 0x60, 0x90));
    const RECT rc = {2, 4, 20, 28};
    FillRect(dc, &rc, b);
    DeleteObject(b);
    for (int i = 0; i < 40; i += 3) SetPixel(dc, i, i * 3 / 4, RGB(0xE0, 0xB0, 0x10));
  });
  clipped("block copy and stamp", [&](HDC dc, Surface&) {
    Surface src(r.screen(), 40, 32);
    src.Paint([](int x, int y) { return Mixed(x, y, 7); });
    BitBlt(dc, 3, 5, 30, 20, src.dc(), 1, 2, SRCCOPY);
    auto pic = MakePicture(r.screen(), 12, 12, true);
    pcMemDC mem;
    mem.CreateFromPicture(*pic);
    mem.Draw(static_cast<Long>(HandleToLong(dc)), 0, 0, 0, 0, 24, 16, True);
  });
  clipped("emptied, then removed", [](HDC dc, Surface&) {
    IntersectClipRect(dc, 30, 0, 40, 32);  // meets nothing of the clip: nothing is drawn
    Selected pen(dc, CreatePen(PS_SOLID, 1, kPenColour));
    MoveToEx(dc, 0, 0, nullptr);
    LineTo(dc, 39, 31);
    SelectClipRgn(dc, nullptr);
    MoveToEx(dc, 39, 0, nullptr);
    LineTo(dc, 0, 31);
  });
}

// ---- Text --------------------------------------------------------------------------

const COLORREF kPaper = RGB(255, 255, 255);
const COLORREF kInk = RGB(0, 0, 0x80);
const COLORREF kBackdrop = RGB(0xFF, 0xE0, 0x80);

// Values recorded with every text shot, in this order (the comparer names them).
void Metrics(HDC dc, const char* text, long drawTextResult, std::vector<long>* values) {
  SIZE ext = {0, 0};
  GetTextExtentPoint32A(dc, text, static_cast<int>(std::strlen(text)), &ext);
  TEXTMETRICA tm;
  std::memset(&tm, 0, sizeof tm);
  GetTextMetricsA(dc, &tm);
  const long lines = 1 + static_cast<long>(std::count(text, text + std::strlen(text), '\n'));
  *values = {drawTextResult,    ext.cx,       ext.cy,           tm.tmHeight,
             tm.tmAscent,       tm.tmDescent, tm.tmInternalLeading, tm.tmExternalLeading,
             tm.tmAveCharWidth, tm.tmMaxCharWidth, lines};
}

struct TextCall {
  const char* name;
  bool drawText;
  UINT format;
  RECT rc;  // DrawTextA's rectangle, or TextOutA's point in left/top
  const char* text;
};

struct TextFont {
  const char* face;
  int height = -12;
  int weight = FW_NORMAL;
  bool italic = false, underline = false, strikeOut = false;
};

void TextShot(Runner& r, const std::string& name, const TextFont& f, int esc, int mode, const TextCall& c) {
  r.Run(name, [&](const std::string& n) {
    const int w = esc ? 48 : 140, h = esc ? 140 : 48;
    Surface s(r.screen(), w, h);
    s.Fill(kPaper);
    Shot shot;
    Selected font(s.dc(), CreateFontA(f.height, 0, esc, esc, f.weight, f.italic, f.underline, f.strikeOut, ANSI_CHARSET,
                                      OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                      DEFAULT_PITCH | FF_DONTCARE, f.face));
    SetTextColor(s.dc(), kInk);
    SetBkColor(s.dc(), kBackdrop);
    SetBkMode(s.dc(), mode);
    long result = -1;
    if (c.drawText) {
      RECT rc = c.rc;
      result = DrawTextA(s.dc(), c.text, -1, &rc, c.format);
    } else {
      TextOutA(s.dc(), c.rc.left, c.rc.top, c.text, static_cast<int>(std::strlen(c.text)));
    }
    shot = s.Take(n, true, kPaper);
    shot.backdrop = mode == OPAQUE ? kBackdrop : kPaper;
    Metrics(s.dc(), c.text, result, &shot.values);
    return shot;
  });
}

void Texts(Runner& r) {
  const TextCall upright[] = {
      {"DrawText 0", true, 0, {10, 6, 130, 40}, "Trend 12.5 kPa"},
      {"DrawText 0 two lines", true, 0, {10, 4, 130, 44}, "First line\r\nSecond"},
      {"DrawText 0 clipped", true, 0, {10, 6, 60, 16}, "Clipped long title text"},
      {"DrawText 37", true, 37, {10, 6, 130, 40}, "-12.75"},
      {"DrawText 40", true, 40, {10, 6, 130, 40}, "Value 0.5"},
      {"DrawText 0 inverted rectangle", true, 0, {130, 40, 10, 6}, "Inverted"},
      {"DrawText 37 inverted rectangle", true, 37, {130, 40, 10, 6}, "Inverted"},
      {"TextOut", false, 0, {12, 10, 0, 0}, "Kavrin 123 gy"},
  };
  const TextCall rotated[] = {
      {"DrawText 0", true, 0, {6, 10, 40, 130}, "Trend 12.5"},
      {"DrawText 37", true, 37, {6, 10, 40, 130}, "Unit"},
      {"DrawText 40", true, 40, {6, 10, 40, 130}, "Unit mA"},
      {"DrawText 40 clipped", true, 40, {6, 80, 40, 130}, "Rotated long title"},
      {"TextOut", false, 0, {10, 120, 0, 0}, "Kavrin 123 gy"},
  };
  for (const char* face : {"Arial", "Times New Roman"})
    for (int mode : {TRANSPARENT, OPAQUE}) {
      const std::string suffix = mode == OPAQUE ? " opaque" : "";
      for (const TextCall& c : upright) TextShot(r, std::string("text/") + face + " " + c.name + suffix, {face}, 0, mode, c);
      for (const TextCall& c : rotated)
        TextShot(r, std::string("text/") + face + " esc900 " + c.name + suffix, {face}, 900, mode, c);
    }
  // Sizes and styles the chart's fonts take (8.25 points is 11 pixels at 96 dpi).
  struct Styled {
    const char* name;
    TextFont font;
  };
  const Styled styled[] = {
      {"Arial -11", {"Arial", -11}},
      {"Arial -16 bold", {"Arial", -16, FW_BOLD}},
      {"Arial -11 underline", {"Arial", -11, FW_NORMAL, false, true}},
      {"Arial -13 strikeout", {"Arial", -13, FW_NORMAL, false, false, true}},
      {"Arial 16 cell height", {"Arial", 16}},
      {"Times New Roman -13 italic", {"Times New Roman", -13, FW_NORMAL, true}},
      {"Times New Roman -15 bold", {"Times New Roman", -15, FW_BOLD}},
  };
  const TextCall line = {"TextOut", false, 0, {12, 10, 0, 0}, "Kavrin 123 gy"};
  const TextCall rotatedLine = {"TextOut", false, 0, {10, 120, 0, 0}, "Kavrin 123 gy"};
  for (const Styled& st : styled)
    for (int mode : {TRANSPARENT, OPAQUE}) {
      const std::string suffix = mode == OPAQUE ? " opaque" : "";
      TextShot(r, std::string("text/") + st.name + " TextOut" + suffix, st.font, 0, mode, line);
      TextShot(r, std::string("text/") + st.name + " esc900 TextOut" + suffix, st.font, 900, mode, rotatedLine);
    }
}

// The advance of every printable character, as GetTextExtentPoint32A gives it alone.
void CharWidths(Runner& r) {
  for (const char* face : {"Arial", "Times New Roman"})
    for (int height : {-12, -11, -16})
      r.Run(std::string("charwidth/") + face + " " + std::to_string(height), [&](const std::string& n) {
        Surface s(r.screen(), 1, 1);
        Shot shot;  // values only, no pixels
        shot.name = n;
        Selected font(s.dc(), CreateFontA(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                          CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face));
        for (char c = ' '; c <= '~'; ++c) {
          SIZE ext = {0, 0};
          GetTextExtentPoint32A(s.dc(), &c, 1, &ext);
          shot.values.push_back(ext.cx);
        }
        return shot;
      });
}

// ---- Results of calls ---------------------------------------------------------------

// A 32-bit result as the same number on both platforms (long is 32 bits on Windows).
long Result(uint32_t v) { return static_cast<long>(static_cast<int32_t>(v)); }

void Results(Runner& r) {
  auto values = [&](const std::string& name, const std::function<std::vector<long>(Surface&)>& calls) {
    r.Run("results/" + name, [&](const std::string& n) {
      Surface s(r.screen(), 13, 7);
      Shot shot;  // values only, no pixels
      shot.name = n;
      shot.values = calls(s);
      return shot;
    });
  };
  values("GetDeviceCaps BITSPIXEL PLANES LOGPIXELSX LOGPIXELSY", [&](Surface& s) {
    return std::vector<long>{GetDeviceCaps(s.dc(), BITSPIXEL), GetDeviceCaps(s.dc(), PLANES),
                             GetDeviceCaps(s.dc(), LOGPIXELSX), GetDeviceCaps(s.dc(), LOGPIXELSY)};
  });
  values("GetPixel and SetPixel inside and outside", [](Surface& s) {
    return std::vector<long>{Result(SetPixel(s.dc(), 1, 1, RGB(1, 2, 3))), Result(GetPixel(s.dc(), 1, 1)),
                             Result(GetPixel(s.dc(), -1, 0)),   Result(GetPixel(s.dc(), 13, 0)),
                             Result(GetPixel(s.dc(), 0, 7))};
  });
  values("colour state defaults and previous values", [](Surface& s) {
    return std::vector<long>{Result(GetTextColor(s.dc())),          Result(GetBkColor(s.dc())),
                             GetBkMode(s.dc()),                      Result(SetTextColor(s.dc(), RGB(9, 8, 7))),
                             Result(SetBkColor(s.dc(), RGB(6, 5, 4))), SetBkMode(s.dc(), TRANSPARENT),
                             Result(GetTextColor(s.dc())),           Result(GetBkColor(s.dc())),
                             GetBkMode(s.dc())};
  });
  auto bitmapValues = [&](bool mono) {
    return [mono, &r](Surface&) {
      HBITMAP bmp = mono ? CreateBitmap(13, 7, 1, 1, nullptr) : CreateCompatibleBitmap(r.screen(), 13, 7);
      BITMAP bm;
      std::memset(&bm, 0, sizeof bm);
      const long size = GetObjectA(bmp, sizeof bm, &bm);
      std::vector<long> v{size, bm.bmType, bm.bmWidth, bm.bmHeight, bm.bmWidthBytes, bm.bmPlanes, bm.bmBitsPixel,
                          Result(GetObjectType(bmp))};
      DeleteObject(bmp);
      return v;
    };
  };
  values("GetObjectA of a colour bitmap 13x7", bitmapValues(false));
  values("GetObjectA of a monochrome bitmap 13x7", bitmapValues(true));
  values("GetObjectType of DC pen brush font", [](Surface& s) {
    HPEN pen = CreatePen(PS_SOLID, 1, 0);
    HBRUSH brush = CreateSolidBrush(0);
    HFONT font = CreateFontA(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    std::vector<long> v{Result(GetObjectType(s.dc())), Result(GetObjectType(pen)), Result(GetObjectType(brush)),
                        Result(GetObjectType(font))};
    DeleteObject(pen);
    DeleteObject(brush);
    DeleteObject(font);
    return v;
  });
  values("MulDiv rounding and failures", [](Surface&) {
    return std::vector<long>{MulDiv(11, 96, 72),  MulDiv(8, 96, 72),  MulDiv(3, 1, 2),        MulDiv(-3, 1, 2),
                             MulDiv(5, -1, 2),    MulDiv(7, 0, 3),    MulDiv(5, 1, 0),        MulDiv(2147483647, 2, 1),
                             MulDiv(-1, 1, 3),    MulDiv(10, 96, 72)};
  });
  // Pairs of (result, colour); the colour counts only with S_OK.
  auto translate = [](std::initializer_list<OLE_COLOR> colours) {
    return [colours](Surface&) {
      std::vector<long> v;
      for (OLE_COLOR c : colours) {
        COLORREF out = 0xDEADBEEF;
        const HRESULT hr = OleTranslateColor(c, nullptr, &out);
        v.push_back(Result(static_cast<uint32_t>(hr)));
        v.push_back(hr == S_OK ? Result(out) : 0);
      }
      return v;
    };
  };
  values("OleTranslateColor of plain colours", translate({0x0000FF, 0xFFFFFF, 0x02123456}));
  values("OleTranslateColor of system colours", translate({0x80000005, 0x80000008, 0x8000000F, 0x80000012, 0x80000100}));
}

}  // namespace

std::vector<Shot> RunScenarios(const std::string& filter) {
  Runner r(filter);
  Lines(r);
  WideLines(r);
  Fills(r);
  Scrolls(r);
  RasterOps(r);
  Stretches(r);
  Stamps(r);
  Ticks(r);
  Clips(r);
  Texts(r);
  CharWidths(r);
  Results(r);
  return std::move(r.shots);
}

}  // namespace kavrin::diff
